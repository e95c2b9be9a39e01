#pragma once

// Every modal interaction of the editor — message boxes, file and folder choosers, shell calls —
// goes through these interfaces. The application hands in the Qt implementations; tests hand in
// scripted fakes, so no test ever waits on a modal box.

#include <QString>
#include <QStringList>
#include <optional>

class QWidget;

namespace corvane::ui {

class MessageService {
public:
    enum class Icon { Information, Warning, Question, Error };
    enum class Button { Ok, Yes, No, Cancel };
    virtual ~MessageService() = default;

    // Shows a modal box; an empty caption leaves the platform's default caption for the icon.
    virtual Button show(QWidget* parent, Icon icon, const QString& caption, const QString& text,
                        const QList<Button>& buttons, Button defaultButton) = 0;
};

class FileDialogService {
public:
    virtual ~FileDialogService() = default;
    // Each returns the chosen path, or an empty string when the author cancels.
    virtual QString openFile(QWidget* parent, const QString& filter, const QString& initialPath) = 0;
    virtual QString openPicture(QWidget* parent, const QString& filter, const QString& initialPath) = 0;
    virtual QString saveFile(QWidget* parent, const QString& filter, const QString& initialPath) = 0;
    // Several existing files at once; an empty list when the author cancels.
    virtual QStringList openFiles(QWidget* parent, const QString& filter, const QString& initialPath) = 0;
    // A folder, titled with title; an empty string when the author cancels.
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& initialPath) = 0;
};

class ShellService {
public:
    virtual ~ShellService() = default;
    // The default action for a file or an address, as a double click would do; failures are the
    // shell's own business and are not reported.
    virtual void open(const QString& fileOrUrl, bool maximized) = 0;
    // Opens a document for editing in the program the desktop associates with its type, and
    // returns at once: the program runs beside the editor, which stays usable. Nothing is
    // reported when no program is associated or it cannot be started.
    virtual void edit(const QString& document) = 0;
};

class InputService {
public:
    virtual ~InputService() = default;
    // One line of text, starting from text; nothing when the author cancels.
    virtual std::optional<QString> askText(QWidget* parent, const QString& caption, const QString& label,
                                           const QString& text) = 0;
};

struct Services {
    MessageService* messages = nullptr;
    FileDialogService* files = nullptr;
    ShellService* shell = nullptr;
    InputService* input = nullptr;
};

// "Corvane": the caption of warnings, questions and information boxes.
QString applicationTitle();

// A warning with the application title as caption.
void showWarning(const Services& services, QWidget* parent, const QString& text);
// An error about a file or a failed check: error icon, the platform's default caption.
void showError(const Services& services, QWidget* parent, const QString& text);
// "<name> already exists. Do you want to replace it?" with No the default; true on Yes. For names a
// chooser did not ask about itself, such as one it returned before an extension was added.
bool confirmReplace(const Services& services, QWidget* parent, const QString& path);
// An exception's message as the standard error box shows it: a full stop is appended when the
// last character sorts after ".", the application title is the caption.
void showException(const Services& services, QWidget* parent, const QString& message);

}  // namespace corvane::ui
