#include "ui/SystemEditorDialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QFrame>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "ui/HelpTopics.h"
#include "ui/Services.h"

namespace corvane::ui {

namespace {

constexpr int kMinimumWidth = 350;

QPushButton* makeButton(QWidget* parent, const QString& text, const QString& objectName) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

QString editCaption() {
    return QStringLiteral("Edit Current Item");
}

QString fieldText(const QWidget* field) {
    if (const auto* edit = qobject_cast<const QLineEdit*>(field)) return edit->text();
    if (const auto* combo = qobject_cast<const QComboBox*>(field)) return combo->currentText();
    return {};
}

SystemEditorDialog::SystemEditorDialog(const QString& objectName, const QString& addCaption,
                                       const QString& helpTopic, int height, const Services& services,
                                       const QString& programFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_services(services),
      m_addCaption(addCaption),
      m_helpTopic(helpTopic),
      m_programFolder(programFolder) {
    setObjectName(objectName);
    setWindowTitle(addCaption);
    setModal(true);
    // The height is fixed; the width may grow and the fields stretch with it.
    setMinimumSize(kMinimumWidth, height);
    setMaximumHeight(height);
    resize(kMinimumWidth, height);

    auto* outer = new QVBoxLayout(this);
    m_form = new QFormLayout;
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    outer->addLayout(m_form);
    outer->addStretch();
    auto* line = new QFrame(this);
    line->setObjectName(QStringLiteral("Bevel1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    outer->addWidget(line);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    m_ok = makeButton(this, tr("OK"), QStringLiteral("OkButton"));
    m_cancel = makeButton(this, tr("Cancel"), QStringLiteral("CancelButton"));
    m_help = makeButton(this, tr("Help"), QStringLiteral("HelpButton"));
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_help);
    outer->addLayout(buttons);

    connect(m_ok, &QPushButton::clicked, this, &SystemEditorDialog::okClicked);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_help, &QPushButton::clicked, this, &SystemEditorDialog::showHelp);
    auto* f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    f1->setContext(Qt::WindowShortcut);
    connect(f1, &QShortcut::activated, this, &SystemEditorDialog::showHelp);
}

void SystemEditorDialog::setAddMode() {
    setWindowTitle(m_addCaption);
}
void SystemEditorDialog::setEditMode() {
    setWindowTitle(editCaption());
}
bool SystemEditorDialog::isEditMode() const {
    return windowTitle() == editCaption();
}

void SystemEditorDialog::setInstalledFiles(const QStringList& files) {
    for (QComboBox* combo : m_fileCombos) {
        const QString text = combo->currentText();
        const QSignalBlocker block(combo);
        combo->clear();
        combo->addItems(files);
        combo->setEditText(text);
    }
}

// A loaded text longer than its field shows its beginning ("Software\\<CompanyName>..."), not
// its end, as a field the author is about to read should.
void SystemEditorDialog::showEvent(QShowEvent* event) {
    for (QLineEdit* edit : findChildren<QLineEdit*>())
        edit->setCursorPosition(0);
    QDialog::showEvent(event);
}

void SystemEditorDialog::showHelp() {
    openHelpTopic(m_services, m_programFolder.toStdString(), m_helpTopic);
}

QComboBox* SystemEditorDialog::makeEditableCombo(const QString& objectName, const QStringList& items,
                                                 bool installedFiles) {
    auto* combo = new QComboBox(this);
    combo->setObjectName(objectName);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);  // Enter must not add the typed text to the list
    combo->addItems(items);
    combo->setEditText(QString());
    if (installedFiles) m_fileCombos << combo;
    return combo;
}

QLineEdit* SystemEditorDialog::makeEdit(const QString& objectName) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(objectName);
    return edit;
}

void SystemEditorDialog::setFieldOrder(std::initializer_list<QWidget*> fields) {
    QWidget* previous = nullptr;
    for (QWidget* next : fields) {
        if (previous) setTabOrder(previous, next);
        previous = next;
    }
    for (QWidget* next : {m_ok, m_cancel, m_help}) {
        if (previous) setTabOrder(previous, next);
        previous = next;
    }
}

bool SystemEditorDialog::requiredFilled(std::initializer_list<QWidget*> fields) {
    for (QWidget* field : fields)
        if (fieldText(field).isEmpty()) {
            field->setFocus();
            return false;
        }
    return true;
}

bool SystemEditorDialog::carriesQuestionMarks(std::initializer_list<std::pair<QWidget*, QString>> fields,
                                              const QString& freeField) {
    for (const auto& [field, name] : fields)
        if (fieldText(field).contains(QLatin1Char('?'))) {
            showWarning(
                m_services, this,
                tr("\"%1\" cannot hold \"?\": the project file and the setup would read the fields after it "
                   "shifted. Of these fields only \"%2\" may hold it.")
                    .arg(name, freeField));
            field->setFocus();
            return false;
        }
    return true;
}

void SystemEditorDialog::refuse(QWidget* field, const QString& message) {
    showError(m_services, this, message);
    field->setFocus();
}

void SystemEditorDialog::okClicked() {
    if (checksPass()) accept();
}

}  // namespace corvane::ui
