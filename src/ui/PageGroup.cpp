#include "ui/PageGroup.h"

#include <QTabBar>

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

QWidget* PageGroup::addPage(const QString& caption, const QString& objectName) {
    auto* page = new QWidget(this);
    page->setObjectName(objectName);
    addTab(page, caption);
    return page;
}

}  // namespace corvane::ui
