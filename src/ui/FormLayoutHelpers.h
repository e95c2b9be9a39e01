#pragma once

// Small builders for the pages' recurring rows, so each page reads as a list of its controls.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

class QFormLayout;
class QWidget;

namespace corvane::ui {

QLineEdit* makeLineEdit(QWidget* parent, const QString& objectName);
QCheckBox* makeCheckBox(QWidget* parent, const QString& text, const QString& objectName);
QComboBox* makeChoice(QWidget* parent, const QStringList& items, const QString& objectName);
// A "..." button that sits beside a path box.
QPushButton* makeBrowseButton(QWidget* parent, const QString& objectName);
// A row of a path box and its browse button, ready for a form layout.
QWidget* pathRow(QWidget* parent, QLineEdit* edit, QPushButton* button);

}  // namespace corvane::ui
