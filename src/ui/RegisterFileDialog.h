#pragma once

#include "model/Entries.h"
#include "ui/SystemEditorDialog.h"

namespace corvane::ui {

// The OCX/DLL editor: one required field, any text.
class TForm12 : public SystemEditorDialog {
    Q_OBJECT
public:
    TForm12(const Services& services, const QString& programFolder, QWidget* parent = nullptr);

    void load(const model::RegisterFileEntry& row);
    model::RegisterFileEntry entry() const;

protected:
    bool checksPass() override;

private:
    QComboBox* m_file = nullptr;
};

}  // namespace corvane::ui
