#include "ui/AssociationDialog.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QFormLayout>
#include <QLineEdit>

#include "model/EntryRules.h"

namespace corvane::ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

TForm10::TForm10(const Services& services, const QString& programFolder, QWidget* parent)
    : SystemEditorDialog(QStringLiteral("TForm10"), tr("Add File Association"),
                         QStringLiteral("Project Settings/System/4.htm"), 157, services, programFolder,
                         parent) {
    m_extension = makeEdit(QStringLiteral("ExtensionEd"));
    m_extension->setText(QStringLiteral("zan"));  // Corvane's own project files
    m_extension->setFixedWidth(m_extension->fontMetrics().horizontalAdvance(QLatin1Char('W')) * 5 + 12);
    m_file = makeEditableCombo(QStringLiteral("AssociatedFileCombo"), {}, true);
    form()->addRow(tr("File Extension:"), m_extension);
    form()->addRow(tr("Associated File:"), m_file);
    setFieldOrder({m_extension, m_file});
}

void TForm10::load(const model::AssociationEntry& row) {
    m_extension->setText(qs(row.extension));
    m_file->setEditText(qs(row.associatedFile));
}

model::AssociationEntry TForm10::entry() const {
    return {m_extension->text().toStdString(), m_file->currentText().toStdString()};
}

bool TForm10::checksPass() {
    if (!requiredFilled({m_file})) return false;
    if (!model::isAcceptableExtension(m_extension->text().toStdString())) {
        refuse(m_extension, tr("Incorrect extension."));
        return false;
    }
    return carriesQuestionMarks({{m_extension, tr("File Extension")}}, tr("Associated File"));
}

}  // namespace corvane::ui
