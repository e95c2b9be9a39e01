#pragma once

// What the five System editors share: created once and kept, so a field holds what it last held;
// add or edit mode, told apart by the caption; the fields one under the other with the buttons
// "OK", "Cancel" and "Help" under a line, none of them the default, so Enter in a field does not
// confirm; Help and F1 open the kind's help topic; OK runs the kind's checks and closes.
//
// The dialogs only hold plain values: the System page loads them, runs the dialog and, on OK,
// changes the project.

#include <QDialog>
#include <QString>
#include <QStringList>
#include <initializer_list>

class QComboBox;
class QFormLayout;
class QLineEdit;
class QPushButton;
class QShowEvent;

namespace corvane::ui {

struct Services;

// The caption that marks edit mode.
QString editCaption();

class SystemEditorDialog : public QDialog {
    Q_OBJECT
public:
    void setAddMode();
    void setEditMode();
    bool isEditMode() const;

    // The installed-file list for the file fields: replaces their drop-down entries only.
    void setInstalledFiles(const QStringList& files);

    const QString& helpTopic() const { return m_helpTopic; }
    void showHelp();

protected:
    SystemEditorDialog(const QString& objectName, const QString& addCaption, const QString& helpTopic,
                       int height, const Services& services, const QString& programFolder, QWidget* parent);

    QFormLayout* form() const { return m_form; }
    // An editable drop-down; file fields are registered to receive the installed-file list.
    QComboBox* makeEditableCombo(const QString& objectName, const QStringList& items, bool installedFiles);
    QLineEdit* makeEdit(const QString& objectName);
    // The keyboard order: these fields top to bottom, then "OK", "Cancel" and "Help".
    void setFieldOrder(std::initializer_list<QWidget*> fields);

    void showEvent(QShowEvent* event) override;

    // The kind's checks; false keeps the dialog open (the check has focused the field).
    virtual bool checksPass() = 0;

    // The first of the fields whose text is empty receives the focus; false when there is one.
    bool requiredFilled(std::initializer_list<QWidget*> fields);
    // A "?" in a field that a stored row cannot carry: a warning naming the field, the focus on
    // it; false when there is one.
    bool carriesQuestionMarks(std::initializer_list<std::pair<QWidget*, QString>> fields,
                              const QString& freeField);
    // The kind's error box ("Incorrect value data."), then the focus on the field.
    void refuse(QWidget* field, const QString& message);

    const Services& m_services;

private:
    void okClicked();

    QString m_addCaption;
    QString m_helpTopic;
    QString m_programFolder;
    QFormLayout* m_form = nullptr;
    QList<QComboBox*> m_fileCombos;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_help = nullptr;
};

// The text of a line edit or an editable drop-down.
QString fieldText(const QWidget* field);

}  // namespace corvane::ui
