#pragma once

#include "model/Entries.h"
#include "ui/SystemEditorDialog.h"

class QCheckBox;

namespace corvane::ui {

// The registry value editor: not reset on Add; a Dword's data must read as a number.
class TForm9 : public SystemEditorDialog {
    Q_OBJECT
public:
    TForm9(const Services& services, const QString& programFolder, QWidget* parent = nullptr);

    void load(const model::RegistryEntry& row);
    model::RegistryEntry entry() const;

protected:
    bool checksPass() override;

private:
    QComboBox* m_rootKey = nullptr;
    QLineEdit* m_subkey = nullptr;
    QLineEdit* m_name = nullptr;
    QComboBox* m_type = nullptr;
    QComboBox* m_data = nullptr;
    QCheckBox* m_overwrite = nullptr;
    QCheckBox* m_uninstall = nullptr;
};

}  // namespace corvane::ui
