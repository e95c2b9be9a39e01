#pragma once

// The main window: the page tree on the left, the five page groups on the right, the menus and
// the toolbar that reach every command, and the project commands (New, Open, Reopen, Save,
// Save As, Exit) with their unsaved-changes question.

#include <QMainWindow>
#include <functional>
#include <memory>

#include "model/Project.h"
#include "project/RecentList.h"
#include "ui/Services.h"

class QAction;
class QMenu;
class QSettings;
class QSplitter;
class QStackedWidget;
class QToolButton;
class QTreeWidget;

namespace corvane::ui {

class DialogsPage;
class FilesPage;
class FinishPage;
class GeneralPage;
class PageGroup;
class SystemPage;
class TForm3;
class TForm4;
class TForm5;
class TForm7;

// Where the editor finds its files: the program folder (stub, languages, default bitmaps), the
// setup file a new project names, and the folder for the build's temporary files.
struct EditorFolders {
    std::string programFolder;
    std::string defaultSetupFile;
    std::string workFolder;
};

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    // settings is the store of the window layout and the recent list; it must outlive the window.
    TForm1(const Services& services, const EditorFolders& folders, QSettings& settings,
           QWidget* parent = nullptr);
    ~TForm1() override;

    model::Project& project() { return m_project; }
    const project::RecentList& recentList() const { return m_recent; }

    // What happens when the window is first shown: the recent list restored and the project
    // named on the command line (if any) opened. The window's layout is restored already, when
    // it is made, so it shows where it was.
    void start(const QString& commandLineProject);

    // Shows page group n (1 General ... 5 Finish) and selects its node in the tree; any other n
    // shows no group.
    void showPage(int n);
    int currentPage() const;

    // The shared change handler of the editing controls: the project differs from its file now.
    void Action1Execute();

    // The project commands, as the menus and the toolbar run them.
    void newProject();
    void openProject();
    void openFile(const QString& path);
    bool save();
    bool saveAs();
    void createSetup();
    // Setup > Signing Command...: the author's own command that signs every build's uninstaller
    // and setup, kept in the editor's settings, never in a project.
    void chooseSigningCommand();
    QString signingCommand() const;
    // Help Topics: the guide's page for where the author is.
    void showHelp();

    TForm5* buildDialog() const { return m_buildDialog; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class SaveResult { Saved, Cancelled, Failed };

    void buildActions();
    void buildMenus();
    void buildToolBar();
    void buildCentralArea();
    void treeSelectionChanged();
    void splitterMoved();
    void rebuildReopenMenu();
    void reloadPages();
    void filesChanged();
    bool unsavedChangesPrompt();
    SaveResult saveProject();
    SaveResult saveProjectAs();
    void updateCaption();
    void restoreLayout();
    QRect keepReachable(QRect bounds) const;
    void storeLayout();

    Services m_services;
    QSettings& m_settings;
    model::Project m_project;
    project::RecentList m_recent;

    QTreeWidget* m_tree = nullptr;
    QSplitter* m_splitter = nullptr;
    QStackedWidget* m_pageArea = nullptr;
    GeneralPage* m_general = nullptr;
    DialogsPage* m_dialogs = nullptr;
    FilesPage* m_files = nullptr;
    SystemPage* m_system = nullptr;
    FinishPage* m_finish = nullptr;
    std::vector<PageGroup*> m_groups;
    TForm3* m_about = nullptr;
    TForm4* m_addFilesDialog = nullptr;
    TForm5* m_buildDialog = nullptr;
    TForm7* m_editItemDialog = nullptr;

    QMenu* m_reopenMenu = nullptr;
    QToolButton* m_openButton = nullptr;
    QAction* m_newAction = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_saveAsAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_createSetupAction = nullptr;
    QAction* m_signingAction = nullptr;
    QAction* m_helpAction = nullptr;
    QAction* m_homePageAction = nullptr;
    QAction* m_feedbackAction = nullptr;
    QAction* m_aboutAction = nullptr;
    std::vector<QAction*> m_viewActions;
};

}  // namespace corvane::ui
