#include "ui/MainWindow.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "builder/PreBuildChecks.h"
#include "builder/SigningCommand.h"
#include "project/FormatLimits.h"
#include "project/Lifecycle.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"
#include "ui/AboutDialog.h"
#include "ui/AddFilesDialog.h"
#include "ui/BuildDialog.h"
#include "ui/CheckPlaces.h"
#include "ui/DialogsPage.h"
#include "ui/EditItemDialog.h"
#include "ui/FilesPage.h"
#include "ui/FinishPage.h"
#include "ui/GeneralPage.h"
#include "ui/HelpTopics.h"
#include "ui/SystemPage.h"

namespace corvane::ui {

namespace {

constexpr QRect kDesignedBounds{230, 136, 563, 475};
constexpr QSize kMinimumSize{450, 400};
constexpr int kDesignedTreeWidth = 153;
constexpr int kWindowPointSize = 8;
constexpr int kTreeMinimumWidth = 10;
// While the splitter is dragged neither side gets narrower than this; a tree dragged to it
// collapses to its minimum width.
constexpr int kSplitterLimit = 30;
// The editor's setting (per user, beside the window layout) that holds the signing command.
constexpr char kSigningCommandKey[] = "SigningCommand";

// How much of a title bar must lie on a screen for the author to grab it.
constexpr int kGrabWidth = 100;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// Selects one row of a list, as a click on it would.
void selectRow(QAbstractItemView* view, std::size_t row) {
    const QModelIndex index = view->model()->index(static_cast<int>(row), 0);
    if (!index.isValid()) return;
    view->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    view->setCurrentIndex(index);
    view->scrollTo(index);
}

}  // namespace

TForm1::TForm1(const Services& services, const EditorFolders& folders, QSettings& settings, QWidget* parent)
    : QMainWindow(parent),
      m_services(services),
      m_settings(settings),
      m_project(folders.programFolder, folders.defaultSetupFile) {
    setObjectName(QStringLiteral("TForm1"));
    setWindowTitle(applicationTitle());
    setMinimumSize(kMinimumSize);
    setGeometry(kDesignedBounds);
    // The window is laid out for an 8-point font (the tree's is 10): with the desktop's larger
    // default, tab labels would hide behind scroll arrows at the designed size.
    QFont windowFont = font();
    windowFont.setPointSize(kWindowPointSize);
    setFont(windowFont);
    m_about = new TForm3(m_services, this);
    m_addFilesDialog = new TForm4(this);
    m_buildDialog = new TForm5(m_project, m_services, folders.workFolder, this);
    m_editItemDialog = new TForm7(this);
    buildActions();
    buildMenus();
    buildToolBar();
    buildCentralArea();
    auto* status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("StatusBar1"));
    auto* help = new QLabel(tr("For Help, press F1"), status);
    help->setObjectName(QStringLiteral("StatusText"));
    status->addWidget(help, 1);
    setStatusBar(status);
    reloadPages();
    showPage(1);
    m_project.clearModified();
    restoreLayout();
}

TForm1::~TForm1() = default;

// --- Construction ------------------------------------------------------------------------------

void TForm1::buildActions() {
    auto make = [this](const QString& text, const QString& name, std::optional<QStyle::StandardPixmap> icon,
                       const QKeySequence& key, const QString& tip, std::function<void()> handler) {
        auto* action = new QAction(text, this);
        action->setObjectName(name);
        if (icon) action->setIcon(style()->standardIcon(*icon));
        if (!key.isEmpty()) action->setShortcut(key);
        if (!tip.isEmpty()) action->setToolTip(tip);
        connect(action, &QAction::triggered, this, std::move(handler));
        return action;
    };
    m_newAction = make(tr("&New"), QStringLiteral("NewAction"), QStyle::SP_FileIcon,
                       QKeySequence(Qt::CTRL | Qt::Key_N), tr("New Project"), [this] { newProject(); });
    m_openAction = make(tr("&Open..."), QStringLiteral("OpenAction"), QStyle::SP_DialogOpenButton,
                        QKeySequence(Qt::CTRL | Qt::Key_O), tr("Open Project"), [this] { openProject(); });
    m_saveAction = make(tr("&Save"), QStringLiteral("SaveAction"), QStyle::SP_DialogSaveButton,
                        QKeySequence(Qt::CTRL | Qt::Key_S), tr("Save Project"), [this] { save(); });
    m_saveAsAction =
        make(tr("Save &As..."), QStringLiteral("SaveAsAction"), std::nullopt, {}, {}, [this] { saveAs(); });
    m_exitAction = make(tr("E&xit"), QStringLiteral("ExitAction"), QStyle::SP_DialogCloseButton,
                        QKeySequence(Qt::ALT | Qt::Key_F4), {}, [this] { close(); });
    m_createSetupAction = make(tr("&Create Setup"), QStringLiteral("CreateSetupAction"), QStyle::SP_MediaPlay,
                               QKeySequence(Qt::Key_F9), tr("Create Setup"), [this] { createSetup(); });
    m_signingAction = make(tr("Si&gning Command..."), QStringLiteral("SigningCommandAction"), std::nullopt,
                           {}, {}, [this] { chooseSigningCommand(); });
    m_helpAction = make(tr("&Help Topics"), QStringLiteral("HelpTopicsAction"), QStyle::SP_DialogHelpButton,
                        QKeySequence(Qt::Key_F1), tr("Help"), [this] { showHelp(); });
    m_homePageAction =
        make(tr("&Visit Web Site..."), QStringLiteral("VisitWebSiteAction"), QStyle::SP_DirHomeIcon, {},
             tr("Home Page"), [this] { openHomePage(m_services); });
    m_feedbackAction = make(tr("&Feedback..."), QStringLiteral("FeedbackAction"), std::nullopt, {}, {},
                            [this] { sendFeedback(m_services); });
    m_aboutAction = make(tr("&About..."), QStringLiteral("AboutAction"), std::nullopt, {}, {},
                         [this] { m_about->exec(); });

    const QString views[] = {tr("&General Tab"), tr("&Dialogs Tab"), tr("&Files Tab"), tr("&System Tab"),
                             tr("F&inish Tab")};
    const QString names[] = {QStringLiteral("ViewGeneralAction"), QStringLiteral("ViewDialogsAction"),
                             QStringLiteral("ViewFilesAction"), QStringLiteral("ViewSystemAction"),
                             QStringLiteral("ViewFinishAction")};
    for (int i = 0; i < 5; ++i) {
        auto* action = new QAction(views[i], this);
        action->setObjectName(names[i]);
        connect(action, &QAction::triggered, this, [this, i] { showPage(i + 1); });
        m_viewActions.push_back(action);
    }
}

void TForm1::buildMenus() {
    QMenu* projectMenu = menuBar()->addMenu(tr("&Project"));
    projectMenu->setObjectName(QStringLiteral("ProjectMenu"));
    projectMenu->addAction(m_newAction);
    projectMenu->addSeparator();
    projectMenu->addAction(m_openAction);
    m_reopenMenu = projectMenu->addMenu(tr("&Reopen"));
    m_reopenMenu->setObjectName(QStringLiteral("ReopenMenu"));
    projectMenu->addSeparator();
    projectMenu->addAction(m_saveAction);
    projectMenu->addAction(m_saveAsAction);
    projectMenu->addSeparator();
    projectMenu->addAction(m_exitAction);

    QMenu* viewMenu = menuBar()->addMenu(tr("&View"));
    viewMenu->setObjectName(QStringLiteral("ViewMenu"));
    for (QAction* action : m_viewActions)
        viewMenu->addAction(action);

    QMenu* setupMenu = menuBar()->addMenu(tr("&Setup"));
    setupMenu->setObjectName(QStringLiteral("SetupMenu"));
    setupMenu->addAction(m_createSetupAction);
    setupMenu->addSeparator();
    setupMenu->addAction(m_signingAction);

    QMenu* helpMenu = menuBar()->addMenu(tr("&Help"));
    helpMenu->setObjectName(QStringLiteral("HelpMenu"));
    helpMenu->addAction(m_helpAction);
    helpMenu->addAction(m_homePageAction);
    helpMenu->addAction(m_feedbackAction);
    helpMenu->addSeparator();
    helpMenu->addAction(m_aboutAction);
}

void TForm1::buildToolBar() {
    QToolBar* bar = addToolBar(tr("Toolbar"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setIconSize(QSize(24, 24));
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setMovable(false);
    bar->addAction(m_newAction);
    m_openButton = new QToolButton(bar);
    m_openButton->setObjectName(QStringLiteral("OpenButton"));
    m_openButton->setDefaultAction(m_openAction);
    m_openButton->setMenu(m_reopenMenu);
    m_openButton->setPopupMode(QToolButton::MenuButtonPopup);
    bar->addWidget(m_openButton);
    bar->addAction(m_saveAction);
    bar->addSeparator();
    bar->addAction(m_createSetupAction);
    bar->addSeparator();
    bar->addAction(m_homePageAction);
    bar->addAction(m_helpAction);
}

void TForm1::buildCentralArea() {
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("Splitter1"));
    m_splitter->setChildrenCollapsible(false);

    m_tree = new QTreeWidget(m_splitter);
    m_tree->setObjectName(QStringLiteral("TreeView1"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(false);
    m_tree->setItemsExpandable(false);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tree->setMouseTracking(true);
    m_tree->viewport()->setAttribute(Qt::WA_Hover);  // the row under the mouse is highlighted
    m_tree->setMinimumWidth(kTreeMinimumWidth);
    QFont treeFont = m_tree->font();
    treeFont.setPointSize(10);
    m_tree->setFont(treeFont);
    auto* root = new QTreeWidgetItem(m_tree, {tr("Project")});
    root->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    const QStyle::StandardPixmap icons[] = {QStyle::SP_FileDialogInfoView, QStyle::SP_MessageBoxQuestion,
                                            QStyle::SP_FileIcon, QStyle::SP_ComputerIcon,
                                            QStyle::SP_DialogApplyButton};
    const QString labels[] = {tr("General"), tr("Dialogs"), tr("Files"), tr("System"), tr("Finish")};
    for (int i = 0; i < 5; ++i) {
        auto* node = new QTreeWidgetItem(root, {labels[i]});
        node->setIcon(0, style()->standardIcon(icons[i]));
    }
    m_tree->expandAll();
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &TForm1::treeSelectionChanged);

    m_pageArea = new QStackedWidget(m_splitter);
    m_pageArea->setObjectName(QStringLiteral("PageArea"));
    m_pageArea->setMinimumWidth(kSplitterLimit);
    m_pageArea->addWidget(new QWidget(m_pageArea));  // shown when no group is
    auto changed = [this] { Action1Execute(); };
    m_general = new GeneralPage(m_project, m_services, changed, m_pageArea);
    m_dialogs = new DialogsPage(m_project, m_services, changed, m_pageArea);
    m_files = new FilesPage(
        m_project, m_services, m_addFilesDialog, m_editItemDialog, changed, [this] { filesChanged(); },
        m_pageArea);
    m_system = new SystemPage(m_project, m_services, changed, m_pageArea);
    m_finish = new FinishPage(m_project, m_services, changed, m_pageArea);
    m_groups = {m_general, m_dialogs, m_files, m_system, m_finish};
    for (PageGroup* group : m_groups)
        m_pageArea->addWidget(group);

    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({kDesignedTreeWidth, width() - kDesignedTreeWidth});
    connect(m_splitter, &QSplitter::splitterMoved, this, &TForm1::splitterMoved);
    setCentralWidget(m_splitter);
}

// --- Navigation --------------------------------------------------------------------------------

void TForm1::showPage(int n) {
    m_pageArea->setCurrentIndex(n >= 1 && n <= 5 ? n : 0);
    QTreeWidgetItem* root = m_tree->topLevelItem(0);
    QTreeWidgetItem* node = n == 0 ? root : (n >= 1 && n <= 5 ? root->child(n - 1) : nullptr);
    const QSignalBlocker block(m_tree);
    m_tree->setCurrentItem(node);
}

int TForm1::currentPage() const {
    return m_pageArea->currentIndex();
}

void TForm1::treeSelectionChanged() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (item == nullptr) return;
    QTreeWidgetItem* parent = item->parent();
    const int position = parent != nullptr ? parent->indexOfChild(item) : m_tree->indexOfTopLevelItem(item);
    showPage(position + 1);
    // A click on "Project" (or Home) is still selecting that row when this runs; once it is
    // done, the highlight goes back to the node of the group shown.
    if (parent == nullptr)
        QTimer::singleShot(0, this, [this] {
            QTreeWidgetItem* shown = m_tree->topLevelItem(0)->child(currentPage() - 1);
            if (shown == nullptr || (m_tree->currentItem() == shown && shown->isSelected())) return;
            const QSignalBlocker block(m_tree);
            m_tree->setCurrentItem(shown);
        });
}

void TForm1::splitterMoved() {
    const QList<int> sizes = m_splitter->sizes();
    const int total = sizes[0] + sizes[1];
    if (sizes[0] <= kSplitterLimit)
        m_splitter->setSizes({kTreeMinimumWidth, total - kTreeMinimumWidth});
    else if (sizes[1] < kSplitterLimit)
        m_splitter->setSizes({total - kSplitterLimit, kSplitterLimit});
}

// Help opens the guide's page about the tab in front, or its start page when none is shown.
void TForm1::showHelp() {
    const int group = currentPage();
    const int tab =
        group >= 1 && group <= 5 ? m_groups[static_cast<std::size_t>(group - 1)]->currentIndex() : -1;
    if (!openHelpTopic(m_services, m_project.programFolder(), helpTopicForTab(group, tab)))
        openHelpTopic(m_services, m_project.programFolder(), helpStartTopic());
}

void TForm1::Action1Execute() {
    m_project.markModified();
}

void TForm1::reloadPages() {
    for (PageGroup* group : m_groups)
        group->loadFromProject();
    filesChanged();
}

void TForm1::filesChanged() {
    m_files->refreshFilesPage();
    for (PageGroup* group : m_groups)
        group->filesChanged();
}

void TForm1::updateCaption() {
    setWindowTitle(qs(project::windowCaption(m_project.projectPath)));
}

// --- Project commands --------------------------------------------------------------------------

bool TForm1::unsavedChangesPrompt() {
    if (!m_project.isModified()) return true;
    using B = MessageService::Button;
    const B answer = m_services.messages->show(this, MessageService::Icon::Question, applicationTitle(),
                                               qs(project::unsavedChangesQuestion(m_project.projectPath)),
                                               {B::Yes, B::No, B::Cancel}, B::Cancel);
    if (answer == B::Cancel) return false;
    if (answer == B::No) return true;
    // Yes: a cancelled Save As lets the command go on; a failed save stops it.
    return saveProject() != SaveResult::Failed;
}

void TForm1::newProject() {
    if (!unsavedChangesPrompt()) return;
    m_project.newProject();
    reloadPages();
    showPage(1);
    updateCaption();
    m_project.clearModified();
}

void TForm1::openProject() {
    const QString path = m_services.files->openFile(this, tr("Corvane Projects (*.zan)"), QDir::homePath());
    if (!path.isEmpty()) openFile(path);
}

void TForm1::openFile(const QString& path) {
    if (!unsavedChangesPrompt()) return;
    if (!QFileInfo(path).isFile()) {
        showError(m_services, this, tr("File not found:") + QLatin1Char('\r') + path);
        return;
    }
    const std::string previousPath = m_project.projectPath;
    m_project.projectPath = path.toStdString();
    if (m_recent.add(m_project.projectPath)) rebuildReopenMenu();
    std::optional<project::LanguageChange> languages;
    try {
        languages = project::readProjectFile(m_project, path.toStdString());
    } catch (const std::exception& e) {
        // The file could not be read at all; the reader has changed nothing yet.
        m_project.projectPath = previousPath;
        showException(m_services, this, QString::fromStdString(e.what()));
        return;
    }
    reloadPages();
    updateCaption();
    m_project.clearModified();
    m_files->reportMissingSources();
    if (languages) {
        // What is checked now is not what the file's positions say: saving puts that right.
        m_project.markModified();
        showWarning(m_services, this,
                    qs(languages->describe()) + QStringLiteral("\n\n") +
                        (languages->storedByName && languages->missing.empty()
                             ? tr("Saving the project stores their positions anew.")
                             : tr("Check the languages on the Language tab and save the project: it then "
                                  "stores them by the names of their files.")));
    }
}

bool TForm1::save() {
    return saveProject() == SaveResult::Saved;
}
bool TForm1::saveAs() {
    return saveProjectAs() == SaveResult::Saved;
}

TForm1::SaveResult TForm1::saveProject() {
    if (!m_project.isSaved()) return saveProjectAs();
    std::vector<project::FormatLimitProblem> problems;
    try {
        problems = project::writeProjectFile(m_project, m_project.projectPath);
    } catch (const std::exception& e) {
        showException(m_services, this, QString::fromStdString(e.what()));
        return SaveResult::Failed;
    }
    updateCaption();
    m_project.clearModified();
    if (!problems.empty()) {
        QString text = tr("The project was saved, but these values will not read back as they are:");
        for (const project::FormatLimitProblem& problem : problems)
            text += QStringLiteral("\n") + qs(problem.describe());
        showWarning(m_services, this, text);
    }
    return SaveResult::Saved;
}

TForm1::SaveResult TForm1::saveProjectAs() {
    const QString proposed = QDir::home().filePath(qs(project::proposedProjectFileName(m_project.settings)));
    const QString chosen = m_services.files->saveFile(this, tr("Corvane Projects (*.zan)"), proposed);
    if (chosen.isEmpty()) return SaveResult::Cancelled;
    const std::string path = project::withProjectExtension(chosen.toStdString());
    // The chooser asked about the name as typed; with ".zan" added it may name another file.
    if (path != chosen.toStdString() && QFileInfo::exists(qs(path)) &&
        !confirmReplace(m_services, this, qs(path)))
        return SaveResult::Cancelled;
    // Relative paths are read from the project file's folder, so they follow it to its new one.
    std::error_code ec;
    const std::filesystem::path from =
        m_project.isSaved() ? std::filesystem::absolute(m_project.projectPath, ec).parent_path()
                            : std::filesystem::current_path(ec);
    const std::filesystem::path to = std::filesystem::absolute(path, ec).parent_path();
    m_project.projectPath = path;
    if (project::reexpressRelativePaths(m_project, from, to)) reloadPages();
    return saveProject();
}

void TForm1::rebuildReopenMenu() {
    m_reopenMenu->clear();
    for (const std::string& entry : m_recent.entries()) {
        // "&" would turn into a mnemonic; the path itself travels in the action's data.
        QAction* action = m_reopenMenu->addAction(qs(entry).replace(QLatin1Char('&'), QStringLiteral("&&")));
        action->setData(qs(entry));
        connect(action, &QAction::triggered, this, [this, action] { openFile(action->data().toString()); });
    }
    m_reopenMenu->menuAction()->setEnabled(!m_recent.entries().empty());
    m_openButton->setDefaultAction(m_openAction);
    m_openButton->setToolTip(tr("Open Project"));
}

void TForm1::createSetup() {
    if (const std::optional<builder::CheckFailure> failure = builder::firstFailedCheck(m_project)) {
        showError(m_services, this, qs(failure->message));
        const CheckPlace place = placeOf(failure->field);
        showPage(place.group);
        m_groups[static_cast<std::size_t>(place.group - 1)]->selectTabNamed(QLatin1String(place.tab));
        auto* control = findChild<QWidget*>(QLatin1String(place.control));
        if (control != nullptr) control->setFocus();
        if (failure->field == builder::CheckedField::FileSource && failure->row)
            m_files->showProblemRow(*failure->row);
        else if (auto* view = qobject_cast<QAbstractItemView*>(control); view != nullptr && failure->row)
            selectRow(view, *failure->row);
        return;
    }
    m_buildDialog->runBuild(signingCommand().toStdString());
    // Whatever ended the build, the keys go back to the main window.
    activateWindow();
}

QString TForm1::signingCommand() const {
    return m_settings.value(QLatin1String(kSigningCommandKey)).toString();
}

void TForm1::chooseSigningCommand() {
    // The label would show the example's "&&" as "&" (a shortcut marker); it is written doubled.
    const std::optional<QString> answer = m_services.input->askText(
        this, tr("Signing Command"),
        tr("Command that signs the uninstaller and the setup, {} standing for the file\n"
           "(for example: osslsigncode sign -pkcs12 my.p12 -in {} -out {}.signed &&&& "
           "mv {}.signed {}).\nLeave it empty to build unsigned setups."),
        signingCommand());
    if (!answer) return;
    const QString command = answer->trimmed();
    if (const std::string problem = builder::signingCommandProblem(command.toStdString()); !problem.empty()) {
        showWarning(m_services, this, qs(problem));
        return;
    }
    if (command.isEmpty())
        m_settings.remove(QLatin1String(kSigningCommandKey));
    else
        m_settings.setValue(QLatin1String(kSigningCommandKey), command);
}

// --- Start and close ---------------------------------------------------------------------------

void TForm1::start(const QString& commandLineProject) {
    m_about->setVersionLine(QStringLiteral("Corvane %1").arg(QLatin1String(kProductVersion)));
    m_recent.load(
        [this](const std::string& name) -> std::optional<std::string> {
            const QVariant value = m_settings.value(qs(name));
            return value.isValid() ? std::optional<std::string>(value.toString().toStdString())
                                   : std::nullopt;
        },
        [](const std::string& path) { return QFileInfo(qs(path)).isFile(); });
    rebuildReopenMenu();
    if (!commandLineProject.isEmpty())
        openFile(QString::fromStdString(project::longPathForm(commandLineProject.toStdString()).string()));
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!unsavedChangesPrompt()) {
        event->ignore();
        return;
    }
    storeLayout();
    m_recent.store([this](const std::string& name, const std::optional<std::string>& value) {
        if (value)
            m_settings.setValue(qs(name), qs(*value));
        else
            m_settings.remove(qs(name));
    });
    m_settings.sync();
    event->accept();
}

// The stored bounds are the client area's, in screen coordinates, read and written alike, so a
// window manager's frame never shifts them from one run to the next. They are applied before the
// window is shown, as the position the window manager is asked to keep.
//
// Width, Height, Left, Top and TreeViewWidth are read in this order; the first value that is
// missing or not a number ends the reading and the rest keep their designed values.
void TForm1::restoreLayout() {
    const char* names[] = {"Width", "Height", "Left", "Top", "TreeViewWidth"};
    QRect bounds = kDesignedBounds;
    int tree = kDesignedTreeWidth;
    for (int i = 0; i < 5; ++i) {
        bool ok = false;
        const int value = m_settings.value(QLatin1String(names[i])).toInt(&ok);
        if (!ok) break;
        switch (i) {
            case 0:
                bounds.setWidth(std::max(value, kMinimumSize.width()));
                break;
            case 1:
                bounds.setHeight(std::max(value, kMinimumSize.height()));
                break;
            case 2:
                bounds.moveLeft(value);
                break;
            case 3:
                bounds.moveTop(value);
                break;
            default:
                tree = std::max(value, kTreeMinimumWidth);
        }
    }
    setGeometry(keepReachable(bounds));
    m_splitter->setSizes({tree, std::max(bounds.width() - tree, 0)});
}

// A window whose title bar lies off every screen (a screen unplugged, a value edited by hand)
// could not be moved back by the author; it is brought onto the nearest screen. Anything else,
// a window half beyond the right edge included, stays where it was put.
QRect TForm1::keepReachable(QRect bounds) const {
    const int title =
        std::max(frameGeometry().top() < geometry().top() ? geometry().top() - frameGeometry().top() : 0,
                 style()->pixelMetric(QStyle::PM_TitleBarHeight));
    const QRect titleBar(bounds.left(), bounds.top() - title, bounds.width(), title);
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        if (titleBar.top() >= area.top() && area.intersected(titleBar).width() >= kGrabWidth) return bounds;
    }
    const QScreen* screen = QGuiApplication::screenAt(bounds.center());
    if (screen == nullptr) screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) return bounds;
    const QRect area = screen->availableGeometry();
    bounds.moveLeft(std::clamp(bounds.left(), area.left(), std::max(area.left(), area.right() - kGrabWidth)));
    bounds.moveTop(std::clamp(bounds.top(), area.top() + title,
                              std::max(area.top() + title, area.bottom() - kGrabWidth)));
    return bounds;
}

// The client area's bounds, as restoreLayout reads them; a maximised window writes its
// maximised bounds, so it comes back as large but as a normal window.
void TForm1::storeLayout() {
    const QRect bounds = isMinimized() ? normalGeometry() : geometry();
    m_settings.setValue(QStringLiteral("Width"), bounds.width());
    m_settings.setValue(QStringLiteral("Height"), bounds.height());
    m_settings.setValue(QStringLiteral("Left"), bounds.left());
    m_settings.setValue(QStringLiteral("Top"), bounds.top());
    m_settings.setValue(QStringLiteral("TreeViewWidth"), m_splitter->sizes().value(0));
}

}  // namespace corvane::ui
