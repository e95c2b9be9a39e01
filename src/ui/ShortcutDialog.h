#pragma once

#include "model/Entries.h"
#include "ui/SystemEditorDialog.h"

namespace corvane::ui {

class IconIndexSpin;

// The shortcut editor. The only one reset on Add, and the only one that fills fields itself:
// choosing or typing a target overwrites the name and the working folder.
class TForm8 : public SystemEditorDialog {
    Q_OBJECT
public:
    TForm8(const Services& services, const QString& programFolder, QWidget* parent = nullptr);

    // The values Add starts from.
    void reset();
    // The target first, so the row's own name and working folder are what stay.
    void load(const model::ShortcutEntry& row);
    model::ShortcutEntry entry() const;

protected:
    bool checksPass() override;

private:
    void fillFromTarget(const QString& target);

    QComboBox* m_target = nullptr;
    QComboBox* m_destination = nullptr;
    QLineEdit* m_name = nullptr;
    QLineEdit* m_description = nullptr;
    QLineEdit* m_parameters = nullptr;
    QComboBox* m_workingDir = nullptr;
    QComboBox* m_iconFile = nullptr;
    IconIndexSpin* m_iconIndex = nullptr;
    QComboBox* m_show = nullptr;
};

}  // namespace corvane::ui
