#pragma once

// Scripted stand-ins for the editor's services: each prompt takes the next queued answer and is
// recorded; a prompt nobody queued an answer for fails the test instead of blocking it.

#include <QStringList>
#include <QtTest>
#include <deque>
#include <functional>
#include <optional>

#include "ui/Services.h"

namespace corvane::test {

struct AskedMessage {
    ui::MessageService::Icon icon;
    QString caption;
    QString text;
};

class ScriptedMessages : public ui::MessageService {
public:
    std::deque<Button> answers;
    QList<AskedMessage> asked;
    std::function<void(const AskedMessage&)> onShow;  // runs as each box appears

    Button show(QWidget*, Icon icon, const QString& caption, const QString& text,
                const QList<Button>& buttons, Button) override {
        asked.append({icon, caption, text});
        if (onShow) onShow(asked.last());
        if (buttons.size() == 1) return buttons.front();  // a plain message needs no answer
        if (answers.empty()) {
            QTest::qFail(qPrintable(QStringLiteral("unexpected question: ") + text), __FILE__, __LINE__);
            return Button::Cancel;
        }
        const Button answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class ScriptedFiles : public ui::FileDialogService {
public:
    std::deque<QString> answers;  // an empty string cancels the dialog
    QStringList initialPaths;
    QStringList filters;

    QString openFile(QWidget*, const QString& filter, const QString& initial) override {
        return next(filter, initial);
    }
    QString openPicture(QWidget*, const QString& filter, const QString& initial) override {
        return next(filter, initial);
    }
    QString saveFile(QWidget*, const QString& filter, const QString& initial) override {
        return next(filter, initial);
    }
    // Several files: one queued answer, the paths separated by "\n" (empty cancels).
    QStringList openFiles(QWidget*, const QString& filter, const QString& initial) override {
        const QString answer = next(filter, initial);
        return answer.isEmpty() ? QStringList() : answer.split(QLatin1Char('\n'));
    }
    QString chooseFolder(QWidget*, const QString& title, const QString& initial) override {
        return next(title, initial);
    }

private:
    QString next(const QString& filter, const QString& initial) {
        filters << filter;
        initialPaths << initial;
        if (answers.empty()) {
            QTest::qFail("unexpected file dialog", __FILE__, __LINE__);
            return {};
        }
        const QString answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class ScriptedInput : public ui::InputService {
public:
    std::deque<std::optional<QString>> answers;  // nothing cancels the prompt
    QStringList shownTexts;                      // the text each prompt started from

    std::optional<QString> askText(QWidget*, const QString&, const QString&, const QString& text) override {
        shownTexts << text;
        if (answers.empty()) {
            QTest::qFail("unexpected text prompt", __FILE__, __LINE__);
            return std::nullopt;
        }
        const std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

class RecordingShell : public ui::ShellService {
public:
    QStringList opened;
    QStringList edited;
    void open(const QString& target, bool maximized) override {
        opened << (maximized ? QStringLiteral("max:") : QString()) + target;
    }
    void edit(const QString& document) override { edited << document; }
};

}  // namespace corvane::test
