#pragma once

// One of the five page groups of the main window: a set of tabs that edit one part of the
// project. A group shows the project's values (loadFromProject, with signals blocked so nothing
// runs twice) and writes every edit straight into the project, then reports it through the
// main window's shared change handler, which raises the modified flag.

#include <QTabWidget>
#include <functional>
#include <string>

#include "model/ProjectSettings.h"

class QCheckBox;
class QLineEdit;

namespace corvane::model {
class Project;
}

namespace corvane::ui {

struct Services;

class PageGroup : public QTabWidget {
    Q_OBJECT
public:
    PageGroup(const QString& objectName, model::Project& project, const Services& services,
              std::function<void()> onChange, QWidget* parent = nullptr);

    // Brings every control in line with the project (after New and Open).
    virtual void loadFromProject() = 0;
    // The Files list changed: refresh what shows installed files or totals.
    virtual void filesChanged() {}

    // Selects the tab with this caption; false when the group has none.
    bool selectTab(const QString& caption);
    // Selects the tab whose page has this object name; false when the group has none.
    bool selectTabNamed(const QString& objectName);

protected:
    QWidget* addPage(const QString& caption, const QString& objectName);
    void changed() { m_changed(); }
    // Every change of the box's text goes to the setting, as an edit.
    void bindText(QLineEdit* edit, std::string model::ProjectSettings::*setting);
    // A click of a plain check box (one that governs nothing) goes to the setting, as an edit.
    void bindCheck(QCheckBox* box, bool model::ProjectSettings::*setting);

    model::Project& m_project;
    const Services& m_services;

private:
    std::function<void()> m_changed;
};

// Blocks a widget's signals for one scope, so loading values does not look like editing.
class SignalBlocker {
public:
    explicit SignalBlocker(QObject* object) : m_object(object), m_old(object->blockSignals(true)) {}
    ~SignalBlocker() { m_object->blockSignals(m_old); }
    SignalBlocker(const SignalBlocker&) = delete;
    SignalBlocker& operator=(const SignalBlocker&) = delete;

private:
    QObject* m_object;
    bool m_old;
};

}  // namespace corvane::ui
