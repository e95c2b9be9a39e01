#include "ui/IniDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>

#include "contract/RowValues.h"
#include "ui/FormLayoutHelpers.h"
#include "ui/VariableTokens.h"

namespace corvane::ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string yesNo(const QCheckBox* box) {
    return box->isChecked() ? model::kYes : model::kNo;
}

}  // namespace

TForm11::TForm11(const Services& services, const QString& programFolder, QWidget* parent)
    : SystemEditorDialog(QStringLiteral("TForm11"), tr("Add INI Value"),
                         QStringLiteral("Project Settings/System/3.htm"), 270, services, programFolder,
                         parent) {
    m_file = makeEditableCombo(QStringLiteral("IniFileCombo"), {}, true);
    m_section = makeEdit(QStringLiteral("SectionEd"));
    m_key = makeEdit(QStringLiteral("KeyEd"));
    m_value =
        makeEditableCombo(QStringLiteral("ValueCombo"), variableTokens(contract::kIniValueVariables), false);
    m_overwrite = makeCheckBox(this, tr("Overwrite value"), QStringLiteral("OverwriteCheck"));
    m_overwrite->setChecked(true);
    m_uninstall = makeCheckBox(this, tr("Uninstall"), QStringLiteral("UninstallCheck"));
    m_uninstall->setChecked(true);

    form()->addRow(tr("INI File:"), m_file);
    form()->addRow(tr("Section:"), m_section);
    form()->addRow(tr("Key:"), m_key);
    form()->addRow(tr("Value:"), m_value);
    form()->addRow(QString(), m_overwrite);
    form()->addRow(QString(), m_uninstall);
    setFieldOrder({m_file, m_section, m_key, m_value, m_overwrite, m_uninstall});
}

void TForm11::load(const model::IniEntry& row) {
    m_file->setEditText(qs(row.iniFile));
    m_section->setText(qs(row.section));
    m_key->setText(qs(row.key));
    m_value->setEditText(qs(row.value));
    m_overwrite->setChecked(contract::yesOrNo(std::string_view(row.overwrite)).value_or(false));
    m_uninstall->setChecked(contract::yesOrNo(std::string_view(row.uninstall)).value_or(false));
}

model::IniEntry TForm11::entry() const {
    auto text = [](const QString& s) { return s.toStdString(); };
    return {text(m_file->currentText()),  text(m_section->text()), text(m_key->text()),
            text(m_value->currentText()), yesNo(m_overwrite),      yesNo(m_uninstall)};
}

bool TForm11::checksPass() {
    if (!requiredFilled({m_file, m_section, m_key})) return false;
    return carriesQuestionMarks({{m_file, tr("INI File")}, {m_section, tr("Section")}, {m_key, tr("Key")}},
                                tr("Value"));
}

}  // namespace corvane::ui
