#pragma once

#include <QDialog>

class QComboBox;

namespace corvane::ui {

// Add Folder / Add Files: asks for the destination folder. The opener sets the caption, which
// says which of the two it is, and reads destination() after OK.
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

    // The destination as accepted: never empty, one trailing backslash removed.
    QString destination() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void okClicked();

    QComboBox* m_destination = nullptr;
};

}  // namespace corvane::ui
