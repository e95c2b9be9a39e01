#pragma once

#include "model/Entries.h"
#include "ui/SystemEditorDialog.h"

class QCheckBox;

namespace corvane::ui {

// The INI value editor: not reset on Add; file, section and key are required.
class TForm11 : public SystemEditorDialog {
    Q_OBJECT
public:
    TForm11(const Services& services, const QString& programFolder, QWidget* parent = nullptr);

    void load(const model::IniEntry& row);
    model::IniEntry entry() const;

protected:
    bool checksPass() override;

private:
    QComboBox* m_file = nullptr;
    QLineEdit* m_section = nullptr;
    QLineEdit* m_key = nullptr;
    QComboBox* m_value = nullptr;
    QCheckBox* m_overwrite = nullptr;
    QCheckBox* m_uninstall = nullptr;
};

}  // namespace corvane::ui
