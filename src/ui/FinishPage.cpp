#include "ui/FinishPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "model/Project.h"
#include "ui/FormLayoutHelpers.h"

namespace corvane::ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

// How far an offer's own controls stand in from its check box: about a check box's width.
constexpr int kGovernedIndent = 20;

QComboBox* makeFileCombo(QWidget* parent, const QString& objectName) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    return combo;
}

}  // namespace

FinishPage::FinishPage(model::Project& project, const Services& services, std::function<void()> onChange,
                       QWidget* parent)
    : PageGroup(QStringLiteral("PageFinish"), project, services, std::move(onChange), parent) {
    QWidget* tab = addPage(tr("After Installation"), QStringLiteral("TabAfterInstallation"));
    m_restart = makeCheckBox(tab, tr("Restart Computer"), QStringLiteral("RestartCheck"));
    m_launch = makeCheckBox(tab, tr("Launch Program File"), QStringLiteral("LaunchFileCheck"));
    m_launchFile = makeFileCombo(tab, QStringLiteral("LaunchFileNameCombo"));
    m_launchChecked = makeCheckBox(tab, tr("Checked by default"), QStringLiteral("LaunchCheckedCheck"));
    m_viewReadme = makeCheckBox(tab, tr("View Readme File"), QStringLiteral("ViewReadmeCheck"));
    m_readmeFile = makeFileCombo(tab, QStringLiteral("ViewReadmeFileNameCombo"));
    m_readmeChecked = makeCheckBox(tab, tr("Checked by default"), QStringLiteral("ViewReadmeCheckedCheck"));
    m_visitSite = makeCheckBox(tab, tr("Visit Web Site"), QStringLiteral("VisitSiteCheck"));
    m_siteAddress = makeLineEdit(tab, QStringLiteral("VisitSiteAddressEd"));
    m_siteChecked = makeCheckBox(tab, tr("Checked by default"), QStringLiteral("VisitSiteCheckedCheck"));
    // Each offer's own controls stand indented under it, so it is plain which box governs them.
    auto* column = new QVBoxLayout(tab);
    column->addWidget(m_restart);
    auto offer = [&](QCheckBox* master, const QString& label, QWidget* field, QCheckBox* checkedByDefault) {
        column->addWidget(master);
        auto* governed = new QFormLayout;
        governed->setContentsMargins(kGovernedIndent, 0, 0, 0);
        governed->addRow(label, field);
        governed->addRow(checkedByDefault);
        column->addLayout(governed);
    };
    offer(m_launch, tr("File:"), m_launchFile, m_launchChecked);
    offer(m_viewReadme, tr("File:"), m_readmeFile, m_readmeChecked);
    offer(m_visitSite, tr("Address:"), m_siteAddress, m_siteChecked);
    column->addStretch();
    syncGoverned();

    connectMaster(m_restart, [this](bool on) { m_project.setRestart(on); });
    connectMaster(m_launch, [this](bool on) { m_project.setLaunchFile(on); });
    connectMaster(m_viewReadme, [this](bool on) { m_project.setViewReadme(on); });
    connectMaster(m_visitSite, [this](bool on) { m_project.setVisitSite(on); });
    bindCheck(m_launchChecked, &model::ProjectSettings::launchChecked);
    bindCheck(m_readmeChecked, &model::ProjectSettings::viewReadmeChecked);
    bindCheck(m_siteChecked, &model::ProjectSettings::visitSiteChecked);

    connect(m_launchFile, &QComboBox::editTextChanged, this, [this](const QString& t) {
        m_project.settings.launchFileName = t.toStdString();
        changed();
    });
    connect(m_readmeFile, &QComboBox::editTextChanged, this, [this](const QString& t) {
        m_project.settings.viewReadmeFileName = t.toStdString();
        changed();
    });
    bindText(m_siteAddress, &model::ProjectSettings::visitSiteAddress);
}

// A master goes through the model, which moves its companion and applies the Restart rule;
// the page then shows the result.
void FinishPage::connectMaster(QCheckBox* box, std::function<void(bool)> apply) {
    connect(box, &QCheckBox::toggled, this, [this, apply = std::move(apply)](bool on) {
        apply(on);
        syncGoverned();
        changed();
    });
}

void FinishPage::syncGoverned() {
    const model::ProjectSettings& s = m_project.settings;
    const std::pair<QCheckBox*, bool> boxes[] = {{m_restart, s.restart},
                                                 {m_launch, s.launchFile},
                                                 {m_launchChecked, s.launchChecked},
                                                 {m_viewReadme, s.viewReadme},
                                                 {m_readmeChecked, s.viewReadmeChecked},
                                                 {m_visitSite, s.visitSite},
                                                 {m_siteChecked, s.visitSiteChecked}};
    for (const auto& [box, on] : boxes) {
        SignalBlocker block(box);
        box->setChecked(on);
    }
    for (QCheckBox* offer : {m_launch, m_viewReadme, m_visitSite})
        offer->setEnabled(!s.restart);
    m_launchFile->setEnabled(s.launchFile);
    m_launchChecked->setEnabled(s.launchFile);
    m_readmeFile->setEnabled(s.viewReadme);
    m_readmeChecked->setEnabled(s.viewReadme);
    m_siteAddress->setEnabled(s.visitSite);
    m_siteChecked->setEnabled(s.visitSite);
}

void FinishPage::filesChanged() {
    const QString launch = m_launchFile->currentText();
    const QString readme = m_readmeFile->currentText();
    QStringList installed;
    for (const std::string& path : m_project.installedFiles())
        installed << qs(path);
    for (auto [combo, text] : {std::pair{m_launchFile, launch}, std::pair{m_readmeFile, readme}}) {
        SignalBlocker block(combo);
        combo->clear();
        combo->addItems(installed);
        combo->setEditText(text);
    }
}

void FinishPage::loadFromProject() {
    {
        SignalBlocker a(m_launchFile), b(m_readmeFile), c(m_siteAddress);
        m_launchFile->setEditText(qs(m_project.settings.launchFileName));
        m_readmeFile->setEditText(qs(m_project.settings.viewReadmeFileName));
        m_siteAddress->setText(qs(m_project.settings.visitSiteAddress));
    }
    filesChanged();
    syncGoverned();
}

}  // namespace corvane::ui
