#include "ui/DialogsPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "model/Project.h"
#include "ui/FormLayoutHelpers.h"
#include "ui/Services.h"

namespace corvane::ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

DialogsPage::DialogsPage(model::Project& project, const Services& services, std::function<void()> onChange,
                         QWidget* parent)
    : PageGroup(QStringLiteral("PageDialogs"), project, services, std::move(onChange), parent) {
    buildLanguageTab();
    buildPasswordTab();
    m_license.rows = &m_project.licenses;
    m_license.missingFileWarning = tr("Please specify license file for current language.");
    buildDocumentTab(m_license, tr("License Agreement"), QStringLiteral("TabLicense"),
                     tr("Show 'License Agreement' Dialog"), QStringLiteral("LicenseCheck"),
                     QStringLiteral("ListLicense"), tr("License File"));
    m_accept =
        makeCheckBox(widget(2), tr("Show 'I accept the agreement' check box"), QStringLiteral("AcceptCheck"));
    static_cast<QVBoxLayout*>(widget(2)->layout())->insertWidget(1, m_accept);
    // Governed with the license list, it keeps its own state while disabled.
    m_license.governed << m_accept;
    applyDocumentGovernor(m_license, false);
    bindCheck(m_accept, &model::ProjectSettings::accept);
    m_readme.rows = &m_project.readmes;
    m_readme.missingFileWarning = tr("Please specify readme file for current language.");
    buildDocumentTab(m_readme, tr("Readme"), QStringLiteral("TabReadme"), tr("Show 'Readme' Dialog"),
                     QStringLiteral("ReadmeCheck"), QStringLiteral("ListReadme"), tr("Readme File"));

    connect(m_license.show, &QCheckBox::toggled, this, [this](bool on) {
        m_project.settings.license = on;
        applyDocumentGovernor(m_license, on);
        changed();
    });
    connect(m_readme.show, &QCheckBox::toggled, this, [this](bool on) {
        m_project.settings.readme = on;
        applyDocumentGovernor(m_readme, on);
        changed();
    });
}

void DialogsPage::buildLanguageTab() {
    QWidget* tab = addPage(tr("Language"), QStringLiteral("TabLanguage"));
    auto* layout = new QVBoxLayout(tab);
    auto* label = new QLabel(tr("Select Languages:"), tab);
    layout->addWidget(label);
    m_languages = new QListWidget(tab);
    m_languages->setObjectName(QStringLiteral("CheckListBox1"));
    label->setBuddy(m_languages);
    layout->addWidget(m_languages);
    auto* row = new QHBoxLayout;
    auto* defaultLabel = new QLabel(tr("Default Language:"), tab);
    row->addWidget(defaultLabel);
    m_defaultLanguage = new QComboBox(tab);
    m_defaultLanguage->setObjectName(QStringLiteral("ComboBox2"));
    m_defaultLanguage->setEditable(false);
    defaultLabel->setBuddy(m_defaultLanguage);
    row->addWidget(m_defaultLanguage, 1);
    layout->addLayout(row);

    connect(m_languages, &QListWidget::itemChanged, this, [this] { rebuildLanguageLists(); });
    connect(m_defaultLanguage, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_project.settings.defaultLanguage = index;
        changed();
    });
}

void DialogsPage::buildPasswordTab() {
    QWidget* tab = addPage(tr("Password"), QStringLiteral("TabPassword"));
    auto* layout = new QVBoxLayout(tab);
    m_protect = makeCheckBox(tab, tr("Protect Setup"), QStringLiteral("ProtectCheck"));
    layout->addWidget(m_protect);
    auto* group = new QGroupBox(tr("Password"), tab);
    auto* groupLayout = new QVBoxLayout(group);
    m_password = makeLineEdit(group, QStringLiteral("PasswordEd"));
    m_password->setEchoMode(QLineEdit::Password);
    m_showPassword = makeCheckBox(group, tr("Show Password"), QStringLiteral("ShowPasswordCheck"));
    groupLayout->addWidget(m_password);
    groupLayout->addWidget(m_showPassword);
    layout->addWidget(group);
    layout->addStretch();
    applyProtect(false);

    connect(m_protect, &QCheckBox::toggled, this, [this](bool on) {
        m_project.settings.protect = on;
        applyProtect(on);
        changed();
    });
    bindText(m_password, &model::ProjectSettings::password);
    // A view option: it is not stored, but a click counts as an edit all the same.
    connect(m_showPassword, &QCheckBox::toggled, this, [this](bool on) {
        m_password->setEchoMode(on ? QLineEdit::Normal : QLineEdit::Password);
        changed();
    });
}

void DialogsPage::buildDocumentTab(DocumentTab& tab, const QString& caption, const QString& tabName,
                                   const QString& showText, const QString& showName, const QString& listName,
                                   const QString& fileColumn) {
    QWidget* page = addPage(caption, tabName);
    auto* layout = new QVBoxLayout(page);
    tab.show = makeCheckBox(page, showText, showName);
    layout->addWidget(tab.show);
    tab.list = new QTreeWidget(page);
    tab.list->setObjectName(listName);
    tab.list->setRootIsDecorated(false);
    tab.list->setSelectionMode(QAbstractItemView::SingleSelection);
    tab.list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tab.list->setHeaderLabels({tr("Language"), fileColumn});
    tab.list->header()->setStretchLastSection(false);
    tab.list->header()->resizeSection(0, 80);
    tab.list->header()->resizeSection(1, 250);
    layout->addWidget(tab.list);
    auto* buttons = new QHBoxLayout;
    tab.specify = new QPushButton(tr("Specify..."), page);
    tab.specify->setObjectName(listName + QStringLiteral("Specify"));
    tab.edit = new QPushButton(tr("Edit"), page);
    tab.edit->setObjectName(listName + QStringLiteral("Edit"));
    buttons->addStretch();
    buttons->addWidget(tab.specify);
    buttons->addWidget(tab.edit);
    layout->addLayout(buttons);
    tab.governed = {tab.list, tab.specify, tab.edit};
    applyDocumentGovernor(tab, false);

    connect(tab.specify, &QPushButton::clicked, this, [this, &tab] { specifyDocument(tab); });
    connect(tab.list, &QTreeWidget::itemDoubleClicked, this, [this, &tab] { specifyDocument(tab); });
    connect(tab.edit, &QPushButton::clicked, this, [this, &tab] { editDocument(tab); });
    // Moving the selection counts as an edit, as every change of these lists does.
    connect(tab.list, &QTreeWidget::itemSelectionChanged, this, [this] { changed(); });
}

void DialogsPage::scanLanguageFiles() {
    SignalBlocker block(m_languages);
    m_languages->clear();
    const std::vector<std::string>& catalogue = m_project.languageCatalogue();
    for (std::size_t i = 0; i < catalogue.size(); ++i) {
        auto* item = new QListWidgetItem(qs(catalogue[i]), m_languages);
        item->setFlags((item->flags() | Qt::ItemIsUserCheckable) & ~Qt::ItemIsEditable);
        item->setCheckState(m_project.isLanguageSelected(i) ? Qt::Checked : Qt::Unchecked);
    }
}

void DialogsPage::rebuildLanguageLists() {
    for (int i = 0; i < m_languages->count(); ++i)
        m_project.setLanguageSelected(static_cast<std::size_t>(i),
                                      m_languages->item(i)->checkState() == Qt::Checked);
    m_project.rebuildDocumentLists();
    fillDefaultLanguages();
    fillDocuments();
    changed();
}

void DialogsPage::fillDefaultLanguages() {
    SignalBlocker block(m_defaultLanguage);
    m_defaultLanguage->clear();
    for (const std::string& name : m_project.selectedLanguages())
        m_defaultLanguage->addItem(qs(name));
    m_defaultLanguage->setCurrentIndex(m_project.settings.defaultLanguage);
}

void DialogsPage::fillDocuments() {
    for (DocumentTab* tab : {&m_license, &m_readme}) {
        SignalBlocker block(tab->list);
        tab->list->clear();
        for (const model::LanguageDocEntry& row : *tab->rows)
            tab->list->addTopLevelItem(new QTreeWidgetItem(QStringList{qs(row.language), qs(row.file)}));
    }
}

int DialogsPage::selectedRow(const DocumentTab& tab) {
    const QList<QTreeWidgetItem*> selected = tab.list->selectedItems();
    const int row = selected.isEmpty() ? -1 : tab.list->indexOfTopLevelItem(selected.front());
    if (row < 0 || static_cast<std::size_t>(row) >= tab.rows->size()) {
        showWarning(m_services, this, tr("Please select language."));
        return -1;
    }
    return row;
}

void DialogsPage::specifyDocument(DocumentTab& tab) {
    const int row = selectedRow(tab);
    if (row < 0) return;
    model::LanguageDocEntry& entry = (*tab.rows)[static_cast<std::size_t>(row)];
    // A stored path may be relative to the project's folder, not to where the editor was started.
    const QString initial = entry.file.empty()
                                ? QDir::homePath()
                                : QString::fromStdString(m_project.resolvePath(entry.file).string());
    const QString chosen =
        m_services.files->openFile(this, tr("Text Files, RTF Files (*.txt *.rtf);;Any Files (*)"), initial);
    if (chosen.isEmpty()) return;
    changed();
    entry.file = chosen.toStdString();
    tab.list->topLevelItem(row)->setText(1, chosen);
}

void DialogsPage::editDocument(const DocumentTab& tab) {
    const int row = selectedRow(tab);
    if (row < 0) return;
    const std::string& file = (*tab.rows)[static_cast<std::size_t>(row)].file;
    if (file.empty()) {
        showWarning(m_services, this, tab.missingFileWarning);
        return;
    }
    m_services.shell->edit(QString::fromStdString(m_project.resolvePath(file).string()));
}

void DialogsPage::applyProtect(bool on) {
    m_password->setEnabled(on);
    m_showPassword->setEnabled(on);
}

void DialogsPage::applyDocumentGovernor(const DocumentTab& tab, bool on) {
    for (QWidget* w : tab.governed)
        w->setEnabled(on);
}

void DialogsPage::loadFromProject() {
    scanLanguageFiles();
    fillDefaultLanguages();
    fillDocuments();

    const model::ProjectSettings& s = m_project.settings;
    const QList<QCheckBox*> boxes = {m_protect, m_showPassword, m_license.show, m_accept, m_readme.show};
    for (QCheckBox* box : boxes)
        box->blockSignals(true);
    m_protect->setChecked(s.protect);
    m_license.show->setChecked(s.license);
    m_accept->setChecked(s.accept);
    m_readme.show->setChecked(s.readme);
    for (QCheckBox* box : boxes)
        box->blockSignals(false);
    {
        SignalBlocker block(m_password);
        m_password->setText(qs(s.password));
    }
    applyProtect(s.protect);
    applyDocumentGovernor(m_license, s.license);
    applyDocumentGovernor(m_readme, s.readme);
}

}  // namespace corvane::ui
