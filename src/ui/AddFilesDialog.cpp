#include "ui/AddFilesDialog.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "project/FolderScan.h"
#include "ui/VariableTokens.h"

namespace corvane::ui {

namespace {

constexpr int kDesignedWidth = 300;
constexpr int kDesignedHeight = 142;

}  // namespace

TForm4::TForm4(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(tr("Add Files"));
    setMinimumWidth(kDesignedWidth);
    setFixedHeight(kDesignedHeight);
    resize(kDesignedWidth, kDesignedHeight);

    auto* group = new QGroupBox(tr("Destination directory"), this);
    m_destination = new QComboBox(group);
    m_destination->setObjectName(QStringLiteral("DestinationCombo"));
    m_destination->setEditable(true);
    // Typing a folder must not grow the list of path variables.
    m_destination->setInsertPolicy(QComboBox::NoInsert);
    m_destination->addItems(variableTokens(contract::kFileDestinationVariables));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_destination);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("AddFilesOkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("AddFilesCancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &TForm4::okClicked);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_destination->lineEdit(), &QLineEdit::returnPressed, this, &TForm4::okClicked);
}

QString TForm4::destination() const {
    return m_destination->currentText();
}

// Every opening starts from <InstallDir> with OK focused, whatever was typed the last time.
void TForm4::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    m_destination->setCurrentIndex(0);
    m_destination->setEditText(m_destination->itemText(0));
    findChild<QPushButton*>(QStringLiteral("AddFilesOkButton"))->setFocus();
}

void TForm4::okClicked() {
    const QString typed = m_destination->currentText();
    if (typed.isEmpty()) {
        m_destination->setFocus();
        return;
    }
    const QString folder = QString::fromStdString(project::destinationFolder(typed.toStdString()));
    if (folder != typed) m_destination->setEditText(folder);
    accept();
}

}  // namespace corvane::ui
