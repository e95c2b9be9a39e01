#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QProgressBar;
class QPushButton;

namespace corvane::model {
class Project;
}

namespace corvane::ui {

struct Services;

// "Creating Setup": showing it runs the build once, with the status line and the progress bar
// following it. The build runs on the GUI thread and pumps events between its steps, so
// "Cancel" stays live; a confirmed Cancel stops the build at its next check. After success the
// button reads "Close" and "Test" runs the new setup.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(const model::Project& project, const Services& services, std::string workFolder,
           QWidget* parent = nullptr);

    // Shows the dialog modally and builds; returns when the dialog closes.
    void runBuild();

    QString statusText() const;
    int progressPosition() const;

protected:
    void reject() override;

private:
    void build();
    void buttonClicked();

    const model::Project& m_project;
    const Services& m_services;
    std::string m_workFolder;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_test = nullptr;
    QPushButton* m_button = nullptr;
    bool m_cancelled = false;
    bool m_building = false;
    QString m_setupFile;
};

}  // namespace corvane::ui
