#include "ui/DialogsPage.h"

#include <QCheckBox>
#include <QComboBox>
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

QString qs(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

DialogsPage::DialogsPage(model::Project& project, const Services& services, std::function<void()> onChange,
                         QWidget* parent)
    : PageGroup(QStringLiteral("PageDialogs"), project, services, std::move(onChange), parent) {
    buildLanguageTab();
    buildPasswordTab();
    m_licenseList = buildDocumentTab(tr("License Agreement"), QStringLiteral("TabLicense"),
                                     tr("Show 'License Agreement' Dialog"), QStringLiteral("LicenseCheck"),
                                     QStringLiteral("ListLicense"), tr("License File"), &m_license, &m_licenseSpecify);
    m_accept = makeCheckBox(widget(2), tr("Show 'I accept the agreement' check box"), QStringLiteral("AcceptCheck"));
    static_cast<QVBoxLayout*>(widget(2)->layout())->insertWidget(1, m_accept);
    m_readmeList = buildDocumentTab(tr("Readme"), QStringLiteral("TabReadme"), tr("Show 'Readme' Dialog"),
                                    QStringLiteral("ReadmeCheck"), QStringLiteral("ListReadme"), tr("Readme File"),
                                    &m_readme, &m_readmeSpecify);

    connect(m_license, &QCheckBox::toggled, this, [this](bool on) {
        m_project.settings.license = on;
        applyLicenseGovernor(on);
        changed();
    });
    bindCheck(m_accept, &model::ProjectSettings::accept);
    connect(m_readme, &QCheckBox::toggled, this, [this](bool on) {
        m_project.settings.readme = on;
        applyReadmeGovernor(on);
        changed();
    });
    connect(m_licenseSpecify, &QPushButton::clicked, this, [this] { specifyDocument(m_licenseList, m_project.licenses); });
    connect(m_licenseList, &QTreeWidget::itemDoubleClicked, this,
            [this] { specifyDocument(m_licenseList, m_project.licenses); });
    connect(m_readmeSpecify, &QPushButton::clicked, this, [this] { specifyDocument(m_readmeList, m_project.readmes); });
    connect(m_readmeList, &QTreeWidget::itemDoubleClicked, this,
            [this] { specifyDocument(m_readmeList, m_project.readmes); });
    for (QTreeWidget* list : {m_licenseList, m_readmeList})
        connect(list, &QTreeWidget::currentItemChanged, this, [this] { changed(); });
}

void DialogsPage::buildLanguageTab() {
    QWidget* tab = addPage(tr("Language"), QStringLiteral("TabLanguage"));
    auto* layout = new QVBoxLayout(tab);
    layout->addWidget(new QLabel(tr("Select Languages:"), tab));
    m_languages = new QListWidget(tab);
    m_languages->setObjectName(QStringLiteral("CheckListBox1"));
    layout->addWidget(m_languages);
    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel(tr("Default Language:"), tab));
    m_defaultLanguage = new QComboBox(tab);
    m_defaultLanguage->setObjectName(QStringLiteral("ComboBox2"));
    row->addWidget(m_defaultLanguage, 1);
    layout->addLayout(row);

    connect(m_languages, &QListWidget::itemChanged, this, [this] { languageToggled(); });
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

QTreeWidget* DialogsPage::buildDocumentTab(const QString& caption, const QString& tabName, const QString& showText,
                                           const QString& showName, const QString& listName,
                                           const QString& fileColumn, QCheckBox** show, QPushButton** specify) {
    QWidget* tab = addPage(caption, tabName);
    auto* layout = new QVBoxLayout(tab);
    *show = makeCheckBox(tab, showText, showName);
    layout->addWidget(*show);
    auto* list = new QTreeWidget(tab);
    list->setObjectName(listName);
    list->setRootIsDecorated(false);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setHeaderLabels({tr("Language"), fileColumn});
    list->header()->resizeSection(0, 80);
    list->header()->resizeSection(1, 250);
    layout->addWidget(list);
    auto* buttons = new QHBoxLayout;
    *specify = new QPushButton(tr("Specify..."), tab);
    (*specify)->setObjectName(listName + QStringLiteral("Specify"));
    buttons->addStretch();
    buttons->addWidget(*specify);
    layout->addLayout(buttons);
    list->setEnabled(false);
    (*specify)->setEnabled(false);
    return list;
}

void DialogsPage::languageToggled() {
    for (int i = 0; i < m_languages->count(); ++i)
        m_project.setLanguageSelected(static_cast<std::size_t>(i), m_languages->item(i)->checkState() == Qt::Checked);
    m_project.rebuildDocumentLists();
    fillDefaultLanguages();
    fillDocuments();
    changed();
}

void DialogsPage::fillDefaultLanguages() {
    SignalBlocker block(m_defaultLanguage);
    m_defaultLanguage->clear();
    for (const std::string& name : m_project.selectedLanguages()) m_defaultLanguage->addItem(qs(name));
    m_defaultLanguage->setCurrentIndex(m_project.settings.defaultLanguage);
}

void DialogsPage::fillDocuments() {
    const std::pair<QTreeWidget*, const std::vector<model::LanguageDocEntry>*> lists[] = {
        {m_licenseList, &m_project.licenses}, {m_readmeList, &m_project.readmes}};
    for (const auto& [list, rows] : lists) {
        SignalBlocker block(list);
        list->clear();
        for (const model::LanguageDocEntry& row : *rows)
            list->addTopLevelItem(new QTreeWidgetItem(QStringList{qs(row.language), qs(row.file)}));
    }
}

void DialogsPage::specifyDocument(QTreeWidget* list, std::vector<model::LanguageDocEntry>& rows) {
    const int row = list->indexOfTopLevelItem(list->currentItem());
    if (row < 0 || static_cast<std::size_t>(row) >= rows.size()) {
        showWarning(m_services, this, tr("Please select language."));
        return;
    }
    const QString chosen = m_services.files->openFile(
        this, tr("Text Files, RTF Files (*.txt *.rtf);;Any Files (*)"), qs(rows[static_cast<std::size_t>(row)].file));
    if (chosen.isEmpty()) return;
    rows[static_cast<std::size_t>(row)].file = chosen.toStdString();
    list->currentItem()->setText(1, chosen);
    changed();
}

void DialogsPage::applyProtect(bool on) {
    m_password->setEnabled(on);
    m_showPassword->setEnabled(on);
}

void DialogsPage::applyLicenseGovernor(bool on) {
    m_licenseList->setEnabled(on);
    m_licenseSpecify->setEnabled(on);
    m_accept->setEnabled(on);
}

void DialogsPage::applyReadmeGovernor(bool on) {
    m_readmeList->setEnabled(on);
    m_readmeSpecify->setEnabled(on);
}

void DialogsPage::loadFromProject() {
    {
        SignalBlocker block(m_languages);
        m_languages->clear();
        const auto& catalogue = m_project.languageCatalogue();
        for (std::size_t i = 0; i < catalogue.size(); ++i) {
            auto* item = new QListWidgetItem(qs(catalogue[i]), m_languages);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(m_project.isLanguageSelected(i) ? Qt::Checked : Qt::Unchecked);
        }
    }
    fillDefaultLanguages();
    fillDocuments();

    const model::ProjectSettings& s = m_project.settings;
    for (QCheckBox* box : {m_protect, m_showPassword, m_license, m_accept, m_readme}) box->blockSignals(true);
    m_protect->setChecked(s.protect);
    m_license->setChecked(s.license);
    m_accept->setChecked(s.accept);
    m_readme->setChecked(s.readme);
    for (QCheckBox* box : {m_protect, m_showPassword, m_license, m_accept, m_readme}) box->blockSignals(false);
    {
        SignalBlocker block(m_password);
        m_password->setText(qs(s.password));
    }
    applyProtect(s.protect);
    applyLicenseGovernor(s.license);
    applyReadmeGovernor(s.readme);
}

}  // namespace corvane::ui
