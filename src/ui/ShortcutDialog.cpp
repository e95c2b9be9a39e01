#include "ui/ShortcutDialog.h"

#include <QAbstractSpinBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

#include "model/EntryRules.h"
#include "ui/VariableTokens.h"

namespace corvane::ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

const QStringList kDestinations = variableTokens(contract::kShortcutDestinationVariables);
const QStringList kShowChoices{QStringLiteral("Normal"), QStringLiteral("Maximize"),
                               QStringLiteral("Minimize"), QStringLiteral("Hide")};

}  // namespace

// The icon index: arrows step by one without bounds, and the text is kept as typed (digits,
// signs and the decimal separator), not forced to a whole number.
class IconIndexSpin : public QAbstractSpinBox {
public:
    explicit IconIndexSpin(QWidget* parent) : QAbstractSpinBox(parent) {}

    void setIndexText(const QString& text) { lineEdit()->setText(text); }

    void stepBy(int steps) override {
        lineEdit()->setText(QString::number(text().trimmed().toLongLong() + steps));
    }
    QValidator::State validate(QString& input, int&) const override {
        const QChar separator = QLocale().decimalPoint().front();
        for (const QChar c : input)
            if (!c.isDigit() && c != QLatin1Char('+') && c != QLatin1Char('-') && c != separator)
                return QValidator::Invalid;
        return QValidator::Acceptable;
    }

protected:
    StepEnabled stepEnabled() const override { return StepUpEnabled | StepDownEnabled; }
};

TForm8::TForm8(const Services& services, const QString& programFolder, QWidget* parent)
    : SystemEditorDialog(QStringLiteral("TForm8"), tr("Add Shortcut"),
                         QStringLiteral("Project Settings/System/1.htm"), 350, services, programFolder,
                         parent) {
    m_target = makeEditableCombo(QStringLiteral("TargetCombo"), {}, true);
    m_destination = makeEditableCombo(QStringLiteral("DestinationCombo"), kDestinations, false);
    m_name = makeEdit(QStringLiteral("NameEd"));
    m_description = makeEdit(QStringLiteral("DescriptionEd"));
    m_parameters = makeEdit(QStringLiteral("ParametersEd"));
    m_workingDir = makeEditableCombo(QStringLiteral("WorkingDirCombo"), {}, false);
    m_iconFile = makeEditableCombo(QStringLiteral("IconFileCombo"), {}, true);
    m_iconIndex = new IconIndexSpin(this);
    m_iconIndex->setObjectName(QStringLiteral("IconIndexSpin"));
    m_show = new QComboBox(this);
    m_show->setObjectName(QStringLiteral("ShowCombo"));
    m_show->addItems(kShowChoices);

    form()->addRow(tr("Target file:"), m_target);
    form()->addRow(tr("Shortcut destination:"), m_destination);
    form()->addRow(tr("Shortcut name:"), m_name);
    form()->addRow(tr("Description:"), m_description);
    form()->addRow(tr("Parameters:"), m_parameters);
    form()->addRow(tr("Working directory:"), m_workingDir);
    form()->addRow(tr("Icon file:"), m_iconFile);
    auto* last = new QHBoxLayout;
    last->addWidget(m_iconIndex, 1);
    last->addWidget(new QLabel(tr("Show:"), this));
    last->addWidget(m_show, 1);
    form()->addRow(tr("Icon index:"), last);

    setFieldOrder({m_target, m_destination, m_name, m_description, m_parameters, m_workingDir, m_iconFile,
                   m_iconIndex, m_show});
    // Only the author's own changes fill: loading blocks the target's signals.
    connect(m_target, &QComboBox::currentTextChanged, this, &TForm8::fillFromTarget);
    reset();
}

void TForm8::reset() {
    const QSignalBlocker block(m_target);
    m_target->setEditText(QString());
    m_destination->setEditText(kDestinations.front());
    m_name->clear();
    m_description->clear();
    m_parameters->clear();
    m_workingDir->setEditText(QString());
    m_iconFile->setEditText(QString());
    m_iconIndex->setIndexText(QStringLiteral("0"));
    m_show->setCurrentIndex(0);
}

void TForm8::load(const model::ShortcutEntry& row) {
    {
        const QSignalBlocker block(m_target);
        m_target->setEditText(qs(row.target));
    }
    m_destination->setEditText(qs(row.destination));
    m_name->setText(qs(row.name));
    m_description->setText(qs(row.description));
    m_parameters->setText(qs(row.parameters));
    m_workingDir->setEditText(qs(row.workingDir));
    m_iconFile->setEditText(qs(row.iconFile));
    m_iconIndex->setIndexText(qs(row.iconIndex));
    // A cell that is none of the four choices (say "hide") leaves the previous choice standing.
    const int show = kShowChoices.indexOf(qs(row.show));
    if (show >= 0) m_show->setCurrentIndex(show);
}

model::ShortcutEntry TForm8::entry() const {
    auto text = [](const QString& s) { return s.toStdString(); };
    return {text(m_destination->currentText()), text(m_name->text()),       text(m_target->currentText()),
            text(m_description->text()),        text(m_parameters->text()), text(m_workingDir->currentText()),
            text(m_iconFile->currentText()),    text(m_iconIndex->text()),  text(m_show->currentText())};
}

void TForm8::fillFromTarget(const QString& target) {
    if (target.isEmpty()) return;
    const std::string path = target.toStdString();
    m_name->setText(qs(model::shortcutNameFromTarget(path)));
    m_workingDir->setEditText(qs(model::workingDirFromTarget(path)));
}

bool TForm8::checksPass() {
    if (!requiredFilled({m_target, m_destination, m_name})) return false;
    return carriesQuestionMarks({{m_target, tr("Target file")},
                                 {m_destination, tr("Shortcut destination")},
                                 {m_name, tr("Shortcut name")},
                                 {m_parameters, tr("Parameters")},
                                 {m_workingDir, tr("Working directory")},
                                 {m_iconFile, tr("Icon file")}},
                                tr("Description"));
}

}  // namespace corvane::ui
