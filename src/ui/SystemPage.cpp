#include "ui/SystemPage.h"

#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/Project.h"
#include "project/RowFields.h"

namespace corvane::ui {

namespace {

template <class Entry>
void fill(QTreeWidget* list, const std::vector<Entry>& rows) {
    SignalBlocker block(list);
    list->clear();
    for (const Entry& row : rows) {
        QStringList cells;
        for (auto member : project::rowFields<Entry>()) cells << QString::fromStdString(row.*member);
        list->addTopLevelItem(new QTreeWidgetItem(cells));
    }
}

}  // namespace

SystemPage::SystemPage(model::Project& project, const Services& services, std::function<void()> onChange,
                       QWidget* parent)
    : PageGroup(QStringLiteral("PageSystem"), project, services, std::move(onChange), parent) {
    m_shortcuts = addList(tr("Shortcuts"), QStringLiteral("TabShortcuts"), QStringLiteral("ShortcutsList"),
                          {tr("Destination"), tr("Shortcut Name"), tr("Target File"), tr("Description"),
                           tr("Parameters"), tr("Working Dir"), tr("Icon File"), tr("Icon Index"), tr("Show")});
    m_registry = addList(tr("Registry"), QStringLiteral("TabRegistry"), QStringLiteral("RegistryList"),
                         {tr("Root Key"), tr("Subkey"), tr("Name Value"), tr("Type Value"), tr("Value Data"),
                          tr("Overwrite"), tr("Uninstall")});
    m_ini = addList(tr("INI Files"), QStringLiteral("TabIni"), QStringLiteral("IniList"),
                    {tr("INI File"), tr("Section"), tr("Key"), tr("Value"), tr("Overwrite"), tr("Uninstall")});
    m_associations = addList(tr("File Associations"), QStringLiteral("TabAssociations"),
                             QStringLiteral("AssociationsList"), {tr("Extension"), tr("Associated File")});
    m_dlls = addList(tr("OCX, DLL"), QStringLiteral("TabDll"), QStringLiteral("DllList"),
                     {tr("Register OCX, DLL Files")});
}

QTreeWidget* SystemPage::addList(const QString& caption, const QString& tabName, const QString& listName,
                                 const QStringList& columns) {
    QWidget* tab = addPage(caption, tabName);
    auto* layout = new QVBoxLayout(tab);
    auto* list = new QTreeWidget(tab);
    list->setObjectName(listName);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setHeaderLabels(columns);
    layout->addWidget(list);
    connect(list, &QTreeWidget::itemSelectionChanged, this, [this] { changed(); });
    return list;
}

void SystemPage::loadFromProject() {
    fill(m_shortcuts, m_project.shortcuts);
    fill(m_registry, m_project.registry);
    fill(m_ini, m_project.ini);
    fill(m_associations, m_project.associations);
    fill(m_dlls, m_project.dlls);
}

}  // namespace corvane::ui
