#include "ui/GeneralPage.h"

#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
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

GeneralPage::GeneralPage(model::Project& project, const Services& services, std::function<void()> onChange,
                         QWidget* parent)
    : PageGroup(QStringLiteral("PageGeneral"), project, services, std::move(onChange), parent) {
    buildGeneralTab();
    buildBitmapsTab();
}

void GeneralPage::buildGeneralTab() {
    QWidget* tab = addPage(tr("General"), QStringLiteral("TabGeneral"));
    auto* form = new QFormLayout(tab);
    m_appName = makeLineEdit(tab, QStringLiteral("AppNameEd"));
    m_appVersion = makeLineEdit(tab, QStringLiteral("AppVersionEd"));
    m_companyName = makeLineEdit(tab, QStringLiteral("CompanyNameEd"));
    m_webSite = makeLineEdit(tab, QStringLiteral("WebSiteEd"));
    m_support = makeLineEdit(tab, QStringLiteral("SupportEd"));
    form->addRow(tr("Application name:"), m_appName);
    form->addRow(tr("Application version:"), m_appVersion);
    form->addRow(tr("Company name:"), m_companyName);
    form->addRow(tr("Web site:"), m_webSite);
    form->addRow(tr("Support link:"), m_support);

    auto* rule = new QFrame(tab);
    rule->setFrameShape(QFrame::HLine);
    rule->setFrameShadow(QFrame::Sunken);
    form->addRow(rule);

    m_setupFile = makeLineEdit(tab, QStringLiteral("SetupFileEd"));
    QPushButton* browse = makeBrowseButton(tab, QStringLiteral("SetupFileButton"));
    form->addRow(tr("Setup File:"), pathRow(tab, m_setupFile, browse));
    m_compression = makeChoice(tab, {tr("No compression"), tr("Normal"), tr("Maximal")},
                               QStringLiteral("CompressionTypeCombo"));
    form->addRow(tr("Compression Type:"), m_compression);
    // Kept and stored, but there is no control for it on screen.
    m_silent = makeCheckBox(tab, tr("Silent Installation"), QStringLiteral("SilentCheck"));
    m_silent->hide();

    bindText(m_appName, &model::ProjectSettings::appName);
    bindText(m_appVersion, &model::ProjectSettings::appVersion);
    bindText(m_companyName, &model::ProjectSettings::companyName);
    bindText(m_webSite, &model::ProjectSettings::webSite);
    bindText(m_support, &model::ProjectSettings::support);
    bindText(m_setupFile, &model::ProjectSettings::setupFile);
    connect(browse, &QPushButton::clicked, this, &GeneralPage::browseSetupFile);
    connect(m_compression, &QComboBox::currentIndexChanged, this, [this](int index) {
        m_project.settings.compressionType = index;
        changed();
    });
    bindCheck(m_silent, &model::ProjectSettings::silent);
}

void GeneralPage::buildBitmapsTab() {
    QWidget* tab = addPage(tr("Bitmaps"), QStringLiteral("TabBitmaps"));
    auto* form = new QFormLayout(tab);
    m_wizard = makeLineEdit(tab, QStringLiteral("WizardEd"));
    m_header = makeLineEdit(tab, QStringLiteral("HeaderEd"));
    m_wizard->setReadOnly(true);
    m_header->setReadOnly(true);
    QPushButton* wizardButton = makeBrowseButton(tab, QStringLiteral("WizardButton"));
    QPushButton* headerButton = makeBrowseButton(tab, QStringLiteral("HeaderButton"));
    form->addRow(tr("Wizard Bitmap:"), pathRow(tab, m_wizard, wizardButton));
    form->addRow(tr("Header Bitmap:"), pathRow(tab, m_header, headerButton));
    bindText(m_wizard, &model::ProjectSettings::wizard);
    bindText(m_header, &model::ProjectSettings::header);
    connect(wizardButton, &QPushButton::clicked, this,
            [this] { browseBitmap(m_wizard, tr("Bitmap Files 164x314 pixels (*.bmp)")); });
    connect(headerButton, &QPushButton::clicked, this,
            [this] { browseBitmap(m_header, tr("Bitmap Files 55x55 pixels (*.bmp)")); });
}

void GeneralPage::browseSetupFile() {
    QString chosen =
        m_services.files->saveFile(this, tr("Exe file (*.exe)"), chooserStart(m_setupFile->text()));
    if (chosen.isEmpty()) return;
    // The extension is compared exactly, letter case included: Setup.EXE becomes Setup.EXE.exe.
    // The chooser asked about the name as typed; with ".exe" added it may name another file, which
    // the next build would replace.
    if (!chosen.endsWith(QStringLiteral(".exe"))) {
        chosen += QStringLiteral(".exe");
        if (QFileInfo::exists(chosen) && !confirmReplace(m_services, window(), chosen)) return;
    }
    m_setupFile->setText(chosen);
}

void GeneralPage::browseBitmap(QLineEdit* edit, const QString& filter) {
    const QString chosen = m_services.files->openPicture(this, filter, chooserStart(edit->text()));
    if (!chosen.isEmpty()) edit->setText(chosen);
}

// A relative path is read from the project file's folder, as the build reads it, so the chooser
// opens at that file and not in whatever folder the editor was started from. A project never
// saved has no folder: its bare names start in the home folder, where a new project's setup goes.
QString GeneralPage::chooserStart(const QString& text) const {
    const QString path = QString::fromStdString(m_project.resolvePath(text.toStdString()).string());
    return QFileInfo(path).isRelative() ? QDir::home().filePath(path) : path;
}

void GeneralPage::loadFromProject() {
    const model::ProjectSettings& s = m_project.settings;
    const std::pair<QLineEdit*, const std::string*> texts[] = {
        {m_appName, &s.appName}, {m_appVersion, &s.appVersion}, {m_companyName, &s.companyName},
        {m_webSite, &s.webSite}, {m_support, &s.support},       {m_setupFile, &s.setupFile},
        {m_wizard, &s.wizard},   {m_header, &s.header},
    };
    for (const auto& [edit, value] : texts) {
        SignalBlocker block(edit);
        edit->setText(qs(*value));
    }
    SignalBlocker blockCompression(m_compression);
    m_compression->setCurrentIndex(s.compressionType);
    SignalBlocker blockSilent(m_silent);
    m_silent->setChecked(s.silent);
}

}  // namespace corvane::ui
