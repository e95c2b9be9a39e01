#pragma once

// What every editor GUI suite starts from: a fresh program folder and work folder, a settings
// file of its own, scripted services, one main window, and the means to find its widgets and to
// answer the program's own modal dialogs through their widgets. A suite derives from it beside
// QObject, fills the program folder, and calls startEditor() in init() and stopEditor() in
// cleanup(); a suite of one page alone uses the folders, services and lookups without a window.
//
// A widget or action that is not there fails the running test, not the whole binary: the lookup
// records the failure where it was called and hands out a detached stand-in, so the test goes on
// harmlessly to its end and the next test runs.

#include <QApplication>
#include <QDialog>
#include <QSettings>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>
#include <source_location>
#include <string>
#include <type_traits>
#include <vector>

#include "ScriptedServices.h"
#include "TestSupport.h"
#include "ui/MainWindow.h"

namespace corvane::test {

class EditorFixture {
protected:
    std::unique_ptr<TempDir> m_program;
    std::unique_ptr<TempDir> m_work;
    std::unique_ptr<TempDir> m_buildWork;  // the build's work files; the work folder when unset
    std::unique_ptr<QSettings> m_settings;
    ScriptedMessages m_messages;
    ScriptedFiles m_files;
    RecordingShell m_shell;
    ScriptedInput m_input;
    std::unique_ptr<ui::TForm1> m_window;

    // New folders and services; the program folder holds the default bitmaps. With
    // separateBuildWork the build's work files get a folder of their own.
    void freshFolders(bool separateBuildWork = false) {
        m_program = std::make_unique<TempDir>();
        m_work = std::make_unique<TempDir>();
        m_buildWork = separateBuildWork ? std::make_unique<TempDir>() : nullptr;
        writeFile(*m_program / "Wizard_0.bmp", "BM");
        writeFile(*m_program / "Header_0.bmp", "BM");
        m_settings = std::make_unique<QSettings>(QString::fromStdString((*m_work / "Corvane.conf").string()),
                                                 QSettings::IniFormat);
        m_messages = {};
        m_files = {};
        m_shell = {};
        m_input = {};
    }

    // The main window on the program folder as it is now, shown and started with commandLine.
    void startEditor(const QString& commandLine = {}) {
        const std::string buildWork = (m_buildWork ? m_buildWork : m_work)->folder();
        m_window = std::make_unique<ui::TForm1>(
            ui::Services{&m_messages, &m_files, &m_shell, &m_input},
            ui::EditorFolders{m_program->folder(), (*m_work / "Setup.exe").string(), buildWork}, *m_settings);
        m_window->show();
        m_window->start(commandLine);
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
        m_buildWork.reset();
        m_work.reset();
        m_program.reset();
        m_standIns.clear();
    }

    // The child of `in` named name. When there is none, the running test fails at the caller's
    // line and gets a detached stand-in of the same type to go on with.
    template <class T>
    T* child(QObject* in, const QString& name, std::source_location where = std::source_location::current()) {
        if (in != nullptr)
            if (T* found = in->findChild<T*>(name)) return found;
        fail("no " + std::string(T::staticMetaObject.className()) + " named " + name.toStdString(), where);
        // A type that cannot be made without arguments gets no stand-in; such lookups are rare
        // and their callers check for nullptr.
        if constexpr (!std::is_default_constructible_v<T>) {
            return nullptr;
        } else {
            m_standIns.push_back(std::make_unique<T>());
            return static_cast<T*>(m_standIns.back().get());
        }
    }
    // A widget or action of the main window (or of `in`).
    template <class T>
    T* widget(const char* name, QObject* in = nullptr,
              std::source_location where = std::source_location::current()) {
        return child<T>(in != nullptr ? in : m_window.get(), QLatin1String(name), where);
    }
    QAction* action(const char* name, std::source_location where = std::source_location::current()) {
        return widget<QAction>(name, nullptr, where);
    }
    // Triggers the action as the author would: it must be there and enabled; a disabled one
    // fails the test instead of quietly doing nothing. Answers whether it was triggered.
    bool trigger(const char* name, std::source_location where = std::source_location::current()) {
        QAction* a = action(name, where);
        if (!a->isEnabled()) {
            fail(std::string("action ") + name + " is disabled", where);
            return false;
        }
        a->trigger();
        return true;
    }
    QString work(const std::string& name) const { return QString::fromStdString((*m_work / name).string()); }
    QString work(const QString& name) const { return work(name.toStdString()); }
    QString work(const char* name) const { return work(std::string(name)); }

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

private:
    static void fail(const std::string& message, const std::source_location& where) {
        QTest::qFail(message.c_str(), where.file_name(), static_cast<int>(where.line()));
    }

    std::vector<std::unique_ptr<QObject>> m_standIns;
};

}  // namespace corvane::test
