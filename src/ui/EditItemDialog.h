#pragma once

#include <QDialog>

#include "model/Entries.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace corvane::ui {

// Edit Current Item: a Files row's destination, its "If Exists" choice and its uninstall flag.
// The source is shown and cannot be changed.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);

    // Fills the fields from a row, reading If Exists and Uninstall as Setup.exe does (any letter
    // case, blanks around).
    void load(const model::FileEntry& row);
    // The row with the fields' values written into it, the destination as typed.
    model::FileEntry edited(model::FileEntry row) const;

private:
    QLineEdit* m_source = nullptr;
    QLineEdit* m_installTo = nullptr;
    QComboBox* m_ifExists = nullptr;
    QCheckBox* m_uninstall = nullptr;
};

}  // namespace corvane::ui
