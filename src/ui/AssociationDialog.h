#pragma once

#include "model/Entries.h"
#include "ui/SystemEditorDialog.h"

namespace corvane::ui {

// The file association editor: not reset on Add; the extension is typed without its dot.
class TForm10 : public SystemEditorDialog {
    Q_OBJECT
public:
    TForm10(const Services& services, const QString& programFolder, QWidget* parent = nullptr);

    void load(const model::AssociationEntry& row);
    model::AssociationEntry entry() const;

protected:
    bool checksPass() override;

private:
    QLineEdit* m_extension = nullptr;
    QComboBox* m_file = nullptr;
};

}  // namespace corvane::ui
