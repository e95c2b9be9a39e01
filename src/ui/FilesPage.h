#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/PageGroup.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTreeView;

namespace corvane::project {
struct AddProgress;
struct AddedFiles;
}  // namespace corvane::project

namespace corvane::ui {

class FilesListModel;
class TForm4;
class TForm7;

// The Files group: where the application goes ("InstallDir"), the files the setup installs
// ("Files") and the uninstaller's options ("Uninstall").
class FilesPage : public PageGroup {
    Q_OBJECT
public:
    // addDialog and editDialog are the main window's Add Files and Edit Current Item dialogs.
    FilesPage(model::Project& project, const Services& services, TForm4* addDialog, TForm7* editDialog,
              std::function<void()> onChange, std::function<void()> filesChanged, QWidget* parent = nullptr);
    void loadFromProject() override;
    // Shows the totals again and looks once more for sources marked missing; the main window
    // runs it after every change of the Files list, whoever made it.
    void refreshFilesPage();

    // The commands of the buttons and the list's context menu.
    void addFolder();
    void addFiles();
    void editRow();
    void removeRows();

    // Tells the author, once, which rows lost their source file (after a project was opened).
    void reportMissingSources();
    // A check found row's source missing or unreadable: marks it, selects it and shows it.
    void showProblemRow(std::size_t row);

private:
    void buildInstallDirTab();
    void buildFilesTab();
    void buildUninstallTab();
    void applyGetFromRegistry(bool on);
    void applyUninstaller(bool on);
    std::vector<std::size_t> selectedRows() const;
    // Runs the collection of rows off the GUI thread; after a moment a progress box shows what
    // has been found so far and offers Cancel.
    project::AddedFiles collect(const QString& what,
                                const std::function<project::AddedFiles(const project::AddProgress&)>& work);
    void addCollected(project::AddedFiles added);
    static QString listed(const std::vector<std::string>& paths);
    void rowsChanged();

    TForm4* m_addDialog;
    TForm7* m_editDialog;
    std::function<void()> m_filesChanged;
    bool m_busy = false;
    QLineEdit* m_installDir = nullptr;
    QCheckBox* m_getFromRegistry = nullptr;
    QComboBox* m_rootKey = nullptr;
    QLineEdit* m_subkey = nullptr;
    QLineEdit* m_valueName = nullptr;
    FilesListModel* m_listModel = nullptr;
    QTreeView* m_files = nullptr;
    QCheckBox* m_includeUninstaller = nullptr;
    QLabel* m_totalFiles = nullptr;
    QLabel* m_totalSize = nullptr;
    QCheckBox* m_showPrograms = nullptr;
    QCheckBox* m_uninstallPage = nullptr;
    QLineEdit* m_uninstallAddress = nullptr;
};

}  // namespace corvane::ui
