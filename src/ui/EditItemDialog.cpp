#include "ui/EditItemDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "contract/RowValues.h"

namespace corvane::ui {

namespace {

constexpr int kDesignedWidth = 350;
constexpr int kDesignedHeight = 212;
const QString kOverwrite = QStringLiteral("Overwrite");
const QString kSkip = QStringLiteral("Skip");

}  // namespace

TForm7::TForm7(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TForm7"));
    setWindowTitle(tr("Edit Current Item"));
    setMinimumWidth(kDesignedWidth);
    setFixedHeight(kDesignedHeight);
    resize(kDesignedWidth, kDesignedHeight);

    m_source = new QLineEdit(this);
    m_source->setObjectName(QStringLiteral("SourcePathEd"));
    m_source->setEnabled(false);
    m_installTo = new QLineEdit(this);
    m_installTo->setObjectName(QStringLiteral("InstallToEd"));
    m_ifExists = new QComboBox(this);
    m_ifExists->setObjectName(QStringLiteral("IfExistsCombo"));
    m_ifExists->addItems({kOverwrite, kSkip});
    m_uninstall = new QCheckBox(tr("Uninstall"), this);
    m_uninstall->setObjectName(QStringLiteral("UninstallCheck"));

    auto* form = new QFormLayout;
    form->addRow(tr("Source path:"), m_source);
    form->addRow(tr("Install to:"), m_installTo);
    form->addRow(tr("If file exists:"), m_ifExists);
    form->addRow(QString(), m_uninstall);

    auto* ok = new QPushButton(tr("OK"), this);
    ok->setObjectName(QStringLiteral("EditItemOkButton"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(tr("Cancel"), this);
    cancel->setObjectName(QStringLiteral("EditItemCancelButton"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addStretch();
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm7::load(const model::FileEntry& row) {
    m_source->setText(QString::fromStdString(row.source));
    m_installTo->setText(QString::fromStdString(row.installTo));
    // As Setup.exe reads them: in any letter case, blanks around (contract/RowValues.h).
    m_ifExists->setCurrentIndex(
        contract::overwritesExisting(std::string_view(row.ifExists)).value_or(true) ? 0 : 1);
    m_uninstall->setChecked(contract::yesOrNo(std::string_view(row.uninstall)).value_or(false));
    m_installTo->setFocus();
}

model::FileEntry TForm7::edited(model::FileEntry row) const {
    row.installTo = m_installTo->text().toStdString();
    row.ifExists = m_ifExists->currentText().toStdString();
    row.uninstall = m_uninstall->isChecked() ? model::kYes : model::kNo;
    return row;
}

}  // namespace corvane::ui
