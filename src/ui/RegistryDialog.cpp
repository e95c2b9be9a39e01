#include "ui/RegistryDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>

#include "contract/RowValues.h"
#include "model/EntryRules.h"
#include "ui/FormLayoutHelpers.h"

namespace corvane::ui {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
std::string yesNo(const QCheckBox* box) {
    return box->isChecked() ? model::kYes : model::kNo;
}

const QStringList kRootKeys{QStringLiteral("HKEY_CLASSES_ROOT"), QStringLiteral("HKEY_CURRENT_USER"),
                            QStringLiteral("HKEY_LOCAL_MACHINE"), QStringLiteral("HKEY_USERS")};
const QString kString = QStringLiteral("String");
const QString kDword = QStringLiteral("Dword");

}  // namespace

TForm9::TForm9(const Services& services, const QString& programFolder, QWidget* parent)
    : SystemEditorDialog(QStringLiteral("TForm9"), tr("Add Registry Value"),
                         QStringLiteral("Project Settings/System/2.htm"), 300, services, programFolder,
                         parent) {
    m_rootKey = makeChoice(this, kRootKeys, QStringLiteral("RootKeyCombo"));
    m_rootKey->setCurrentIndex(2);
    m_subkey = makeEdit(QStringLiteral("SubkeyEd"));
    m_subkey->setText(QStringLiteral("Software\\<CompanyName>\\<AppName>"));
    m_name = makeEdit(QStringLiteral("ValueNameEd"));
    m_type = makeChoice(this, {kString, kDword}, QStringLiteral("TypeCombo"));
    m_data = makeEditableCombo(QStringLiteral("ValueDataCombo"), {}, true);
    m_overwrite = makeCheckBox(this, tr("Overwrite registry value"), QStringLiteral("OverwriteCheck"));
    m_overwrite->setChecked(true);
    m_uninstall = makeCheckBox(this, tr("Uninstall"), QStringLiteral("UninstallCheck"));

    form()->addRow(tr("Root Key:"), m_rootKey);
    form()->addRow(tr("Subkey:"), m_subkey);
    form()->addRow(tr("Name Value:"), m_name);
    form()->addRow(tr("Type Value:"), m_type);
    form()->addRow(tr("Value Data:"), m_data);
    form()->addRow(QString(), m_overwrite);
    form()->addRow(QString(), m_uninstall);
    setFieldOrder({m_rootKey, m_subkey, m_name, m_type, m_data, m_overwrite, m_uninstall});
}

void TForm9::load(const model::RegistryEntry& row) {
    // A root key from a hand-written file that is none of the four stays as it is, shown as an
    // extra entry, so an edit does not silently change it.
    while (m_rootKey->count() > kRootKeys.size())
        m_rootKey->removeItem(m_rootKey->count() - 1);
    int root = kRootKeys.indexOf(qs(row.rootKey));
    if (root < 0) {
        m_rootKey->addItem(qs(row.rootKey));
        root = m_rootKey->count() - 1;
    }
    m_rootKey->setCurrentIndex(root);
    m_subkey->setText(qs(row.subkey));
    m_name->setText(qs(row.valueName));
    m_type->setCurrentIndex(qs(row.valueType) == kString ? 0 : 1);
    m_data->setEditText(qs(row.valueData));
    m_overwrite->setChecked(contract::yesOrNo(std::string_view(row.overwrite)).value_or(false));
    m_uninstall->setChecked(contract::yesOrNo(std::string_view(row.uninstall)).value_or(false));
}

model::RegistryEntry TForm9::entry() const {
    auto text = [](const QString& s) { return s.toStdString(); };
    return {text(m_rootKey->currentText()),
            text(m_subkey->text()),
            text(m_name->text()),
            text(m_type->currentText()),
            text(m_data->currentText()),
            yesNo(m_overwrite),
            yesNo(m_uninstall)};
}

bool TForm9::checksPass() {
    if (m_type->currentIndex() == 1) {
        const QString decimalPoint = QLocale().decimalPoint();
        const char separator = decimalPoint.size() == 1 ? decimalPoint.front().toLatin1() : '.';
        if (!model::readsAsDecimalNumber(m_data->currentText().toStdString(), separator)) {
            refuse(m_data, tr("Incorrect value data."));
            return false;
        }
    }
    return carriesQuestionMarks(
        {{m_rootKey, tr("Root Key")}, {m_subkey, tr("Subkey")}, {m_name, tr("Name Value")}},
        tr("Value Data"));
}

}  // namespace corvane::ui
