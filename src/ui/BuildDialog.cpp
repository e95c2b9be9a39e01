#include "ui/BuildDialog.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include "model/Project.h"
#include "ui/Services.h"

namespace corvane::ui {

namespace {
// How long the closed dialog blocks at a time while a cancelled build reaches its next check.
constexpr int kWorkerPollMs = 10;
}  // namespace

TForm5::TForm5(const model::Project& project, const Services& services, std::string workFolder,
               QWidget* parent)
    : QDialog(parent), m_project(project), m_services(services), m_workFolder(std::move(workFolder)) {
    setObjectName(QStringLiteral("TForm5"));
    setWindowTitle(tr("Creating Setup"));
    // No working close box: the build ends through Cancel or, when done, Close.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("StatusLabel"));
    m_status->setMinimumWidth(320);
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("ProgressBar1"));
    m_progress->setRange(0, 100);
    m_test = new QPushButton(tr("Test"), this);
    m_test->setObjectName(QStringLiteral("TestButton"));
    m_button = new QPushButton(tr("Cancel"), this);
    m_button->setObjectName(QStringLiteral("CancelButton"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_test);
    buttons->addWidget(m_button);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_status);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_button, &QPushButton::clicked, this, &TForm5::buttonClicked);
    connect(m_test, &QPushButton::clicked, this, [this] {
        m_services.shell->open(m_setupFile, false);
        accept();
    });
}

void TForm5::runBuild(const std::string& signingCommand) {
    m_signingCommand = signingCommand;
    m_test->hide();
    m_button->setText(tr("Cancel"));
    m_status->clear();
    m_progress->setValue(0);
    m_cancelled = false;
    // The build starts once the dialog is on screen, inside its own event loop.
    QTimer::singleShot(0, this, &TForm5::startBuild);
    exec();
    // A confirmed Cancel closes the dialog at once; the build ends at its next check.
    waitForWorker();
}

QString TForm5::statusText() const {
    return m_status->text();
}
int TForm5::progressPosition() const {
    return m_progress->value();
}

void TForm5::startBuild() {
    if (!isVisible()) return;  // the dialog was closed before the build could start
    builder::BuildCallbacks callbacks;
    callbacks.status = [this](const std::string& text) {
        QMetaObject::invokeMethod(
            this,
            [this, shown = QString::fromStdString(text)] {
                m_status->setText(shown);
                emit statusShown(shown);
            },
            Qt::BlockingQueuedConnection);
    };
    callbacks.progress = [this](int position) {
        QMetaObject::invokeMethod(
            this, [this, position] { m_progress->setValue(position); }, Qt::BlockingQueuedConnection);
    };
    callbacks.cancelRequested = [this] { return m_cancelled.load(); };

    m_worker = QThread::create([this, callbacks] {
        builder::SetupBuilder builder(m_project, m_project.programFolder(), m_workFolder);
        builder.setSigningCommand(m_signingCommand);
        m_result = builder.run(callbacks);
    });
    m_worker->setObjectName(QStringLiteral("SetupBuild"));
    connect(m_worker, &QThread::finished, this, &TForm5::buildFinished);
    m_worker->start();
}

void TForm5::waitForWorker() {
    if (m_worker == nullptr) return;
    // The worker may be waiting for its status to be shown, so events keep flowing; the author's
    // input waits, since the project must not change under a build that still reads it.
    while (!m_worker->wait(QDeadlineTimer(kWorkerPollMs)))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    buildFinished();
}

void TForm5::buildFinished() {
    if (m_worker == nullptr) return;  // handled already, by waitForWorker
    m_worker->wait();
    m_worker->deleteLater();
    m_worker = nullptr;
    const builder::BuildResult result = std::move(m_result);
    m_setupFile = QString::fromStdString(result.setupFile.string());

    using Outcome = builder::BuildResult::Outcome;
    switch (result.outcome) {
        case Outcome::Succeeded:
            m_test->show();
            m_button->setText(tr("Close"));
            m_services.messages->show(this, MessageService::Icon::Information, applicationTitle(),
                                      tr("Setup was successfully created!"), {MessageService::Button::Ok},
                                      MessageService::Button::Ok);
            // A Cancel confirmed too late to stop the build closes the dialog now.
            if (m_cancelled) done(QDialog::Rejected);
            break;
        case Outcome::Cancelled:
            done(QDialog::Rejected);
            break;
        case Outcome::AccessDenied:
            showError(m_services, this, QString::fromStdString(result.message));
            done(QDialog::Rejected);
            break;
        case Outcome::Failed:
            // The dialog stays with "Cancel", which closes it after the usual question.
            showException(m_services, this, QString::fromStdString(result.message));
            break;
    }
}

void TForm5::buttonClicked() {
    if (m_button->text() == tr("Close")) {
        accept();
        return;
    }
    using B = MessageService::Button;
    const B answer = m_services.messages->show(this, MessageService::Icon::Question, windowTitle(),
                                               tr("Are you sure you want to stop creating setup?"),
                                               {B::Yes, B::No}, B::No);
    m_cancelled = answer == B::Yes;
    if (m_cancelled) done(QDialog::Rejected);
}

// Escape is the Cancel (or Close) button, never a way around its question.
void TForm5::reject() {
    if (m_worker != nullptr || m_button->text() != tr("Close")) {
        buttonClicked();
        return;
    }
    QDialog::reject();
}

}  // namespace corvane::ui
