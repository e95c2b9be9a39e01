#include "ui/FilesPage.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <memory>

#include "model/FormatSize.h"
#include "model/Project.h"
#include "platform/FileProbe.h"
#include "project/FolderScan.h"
#include "ui/AddFilesDialog.h"
#include "ui/EditItemDialog.h"
#include "ui/FilesListModel.h"
#include "ui/FormLayoutHelpers.h"
#include "ui/Services.h"
#include "ui/WrappingCheckBox.h"

namespace corvane::ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

FilesPage::FilesPage(model::Project& project, const Services& services, TForm4* addDialog, TForm7* editDialog,
                     std::function<void()> onChange, std::function<void()> filesChanged, QWidget* parent)
    : PageGroup(QStringLiteral("PageFiles"), project, services, std::move(onChange), parent),
      m_addDialog(addDialog),
      m_editDialog(editDialog),
      m_filesChanged(std::move(filesChanged)) {
    buildInstallDirTab();
    buildFilesTab();
    buildUninstallTab();
}

void FilesPage::buildInstallDirTab() {
    QWidget* tab = addPage(tr("InstallDir"), QStringLiteral("TabInstallDir"));
    auto* layout = new QVBoxLayout(tab);
    auto* pathGroup = new QGroupBox(tr("Default Installation Path"), tab);
    auto* pathLayout = new QVBoxLayout(pathGroup);
    m_installDir = makeLineEdit(pathGroup, QStringLiteral("InstallDirEd"));
    pathLayout->addWidget(m_installDir);
    layout->addWidget(pathGroup);

    auto* registryGroup = new QGroupBox(tr("Installation Path"), tab);
    auto* form = new QFormLayout(registryGroup);
    m_getFromRegistry =
        makeCheckBox(registryGroup, tr("Get from Registry"), QStringLiteral("GetFromRegistryCheck"));
    m_rootKey = makeChoice(registryGroup,
                           {QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral("HKEY_CURRENT_USER"),
                            QStringLiteral("HKEY_LOCAL_MACHINE"), QStringLiteral("HKEY_USERS")},
                           QStringLiteral("RootKeyCombo"));
    m_subkey = makeLineEdit(registryGroup, QStringLiteral("SubkeyEd"));
    m_valueName = makeLineEdit(registryGroup, QStringLiteral("ValueNameEd"));
    form->addRow(m_getFromRegistry);
    form->addRow(tr("Root Key:"), m_rootKey);
    form->addRow(tr("Subkey:"), m_subkey);
    form->addRow(tr("Value Name:"), m_valueName);
    layout->addWidget(registryGroup);
    layout->addStretch();
    applyGetFromRegistry(false);

    bindText(m_installDir, &model::ProjectSettings::installDir);
    connect(m_getFromRegistry, &QCheckBox::toggled, this, [this](bool on) {
        m_project.settings.getFromRegistry = on;
        applyGetFromRegistry(on);
        changed();
    });
    connect(m_rootKey, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_project.settings.rootKey = index;
        changed();
    });
    bindText(m_subkey, &model::ProjectSettings::subkey);
    bindText(m_valueName, &model::ProjectSettings::value);
}

void FilesPage::buildFilesTab() {
    QWidget* tab = addPage(tr("Files"), QStringLiteral("TabFiles"));
    auto* layout = new QVBoxLayout(tab);

    auto* buttons = new QHBoxLayout;
    const std::pair<QString, QString> buttonNames[] = {
        {tr("Add folder..."), QStringLiteral("AddFolderButton")},
        {tr("Add files..."), QStringLiteral("AddFilesButton")},
        {tr("Edit..."), QStringLiteral("EditButton")},
        {tr("Remove"), QStringLiteral("RemoveButton")}};
    std::vector<QPushButton*> made;
    for (const auto& [text, name] : buttonNames) {
        auto* button = new QPushButton(text, tab);
        button->setObjectName(name);
        buttons->addWidget(button);
        made.push_back(button);
    }
    buttons->addStretch();
    layout->addLayout(buttons);
    connect(made[0], &QPushButton::clicked, this, &FilesPage::addFolder);
    connect(made[1], &QPushButton::clicked, this, &FilesPage::addFiles);
    connect(made[2], &QPushButton::clicked, this, &FilesPage::editRow);
    connect(made[3], &QPushButton::clicked, this, &FilesPage::removeRows);

    m_listModel = new FilesListModel(m_project.files, this);
    m_files = new QTreeView(tab);
    m_files->setObjectName(QStringLiteral("ListView1"));
    m_files->setModel(m_listModel);
    m_files->setRootIsDecorated(false);
    m_files->setItemsExpandable(false);
    m_files->setUniformRowHeights(true);
    m_files->setSortingEnabled(false);
    m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_files->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_files->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_files->setAllColumnsShowFocus(true);
    // The selection stays as visible as while the list has the focus.
    QPalette palette = m_files->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    m_files->setPalette(palette);
    const int widths[] = {150, 55, 100, 60, 60};
    for (int i = 0; i < 5; ++i)
        m_files->header()->resizeSection(i, widths[i]);
    layout->addWidget(m_files);

    m_files->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto addMenuAction = [this](const QString& text, const QString& name, const QList<QKeySequence>& keys,
                                const std::function<void()>& run) {
        auto* action = new QAction(text, m_files);
        action->setObjectName(name);
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WidgetShortcut);
        connect(action, &QAction::triggered, this, run);
        m_files->addAction(action);
    };
    addMenuAction(tr("Edit..."), QStringLiteral("FilesEditAction"), {Qt::Key_Return, Qt::Key_Enter},
                  [this] { editRow(); });
    addMenuAction(tr("Remove"), QStringLiteral("FilesRemoveAction"), {Qt::Key_Delete},
                  [this] { removeRows(); });
    auto* separator = new QAction(m_files);
    separator->setSeparator(true);
    m_files->addAction(separator);
    addMenuAction(tr("Select All"), QStringLiteral("FilesSelectAllAction"),
                  {QKeySequence(Qt::CTRL | Qt::Key_A)}, [this] { m_files->selectAll(); });
    connect(m_files, &QTreeView::doubleClicked, this, [this] { editRow(); });

    m_includeUninstaller =
        makeCheckBox(tab, tr("Include Uninstaller"), QStringLiteral("IncludeUninstallerCheck"));
    layout->addWidget(m_includeUninstaller);
    auto* totals = new QFormLayout;
    m_totalFiles = new QLabel(QStringLiteral("0"), tab);
    m_totalFiles->setObjectName(QStringLiteral("TotalFilesLabel"));
    m_totalSize = new QLabel(tr("0 byte"), tab);
    m_totalSize->setObjectName(QStringLiteral("TotalSizeLabel"));
    totals->addRow(tr("Total files:"), m_totalFiles);
    totals->addRow(tr("Total size:"), m_totalSize);
    layout->addLayout(totals);

    // Which rows are selected is part of what the list reports as a change.
    connect(m_files->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { changed(); });
    // The flag is raised by the change of the Files list, which the model makes here.
    connect(m_includeUninstaller, &QCheckBox::toggled, this, [this](bool on) {
        m_project.setUninstall(on);
        m_listModel->reload();
        applyUninstaller(on);
        rowsChanged();
    });
}

// --- Commands -----------------------------------------------------------------------------------

void FilesPage::addFolder() {
    if (m_busy) return;
    m_addDialog->setWindowTitle(tr("Add Folder"));
    if (m_addDialog->exec() == QDialog::Accepted) {
        const std::string destination = m_addDialog->destination().toStdString();
        const QString folder =
            m_services.files->chooseFolder(window(), tr("Select folder to add:"), QDir::homePath());
        if (!folder.isEmpty()) {
            const std::filesystem::path root = folder.toStdString();
            addCollected(
                collect(tr("Adding the files of %1").arg(folder), [&](const project::AddProgress& progress) {
                    return project::rowsForFolder(root, destination, progress);
                }));
        }
    }
    m_filesChanged();
}

void FilesPage::addFiles() {
    if (m_busy) return;
    m_addDialog->setWindowTitle(tr("Add Files"));
    if (m_addDialog->exec() == QDialog::Accepted) {
        const std::string destination = m_addDialog->destination().toStdString();
        const QStringList chosen = m_services.files->openFiles(
            window(), tr("Any Files (*.*)") + QStringLiteral(";;*"), QDir::homePath());
        std::vector<std::filesystem::path> files;
        for (const QString& path : chosen)
            files.emplace_back(path.toStdString());
        if (!files.empty())
            addCollected(collect(tr("Adding files"), [&](const project::AddProgress& progress) {
                return project::rowsForFiles(files, destination, progress);
            }));
    }
    m_filesChanged();
}

void FilesPage::editRow() {
    const std::vector<std::size_t> rows = selectedRows();
    if (rows.empty()) return;
    const std::size_t first = rows.front();
    m_editDialog->load(m_project.files[first]);
    if (m_editDialog->exec() == QDialog::Accepted) {
        m_listModel->replace(first, m_editDialog->edited(m_project.files[first]));
        changed();
    }
    m_filesChanged();
}

void FilesPage::removeRows() {
    const std::vector<std::size_t> rows = selectedRows();
    if (!rows.empty()) {
        using B = MessageService::Button;
        if (m_services.messages->show(window(), MessageService::Icon::Question, applicationTitle(),
                                      tr("Are you sure you want to delete the selected items?"),
                                      {B::Yes, B::No}, B::No) != B::Yes)
            return;
        m_listModel->remove(rows);
        changed();
    }
    m_filesChanged();
}

std::vector<std::size_t> FilesPage::selectedRows() const {
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_files->selectionModel()->selectedRows())
        rows.push_back(static_cast<std::size_t>(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

project::AddedFiles FilesPage::collect(
    const QString& what, const std::function<project::AddedFiles(const project::AddProgress&)>& work) {
    // A moment without a box spares the flicker for a handful of files; user input waits
    // meanwhile, so nothing else can start until the box takes over.
    constexpr int kQuietMilliseconds = 400;
    constexpr int kUpdateMilliseconds = 100;
    m_busy = true;
    std::atomic<bool> cancel{false};
    std::atomic<std::size_t> seen{0};
    const project::AddProgress progress{[&seen](std::size_t n) { seen = n; }, &cancel};
    project::AddedFiles result;
    std::unique_ptr<QThread> thread(QThread::create([&] { result = work(progress); }));

    QEventLoop loop;
    connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(kQuietMilliseconds, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!thread->isFinished()) {
        QProgressDialog box(what, tr("Cancel"), 0, 0, window());
        box.setObjectName(QStringLiteral("AddFilesProgress"));
        box.setWindowTitle(applicationTitle());
        box.setWindowModality(Qt::WindowModal);
        box.setMinimumDuration(0);
        box.setAutoReset(false);
        box.setAutoClose(false);
        connect(&box, &QProgressDialog::canceled, &box, [&cancel] { cancel = true; });
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, &box, [&] {
            box.setLabelText(what + QLatin1Char('\n') +
                             tr("%n file(s) found", nullptr, static_cast<int>(seen.load())));
        });
        ticker.start(kUpdateMilliseconds);
        box.show();
        if (!thread->isFinished()) loop.exec();
    }
    thread->wait();
    m_busy = false;
    return result;
}

// Paths one per line, a long list cut short so the box still fits on the screen.
QString FilesPage::listed(const std::vector<std::string>& paths) {
    constexpr std::size_t kListedAtMost = 20;
    QStringList lines;
    for (std::size_t i = 0; i < paths.size() && i < kListedAtMost; ++i)
        lines << qs(paths[i]);
    if (paths.size() > kListedAtMost)
        lines << tr("... and %n more", nullptr, static_cast<int>(paths.size() - kListedAtMost));
    return lines.join(QLatin1Char('\n'));
}

// The rows go in first; then the author hears, in one box each, what could not be added.
void FilesPage::addCollected(project::AddedFiles added) {
    if (added.cancelled) return;
    if (!added.rows.empty()) {
        m_listModel->append(std::move(added.rows));
        changed();
    }
    if (!added.deniedFiles.empty())
        showError(m_services, window(),
                  tr("File access denied:") + QLatin1Char('\r') + listed(added.deniedFiles));
    if (!added.linksLeadingOut.empty())
        showWarning(m_services, window(),
                    tr("These symbolic links lead out of the folder and were not added:") +
                        QLatin1Char('\n') + listed(added.linksLeadingOut));
}

void FilesPage::reportMissingSources() {
    std::vector<std::string> missing;
    for (const model::FileEntry& row : m_project.files)
        if (row.sourceMissing) missing.push_back(row.source);
    if (missing.empty()) return;
    showWarning(m_services, window(),
                tr("%n file(s) of this project could not be found. Their rows are kept and marked as "
                   "missing; the setup cannot be built until the files are back:",
                   nullptr, static_cast<int>(missing.size())) +
                    QLatin1Char('\n') + listed(missing));
}

void FilesPage::showProblemRow(std::size_t row) {
    if (row >= m_project.files.size()) return;
    if (!m_project.files[row].sourceMissing) {
        m_project.files[row].sourceMissing = true;
        m_listModel->rowsChanged({row});
    }
    const QModelIndex index = m_listModel->index(static_cast<int>(row), 0);
    m_files->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_files->setCurrentIndex(index);
    m_files->scrollTo(index);
}

void FilesPage::rowsChanged() {
    changed();
    m_filesChanged();
}

void FilesPage::buildUninstallTab() {
    QWidget* tab = addPage(tr("Uninstall"), QStringLiteral("TabUninstall"));
    auto* form = new QFormLayout(tab);
    // The longest options of the editor: at the window's smallest size they break between words.
    m_showPrograms = new WrappingCheckBox(tr("Show program on Add/Remove Programs dialog"), tab);
    m_showPrograms->setObjectName(QStringLiteral("ShowProgramsCheck"));
    m_uninstallPage = new WrappingCheckBox(tr("Visit product uninstall web page"), tab);
    m_uninstallPage->setObjectName(QStringLiteral("UninstallPageCheck"));
    m_uninstallAddress = makeLineEdit(tab, QStringLiteral("UninstallAddressEd"));
    form->addRow(m_showPrograms);
    form->addRow(m_uninstallPage);
    form->addRow(tr("Address:"), m_uninstallAddress);
    m_showPrograms->setEnabled(false);
    m_uninstallPage->setEnabled(false);
    m_uninstallAddress->setEnabled(false);

    bindCheck(m_showPrograms, &model::ProjectSettings::showPrograms);
    connect(m_uninstallPage, &QCheckBox::toggled, this, [this](bool on) {
        m_project.settings.uninstallPage = on;
        m_uninstallAddress->setEnabled(on);
        changed();
    });
    bindText(m_uninstallAddress, &model::ProjectSettings::uninstallAddress);
}

void FilesPage::applyGetFromRegistry(bool on) {
    m_rootKey->setEnabled(on);
    m_subkey->setEnabled(on);
    m_valueName->setEnabled(on);
}

// "Include Uninstaller" enables both boxes of the Uninstall tab and gives them its state; the
// model has already set the settings behind them.
void FilesPage::applyUninstaller(bool on) {
    for (QCheckBox* box : {m_showPrograms, m_uninstallPage}) {
        SignalBlocker block(box);
        box->setEnabled(on);
        box->setChecked(on);
    }
    m_uninstallAddress->setEnabled(m_uninstallPage->isChecked());
}

void FilesPage::refreshFilesPage() {
    // A source that was missing may be back: such a row is measured again, like a reopen would.
    std::vector<std::size_t> back;
    for (std::size_t i = 0; i < m_project.files.size(); ++i) {
        model::FileEntry& row = m_project.files[i];
        if (!row.sourceMissing) continue;
        const platform::FileProbe probe = platform::probeFile(m_project.resolvePath(row.source));
        if (!probe.readable()) continue;
        row.sourceMissing = false;
        row.size = std::to_string(probe.size);
        back.push_back(i);
    }
    m_listModel->rowsChanged(back);
    m_totalFiles->setText(QString::number(m_project.fileCount()));
    m_totalSize->setText(qs(model::formatSize(m_project.totalSize())));
}

void FilesPage::loadFromProject() {
    const model::ProjectSettings& s = m_project.settings;
    const std::pair<QLineEdit*, const std::string*> texts[] = {{m_installDir, &s.installDir},
                                                               {m_subkey, &s.subkey},
                                                               {m_valueName, &s.value},
                                                               {m_uninstallAddress, &s.uninstallAddress}};
    for (const auto& [edit, value] : texts) {
        SignalBlocker block(edit);
        edit->setText(qs(*value));
    }
    {
        SignalBlocker block(m_rootKey);
        m_rootKey->setCurrentIndex(s.rootKey);
    }
    const std::pair<QCheckBox*, bool> boxes[] = {{m_getFromRegistry, s.getFromRegistry},
                                                 {m_includeUninstaller, s.uninstall},
                                                 {m_showPrograms, s.showPrograms},
                                                 {m_uninstallPage, s.uninstallPage}};
    for (const auto& [box, on] : boxes) {
        SignalBlocker block(box);
        box->setChecked(on);
    }
    m_listModel->reload();
    applyGetFromRegistry(s.getFromRegistry);
    m_showPrograms->setEnabled(s.uninstall);
    m_uninstallPage->setEnabled(s.uninstall);
    m_uninstallAddress->setEnabled(s.uninstallPage);
}

}  // namespace corvane::ui
