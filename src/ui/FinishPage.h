#pragma once

#include "model/Project.h"
#include "ui/PageGroup.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace corvane::ui {

// The Finish group: what the setup offers when it ends ("After Installation").
class FinishPage : public PageGroup {
    Q_OBJECT
public:
    FinishPage(model::Project& project, const Services& services, std::function<void()> onChange,
               QWidget* parent = nullptr);
    void loadFromProject() override;
    void filesChanged() override;

private:
    void connectMaster(QCheckBox* box, std::function<void(bool)> apply);
    // Brings the governed controls in line with the settings (enabled states and check marks).
    void syncGoverned();

    QCheckBox* m_restart = nullptr;
    QCheckBox* m_launch = nullptr;
    QComboBox* m_launchFile = nullptr;
    QCheckBox* m_launchChecked = nullptr;
    QCheckBox* m_viewReadme = nullptr;
    QComboBox* m_readmeFile = nullptr;
    QCheckBox* m_readmeChecked = nullptr;
    QCheckBox* m_visitSite = nullptr;
    QLineEdit* m_siteAddress = nullptr;
    QCheckBox* m_siteChecked = nullptr;
};

}  // namespace corvane::ui
