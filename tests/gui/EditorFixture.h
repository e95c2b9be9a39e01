#pragma once

// What every editor GUI suite starts from: a fresh program folder and work folder, a settings
// file of its own, scripted services, one main window, and the means to find its widgets and to
// answer the program's own modal dialogs through their widgets. A suite derives from it beside
// QObject, fills the program folder, and calls startEditor() in init() and stopEditor() in
// cleanup().

#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "ScriptedServices.h"
#include "TestSupport.h"
#include "ui/MainWindow.h"

namespace corvane::test {

class EditorFixture {
protected:
    std::unique_ptr<TempDir> m_program;
    std::unique_ptr<TempDir> m_work;
    std::unique_ptr<QSettings> m_settings;
    ScriptedMessages m_messages;
    ScriptedFiles m_files;
    RecordingShell m_shell;
    ScriptedInput m_input;
    std::unique_ptr<ui::TForm1> m_window;

    // New folders and services; the program folder holds the default bitmaps.
    void freshFolders() {
        m_program = std::make_unique<TempDir>();
        m_work = std::make_unique<TempDir>();
        writeFile(*m_program / "Wizard_0.bmp", "BM");
        writeFile(*m_program / "Header_0.bmp", "BM");
        m_settings = std::make_unique<QSettings>(QString::fromStdString((*m_work / "Corvane.conf").string()),
                                                 QSettings::IniFormat);
        m_messages = {};
        m_files = {};
        m_shell = {};
        m_input = {};
    }

    // The main window on the program folder as it is now, shown and started; the build's work
    // files go to the work folder.
    void startEditor() {
        m_window = std::make_unique<ui::TForm1>(
            ui::Services{&m_messages, &m_files, &m_shell, &m_input},
            ui::EditorFolders{m_program->folder(), (*m_work / "Setup.exe").string(), m_work->folder()},
            *m_settings);
        m_window->show();
        m_window->start({});
    }

    // Closes the window as the author would after saving: no unsaved-changes question.
    void closeWindow() {
        if (!m_window) return;
        m_window->project().clearModified();
        m_window->close();
        m_window.reset();
    }

    // Closes the window without its question and fails the test when a queued answer was never
    // asked for.
    void stopEditor() {
        closeWindow();
        QVERIFY2(m_messages.answers.empty(), "an answer was queued but never asked for");
        QVERIFY2(m_files.answers.empty(), "a file dialog answer was queued but never used");
        QVERIFY2(m_input.answers.empty(), "a text prompt answer was queued but never used");
        m_settings.reset();
        m_work.reset();
        m_program.reset();
    }

    template <class T>
    T* widget(const char* name, QObject* in = nullptr) {
        T* w = (in != nullptr ? in : m_window.get())->findChild<T*>(QLatin1String(name));
        if (w == nullptr) qFatal("no widget named %s", name);
        return w;
    }
    QAction* action(const char* name) { return widget<QAction>(name); }
    QString work(const std::string& name) const { return QString::fromStdString((*m_work / name).string()); }

    // Once the modal dialog named name is up, runs act on it.
    void whenModal(const char* name, std::function<void(QDialog*)> act) {
        auto* timer = new QTimer(m_window.get());
        timer->setInterval(0);
        QObject::connect(timer, &QTimer::timeout, timer, [timer, name, act] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (dialog == nullptr || dialog->objectName() != QLatin1String(name)) return;
            timer->stop();
            timer->deleteLater();
            act(dialog);
        });
        timer->start();
    }
};

}  // namespace corvane::test
