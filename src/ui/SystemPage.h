#pragma once

#include "ui/PageGroup.h"

class QTreeWidget;

namespace corvane::ui {

// The System group: shortcuts, registry values, INI values, file associations and OCX/DLL
// registration. For now each tab shows its list; the editors for its rows come with the item
// editors.
class SystemPage : public PageGroup {
    Q_OBJECT
public:
    SystemPage(model::Project& project, const Services& services, std::function<void()> onChange,
               QWidget* parent = nullptr);
    void loadFromProject() override;

private:
    QTreeWidget* addList(const QString& caption, const QString& tabName, const QString& listName,
                         const QStringList& columns);

    QTreeWidget* m_shortcuts = nullptr;
    QTreeWidget* m_registry = nullptr;
    QTreeWidget* m_ini = nullptr;
    QTreeWidget* m_associations = nullptr;
    QTreeWidget* m_dlls = nullptr;
};

}  // namespace corvane::ui
