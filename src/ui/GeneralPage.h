#pragma once

#include "ui/PageGroup.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace corvane::ui {

// The General group: the application's identity, the setup file and compression ("General"),
// and the wizard and header pictures ("Bitmaps").
class GeneralPage : public PageGroup {
    Q_OBJECT
public:
    GeneralPage(model::Project& project, const Services& services, std::function<void()> onChange,
                QWidget* parent = nullptr);
    void loadFromProject() override;

private:
    void buildGeneralTab();
    void buildBitmapsTab();
    void browseSetupFile();
    void browseBitmap(QLineEdit* edit, const QString& filter);
    QString chooserStart(const QString& text) const;

    QLineEdit* m_appName = nullptr;
    QLineEdit* m_appVersion = nullptr;
    QLineEdit* m_companyName = nullptr;
    QLineEdit* m_webSite = nullptr;
    QLineEdit* m_support = nullptr;
    QLineEdit* m_setupFile = nullptr;
    QComboBox* m_compression = nullptr;
    QCheckBox* m_silent = nullptr;
    QLineEdit* m_wizard = nullptr;
    QLineEdit* m_header = nullptr;
};

}  // namespace corvane::ui
