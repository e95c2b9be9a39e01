#pragma once

#include <vector>

#include "model/Entries.h"
#include "ui/PageGroup.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTreeWidget;

namespace corvane::ui {

// The Dialogs group: the languages the setup offers and its default ("Language"), the setup
// password ("Password"), and the license and readme documents per language ("License
// Agreement", "Readme").
class DialogsPage : public PageGroup {
    Q_OBJECT
public:
    DialogsPage(model::Project& project, const Services& services, std::function<void()> onChange,
                QWidget* parent = nullptr);
    void loadFromProject() override;

private:
    void buildLanguageTab();
    void buildPasswordTab();
    QTreeWidget* buildDocumentTab(const QString& caption, const QString& tabName, const QString& showText,
                                  const QString& showName, const QString& listName, const QString& fileColumn,
                                  QCheckBox** show, QPushButton** specify);
    void languageToggled();
    void fillDefaultLanguages();
    void fillDocuments();
    void specifyDocument(QTreeWidget* list, std::vector<model::LanguageDocEntry>& rows);
    void applyProtect(bool on);
    void applyLicenseGovernor(bool on);
    void applyReadmeGovernor(bool on);

    QListWidget* m_languages = nullptr;
    QComboBox* m_defaultLanguage = nullptr;
    QCheckBox* m_protect = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_showPassword = nullptr;
    QCheckBox* m_license = nullptr;
    QCheckBox* m_accept = nullptr;
    QTreeWidget* m_licenseList = nullptr;
    QPushButton* m_licenseSpecify = nullptr;
    QCheckBox* m_readme = nullptr;
    QTreeWidget* m_readmeList = nullptr;
    QPushButton* m_readmeSpecify = nullptr;
};

}  // namespace corvane::ui
