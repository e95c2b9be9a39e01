#include "ui/RegisterFileDialog.h"

#include <QComboBox>
#include <QFormLayout>

namespace corvane::ui {

TForm12::TForm12(const Services& services, const QString& programFolder, QWidget* parent)
    : SystemEditorDialog(QStringLiteral("TForm12"), tr("Register OCX, DLL File"),
                         QStringLiteral("Project Settings/System/5.htm"), 124, services, programFolder,
                         parent) {
    m_file = makeEditableCombo(QStringLiteral("RegisterFileCombo"), {}, true);
    form()->addRow(tr("Files:"), m_file);
    setFieldOrder({m_file});
}

void TForm12::load(const model::RegisterFileEntry& row) {
    m_file->setEditText(QString::fromStdString(row.file));
}

model::RegisterFileEntry TForm12::entry() const {
    return {m_file->currentText().toStdString()};
}

bool TForm12::checksPass() {
    return requiredFilled({m_file});
}

}  // namespace corvane::ui
