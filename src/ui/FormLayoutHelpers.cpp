#include "ui/FormLayoutHelpers.h"

#include <QHBoxLayout>

namespace corvane::ui {

QLineEdit* makeLineEdit(QWidget* parent, const QString& objectName) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    return edit;
}

QCheckBox* makeCheckBox(QWidget* parent, const QString& text, const QString& objectName) {
    auto* box = new QCheckBox(text, parent);
    box->setObjectName(objectName);
    return box;
}

QComboBox* makeChoice(QWidget* parent, const QStringList& items, const QString& objectName) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(objectName);
    combo->addItems(items);
    return combo;
}

QPushButton* makeBrowseButton(QWidget* parent, const QString& objectName) {
    auto* button = new QPushButton(QStringLiteral("..."), parent);
    button->setObjectName(objectName);
    button->setFixedWidth(button->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    return button;
}

QWidget* pathRow(QWidget* parent, QLineEdit* edit, QPushButton* button) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(edit);
    layout->addWidget(button);
    return row;
}

}  // namespace corvane::ui
