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
    // One of the two document tabs: its governing box, its list and buttons, and the rows it shows.
    struct DocumentTab {
        QCheckBox* show = nullptr;
        QTreeWidget* list = nullptr;
        QPushButton* specify = nullptr;
        QPushButton* edit = nullptr;
        QList<QWidget*> governed;  // enabled exactly while the show box is checked
        std::vector<model::LanguageDocEntry>* rows = nullptr;
        QString missingFileWarning;
    };

    void buildLanguageTab();
    void buildPasswordTab();
    void buildDocumentTab(DocumentTab& tab, const QString& caption, const QString& tabName,
                          const QString& showText, const QString& showName, const QString& listName,
                          const QString& fileColumn);
    // The language list from the catalogue the project scanned, checked as the project selects.
    void scanLanguageFiles();
    // A language was checked or unchecked: the selection, the default language and both
    // document lists follow.
    void rebuildLanguageLists();
    void fillDefaultLanguages();
    void fillDocuments();
    // The row the author selected, or -1 after the "Please select language." warning.
    int selectedRow(const DocumentTab& tab);
    void specifyDocument(DocumentTab& tab);
    void editDocument(const DocumentTab& tab);
    void applyProtect(bool on);
    static void applyDocumentGovernor(const DocumentTab& tab, bool on);

    QListWidget* m_languages = nullptr;
    QComboBox* m_defaultLanguage = nullptr;
    QCheckBox* m_protect = nullptr;
    QLineEdit* m_password = nullptr;
    QCheckBox* m_showPassword = nullptr;
    QCheckBox* m_accept = nullptr;
    DocumentTab m_license;
    DocumentTab m_readme;
};

}  // namespace corvane::ui
