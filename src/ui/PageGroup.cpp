#include "ui/PageGroup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTabBar>

#include "model/Project.h"

namespace corvane::ui {

PageGroup::PageGroup(const QString& objectName, model::Project& project, const Services& services,
                     std::function<void()> onChange, QWidget* parent)
    : QTabWidget(parent), m_project(project), m_services(services), m_changed(std::move(onChange)) {
    setObjectName(objectName);
}

bool PageGroup::selectTab(const QString& caption) {
    for (int i = 0; i < count(); ++i) {
        if (tabText(i).remove(QLatin1Char('&')) == caption) {
            setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

bool PageGroup::selectTabNamed(const QString& objectName) {
    for (int i = 0; i < count(); ++i) {
        if (widget(i)->objectName() == objectName) {
            setCurrentIndex(i);
            return true;
        }
    }
    return false;
}

void PageGroup::bindText(QLineEdit* edit, std::string model::ProjectSettings::*setting) {
    connect(edit, &QLineEdit::textChanged, this, [this, setting](const QString& text) {
        m_project.settings.*setting = text.toStdString();
        changed();
    });
}

void PageGroup::bindCheck(QCheckBox* box, bool model::ProjectSettings::*setting) {
    connect(box, &QCheckBox::toggled, this, [this, setting](bool on) {
        m_project.settings.*setting = on;
        changed();
    });
}

QWidget* PageGroup::addPage(const QString& caption, const QString& objectName) {
    auto* page = new QWidget(this);
    page->setObjectName(objectName);
    addTab(page, caption);
    return page;
}

}  // namespace corvane::ui
