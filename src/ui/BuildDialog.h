#pragma once

#include <QDialog>
#include <atomic>
#include <string>

#include "builder/SetupBuilder.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QThread;

namespace corvane::model {
class Project;
}

namespace corvane::ui {

struct Services;

// "Creating Setup": showing it runs the build once, with the status line and the progress bar
// following it. The build runs on a worker thread, so the window repaints and "Cancel" is asked
// at once, even while one large file is compressed; a confirmed Cancel sets an atomic flag that
// the build reads at its next check, at least once per compressed block. Status and progress
// reach the dialog through blocking queued calls: the worker waits until the dialog shows them,
// so the dialog never lags behind the build. After success the button reads "Close" and "Test"
// runs the new setup.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    TForm5(const model::Project& project, const Services& services, std::string workFolder,
           QWidget* parent = nullptr);

    // Shows the dialog modally and builds; returns when the dialog closes. signingCommand (the
    // author's own setting, with {} for the file) signs the uninstaller and the setup.
    void runBuild(const std::string& signingCommand = {});

    QString statusText() const;
    int progressPosition() const;
    bool isBuilding() const { return m_worker != nullptr; }

signals:
    // The status line changed; emitted on the GUI thread while the build waits for it.
    void statusShown(const QString& text);

protected:
    void reject() override;

private:
    void startBuild();
    void buildFinished();
    // Waits for a build that a Cancel has left running, without taking the author's input.
    void waitForWorker();
    void buttonClicked();

    const model::Project& m_project;
    const Services& m_services;
    std::string m_workFolder;
    QLabel* m_status = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_test = nullptr;
    QPushButton* m_button = nullptr;
    std::atomic<bool> m_cancelled = false;
    QThread* m_worker = nullptr;
    builder::BuildResult m_result;  // written by the worker, read once it has finished
    QString m_setupFile;
    std::string m_signingCommand;
};

}  // namespace corvane::ui
