#pragma once

#include <functional>
#include <vector>

#include "ui/PageGroup.h"

class QCheckBox;
class QLineEdit;
class QTreeWidget;

namespace corvane::ui {

class TForm8;
class TForm9;
class TForm10;
class TForm11;
class TForm12;

// The System group: shortcuts, registry values, INI values, file associations and OCX/DLL
// registration. Each tab shows one list of the project with "Add...", "Edit..." and "Remove"
// under it; Enter edits, Delete removes and a double click edits, on all five lists alike. Every
// change of a list, its selection included, is reported as an edit.
class SystemPage : public PageGroup {
    Q_OBJECT
public:
    SystemPage(model::Project& project, const Services& services, std::function<void()> onChange,
               QWidget* parent = nullptr);
    void loadFromProject() override;
    void filesChanged() override;

    TForm8* shortcutDialog() const { return m_form8; }
    TForm9* registryDialog() const { return m_form9; }
    TForm10* associationDialog() const { return m_form10; }
    TForm11* iniDialog() const { return m_form11; }
    TForm12* registerFileDialog() const { return m_form12; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct ListCommands {
        QTreeWidget* list = nullptr;
        std::function<void()> add;
        std::function<void()> edit;
        std::function<void()> remove;
    };

    QTreeWidget* addList(QWidget* tab, const QString& listName, const QStringList& columns,
                         const QString& buttonPrefix, ListCommands commands);
    template <class Entry, class Dialog>
    ListCommands commandsFor(std::vector<Entry>& rows, Dialog* dialog, std::function<void()> beforeAdd);
    const ListCommands* commandsOf(const QObject* listOrViewport) const;

    QLineEdit* m_programGroup = nullptr;
    QCheckBox* m_allUsers = nullptr;
    QTreeWidget* m_shortcuts = nullptr;
    QTreeWidget* m_registry = nullptr;
    QTreeWidget* m_ini = nullptr;
    QTreeWidget* m_associations = nullptr;
    QTreeWidget* m_dlls = nullptr;
    std::vector<ListCommands> m_commands;

    TForm8* m_form8 = nullptr;
    TForm9* m_form9 = nullptr;
    TForm10* m_form10 = nullptr;
    TForm11* m_form11 = nullptr;
    TForm12* m_form12 = nullptr;
};

}  // namespace corvane::ui
