#include "ui/FilesPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/FormatSize.h"
#include "model/Project.h"
#include "ui/FormLayoutHelpers.h"

namespace corvane::ui {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

FilesPage::FilesPage(model::Project& project, const Services& services, std::function<void()> onChange,
                     std::function<void()> filesChanged, QWidget* parent)
    : PageGroup(QStringLiteral("PageFiles"), project, services, std::move(onChange), parent),
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
    m_getFromRegistry = makeCheckBox(registryGroup, tr("Get from Registry"), QStringLiteral("GetFromRegistryCheck"));
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
    m_files = new QTreeWidget(tab);
    m_files->setObjectName(QStringLiteral("ListView1"));
    m_files->setRootIsDecorated(false);
    m_files->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_files->setHeaderLabels({tr("File"), tr("Size"), tr("Install to"), tr("If Exists"), tr("Uninstall")});
    const int widths[] = {150, 55, 100, 60, 60};
    for (int i = 0; i < 5; ++i) m_files->header()->resizeSection(i, widths[i]);
    layout->addWidget(m_files);

    m_includeUninstaller = makeCheckBox(tab, tr("Include Uninstaller"), QStringLiteral("IncludeUninstallerCheck"));
    layout->addWidget(m_includeUninstaller);
    auto* totals = new QFormLayout;
    m_totalFiles = new QLabel(QStringLiteral("0"), tab);
    m_totalFiles->setObjectName(QStringLiteral("TotalFilesLabel"));
    m_totalSize = new QLabel(tr("0 byte"), tab);
    m_totalSize->setObjectName(QStringLiteral("TotalSizeLabel"));
    totals->addRow(tr("Total files:"), m_totalFiles);
    totals->addRow(tr("Total size:"), m_totalSize);
    layout->addLayout(totals);

    connect(m_files, &QTreeWidget::itemSelectionChanged, this, [this] { changed(); });
    // The flag is raised by the change of the Files list, which the model makes here.
    connect(m_includeUninstaller, &QCheckBox::toggled, this, [this](bool on) {
        m_project.setUninstall(on);
        applyUninstaller(on);
        changed();
        m_filesChanged();
    });
}

void FilesPage::buildUninstallTab() {
    QWidget* tab = addPage(tr("Uninstall"), QStringLiteral("TabUninstall"));
    auto* form = new QFormLayout(tab);
    m_showPrograms = makeCheckBox(tab, tr("Show program on Add/Remove Programs dialog"),
                                  QStringLiteral("ShowProgramsCheck"));
    m_uninstallPage = makeCheckBox(tab, tr("Visit product uninstall web page"), QStringLiteral("UninstallPageCheck"));
    m_uninstallAddress = makeLineEdit(tab, QStringLiteral("UninstallAddressEd"));
    form->addRow(m_showPrograms);
    form->addRow(m_uninstallPage);
    form->addRow(tr("Address:"), m_uninstallAddress);
    m_showPrograms->setEnabled(false);
    m_uninstallPage->setEnabled(false);
    m_uninstallAddress->setEnabled(false);

    bindCheck(m_showPrograms, &model::ProjectSettings::showPorgrams);
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
    {
        SignalBlocker block(m_files);
        m_files->clear();
        for (const model::FileEntry& f : m_project.files)
            m_files->addTopLevelItem(new QTreeWidgetItem(
                QStringList{qs(f.source), qs(f.size), qs(f.installTo), qs(f.ifExists), qs(f.uninstall)}));
    }
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
                                                 {m_showPrograms, s.showPorgrams},
                                                 {m_uninstallPage, s.uninstallPage}};
    for (const auto& [box, on] : boxes) {
        SignalBlocker block(box);
        box->setChecked(on);
    }
    applyGetFromRegistry(s.getFromRegistry);
    m_showPrograms->setEnabled(s.uninstall);
    m_uninstallPage->setEnabled(s.uninstall);
    m_uninstallAddress->setEnabled(s.uninstallPage);
    refreshFilesPage();
}

}  // namespace corvane::ui
