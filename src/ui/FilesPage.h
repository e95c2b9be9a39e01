#pragma once

#include "ui/PageGroup.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;

namespace corvane::ui {

// The Files group: where the application goes ("InstallDir"), the files the setup installs
// ("Files") and the uninstaller's options ("Uninstall").
class FilesPage : public PageGroup {
    Q_OBJECT
public:
    FilesPage(model::Project& project, const Services& services, std::function<void()> onChange,
              std::function<void()> filesChanged, QWidget* parent = nullptr);
    void loadFromProject() override;
    // Shows the rows and their totals again; the main window runs it after every change of
    // the Files list, whoever made it.
    void refreshFilesPage();

private:
    void buildInstallDirTab();
    void buildFilesTab();
    void buildUninstallTab();
    void applyGetFromRegistry(bool on);
    void applyUninstaller(bool on);

    std::function<void()> m_filesChanged;
    QLineEdit* m_installDir = nullptr;
    QCheckBox* m_getFromRegistry = nullptr;
    QComboBox* m_rootKey = nullptr;
    QLineEdit* m_subkey = nullptr;
    QLineEdit* m_valueName = nullptr;
    QTreeWidget* m_files = nullptr;
    QCheckBox* m_includeUninstaller = nullptr;
    QLabel* m_totalFiles = nullptr;
    QLabel* m_totalSize = nullptr;
    QCheckBox* m_showPrograms = nullptr;
    QCheckBox* m_uninstallPage = nullptr;
    QLineEdit* m_uninstallAddress = nullptr;
};

}  // namespace corvane::ui
