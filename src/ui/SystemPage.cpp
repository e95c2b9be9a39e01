#include "ui/SystemPage.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/Project.h"
#include "project/RowFields.h"
#include "ui/AssociationDialog.h"
#include "ui/FormLayoutHelpers.h"
#include "ui/IniDialog.h"
#include "ui/RegisterFileDialog.h"
#include "ui/RegistryDialog.h"
#include "ui/Services.h"
#include "ui/ShortcutDialog.h"

namespace corvane::ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

template <class Entry>
QStringList cellsOf(const Entry& row) {
    QStringList cells;
    for (auto member : project::rowFields<Entry>())
        cells << qs(row.*member);
    return cells;
}

template <class Entry>
void fill(QTreeWidget* list, const std::vector<Entry>& rows) {
    SignalBlocker block(list);
    list->clear();
    for (const Entry& row : rows)
        list->addTopLevelItem(new QTreeWidgetItem(cellsOf(row)));
}

// The first selected row in list order (not the one clicked last), or -1.
int firstSelectedRow(const QTreeWidget* list) {
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        if (list->topLevelItem(i)->isSelected()) return i;
    return -1;
}

}  // namespace

SystemPage::SystemPage(model::Project& project, const Services& services, std::function<void()> onChange,
                       QWidget* parent)
    : PageGroup(QStringLiteral("PageSystem"), project, services, std::move(onChange), parent) {
    const QString programFolder = qs(project.programFolder());
    m_form8 = new TForm8(services, programFolder, this);
    m_form9 = new TForm9(services, programFolder, this);
    m_form10 = new TForm10(services, programFolder, this);
    m_form11 = new TForm11(services, programFolder, this);
    m_form12 = new TForm12(services, programFolder, this);
    m_commands.reserve(5);

    QWidget* shortcuts = addPage(tr("Shortcuts"), QStringLiteral("TabShortcuts"));
    auto* groupRow = new QHBoxLayout;
    groupRow->addWidget(new QLabel(tr("Program Group:"), shortcuts));
    m_programGroup = makeLineEdit(shortcuts, QStringLiteral("ProgramGroupEd"));
    groupRow->addWidget(m_programGroup, 1);
    m_allUsers = makeCheckBox(shortcuts, tr("Use all users Start Menu"), QStringLiteral("AllUsersMenuCheck"));
    bindText(m_programGroup, &model::ProjectSettings::programGroup);
    bindCheck(m_allUsers, &model::ProjectSettings::allUsersMenu);
    auto* shortcutsLayout = new QVBoxLayout(shortcuts);
    shortcutsLayout->addLayout(groupRow);
    shortcutsLayout->addWidget(m_allUsers);
    m_shortcuts = addList(
        shortcuts, QStringLiteral("ShortcutsList"),
        {tr("Destination"), tr("Shortcut Name"), tr("Target File"), tr("Description"), tr("Parameters"),
         tr("Working Dir"), tr("Icon File"), tr("Icon Index"), tr("Show")},
        QStringLiteral("Shortcut"), commandsFor(m_project.shortcuts, m_form8, [this] { m_form8->reset(); }));

    m_registry =
        addList(addPage(tr("Registry"), QStringLiteral("TabRegistry")), QStringLiteral("RegistryList"),
                {tr("Root Key"), tr("Subkey"), tr("Name Value"), tr("Type Value"), tr("Value Data"),
                 tr("Overwrite"), tr("Uninstall")},
                QStringLiteral("Registry"), commandsFor(m_project.registry, m_form9, {}));
    m_ini = addList(addPage(tr("INI Files"), QStringLiteral("TabIni")), QStringLiteral("IniList"),
                    {tr("INI File"), tr("Section"), tr("Key"), tr("Value"), tr("Overwrite"), tr("Uninstall")},
                    QStringLiteral("Ini"), commandsFor(m_project.ini, m_form11, {}));
    m_associations =
        addList(addPage(tr("File Associations"), QStringLiteral("TabAssociations")),
                QStringLiteral("AssociationsList"), {tr("Extension"), tr("Associated File")},
                QStringLiteral("Association"), commandsFor(m_project.associations, m_form10, {}));
    m_dlls = addList(addPage(tr("OCX, DLL"), QStringLiteral("TabDll")), QStringLiteral("DllList"),
                     {tr("Register OCX, DLL Files")}, QStringLiteral("Dll"),
                     commandsFor(m_project.dlls, m_form12, {}));
}

template <class Entry, class Dialog>
SystemPage::ListCommands SystemPage::commandsFor(std::vector<Entry>& rows, Dialog* dialog,
                                                 std::function<void()> beforeAdd) {
    // The list widget is filled in by addList; the commands find it through m_commands.
    const std::size_t index = m_commands.size();
    auto list = [this, index] { return m_commands[index].list; };
    ListCommands commands;
    commands.add = [this, &rows, dialog, beforeAdd, list] {
        dialog->setAddMode();
        if (beforeAdd) beforeAdd();
        if (dialog->exec() != QDialog::Accepted) return;
        rows.push_back(dialog->entry());
        list()->addTopLevelItem(new QTreeWidgetItem(cellsOf(rows.back())));
        changed();
    };
    commands.edit = [this, &rows, dialog, list] {
        const int row = firstSelectedRow(list());
        if (row < 0) return;
        dialog->setEditMode();
        dialog->load(rows[static_cast<std::size_t>(row)]);
        if (dialog->exec() != QDialog::Accepted) return;
        rows[static_cast<std::size_t>(row)] = dialog->entry();
        const QStringList cells = cellsOf(rows[static_cast<std::size_t>(row)]);
        QTreeWidgetItem* item = list()->topLevelItem(row);
        for (int c = 0; c < cells.size(); ++c)
            item->setText(c, cells[c]);
        changed();
    };
    commands.remove = [this, &rows, list] {
        if (firstSelectedRow(list()) < 0) return;
        const MessageService::Button answer = m_services.messages->show(
            this, MessageService::Icon::Question, applicationTitle(),
            tr("Are you sure you want to delete the selected items?"),
            {MessageService::Button::Yes, MessageService::Button::No}, MessageService::Button::Yes);
        if (answer != MessageService::Button::Yes) return;
        for (int i = list()->topLevelItemCount() - 1; i >= 0; --i) {
            if (!list()->topLevelItem(i)->isSelected()) continue;
            rows.erase(rows.begin() + i);
            delete list()->takeTopLevelItem(i);
        }
        changed();
    };
    return commands;
}

QTreeWidget* SystemPage::addList(QWidget* tab, const QString& listName, const QStringList& columns,
                                 const QString& buttonPrefix, ListCommands commands) {
    auto* layout = qobject_cast<QVBoxLayout*>(tab->layout());
    if (layout == nullptr) layout = new QVBoxLayout(tab);
    auto* list = new QTreeWidget(tab);
    list->setObjectName(listName);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setSortingEnabled(false);
    list->header()->setSectionsClickable(false);
    list->setHeaderLabels(columns);
    layout->addWidget(list, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (const auto& [text, suffix, command] :
         {std::tuple{tr("Add..."), QStringLiteral("Add"), commands.add},
          std::tuple{tr("Edit..."), QStringLiteral("Edit"), commands.edit},
          std::tuple{tr("Remove"), QStringLiteral("Remove"), commands.remove}}) {
        auto* button = new QPushButton(text, tab);
        button->setObjectName(buttonPrefix + suffix + QStringLiteral("Button"));
        connect(button, &QPushButton::clicked, this, command);
        buttons->addWidget(button);
    }
    layout->addLayout(buttons);

    // A change of the selection or of the focused row is an edit of the project too.
    connect(list, &QTreeWidget::itemSelectionChanged, this, [this] { changed(); });
    connect(list, &QTreeWidget::currentItemChanged, this, [this] { changed(); });
    list->installEventFilter(this);
    list->viewport()->installEventFilter(this);
    commands.list = list;
    m_commands.push_back(std::move(commands));
    return list;
}

const SystemPage::ListCommands* SystemPage::commandsOf(const QObject* listOrViewport) const {
    for (const ListCommands& c : m_commands)
        if (c.list == listOrViewport || c.list->viewport() == listOrViewport) return &c;
    return nullptr;
}

bool SystemPage::eventFilter(QObject* watched, QEvent* event) {
    const ListCommands* commands = commandsOf(watched);
    if (commands == nullptr) return PageGroup::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress && watched == commands->list) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            commands->edit();
            return true;
        }
        if (key == Qt::Key_Delete) {
            commands->remove();
            return true;
        }
    }
    // The first click of a double click has selected the row under the mouse (or cleared the
    // selection on empty space); the second opens what is selected.
    if (event->type() == QEvent::MouseButtonDblClick && watched == commands->list->viewport()) {
        commands->edit();
        return true;
    }
    return PageGroup::eventFilter(watched, event);
}

void SystemPage::filesChanged() {
    QStringList installed;
    for (const std::string& path : m_project.installedFiles())
        installed << qs(path);
    for (SystemEditorDialog* dialog :
         std::initializer_list<SystemEditorDialog*>{m_form8, m_form9, m_form10, m_form11, m_form12})
        dialog->setInstalledFiles(installed);
}

void SystemPage::loadFromProject() {
    {
        SignalBlocker a(m_programGroup), b(m_allUsers);
        m_programGroup->setText(qs(m_project.settings.programGroup));
        m_allUsers->setChecked(m_project.settings.allUsersMenu);
    }
    fill(m_shortcuts, m_project.shortcuts);
    fill(m_registry, m_project.registry);
    fill(m_ini, m_project.ini);
    fill(m_associations, m_project.associations);
    fill(m_dlls, m_project.dlls);
    filesChanged();
}

}  // namespace corvane::ui
