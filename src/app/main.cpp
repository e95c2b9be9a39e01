// Corvane's editor: the application object, the services, the settings store and the main window.

#include <QApplication>
#include <QSettings>
#include <QStyle>

#include "platform/Folders.h"
#include "ui/EditorStyle.h"
#include "ui/MainWindow.h"
#include "ui/QtServices.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // No display name: under X11 Qt would append it to every caption ("Creating Setup — Corvane").
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setOrganizationName(QStringLiteral("Brennic"));
    QApplication::setApplicationVersion(QStringLiteral("2.2.0"));
    QApplication::setStyle(new corvane::ui::EditorStyle(QApplication::style()->name()));

    corvane::ui::QtMessageService messages;
    corvane::ui::QtFileDialogService files;
    corvane::ui::QtShellService shell;
    corvane::ui::QtInputService input;
    const corvane::ui::Services services{&messages, &files, &shell, &input};
    // ~/.config/Brennic/Corvane.conf: the window layout and the recent projects.
    QSettings settings(QStringLiteral("Brennic"), QStringLiteral("Corvane"));

    const corvane::ui::EditorFolders folders{corvane::platform::programFolder(),
                                             corvane::platform::defaultSetupFile(),
                                             corvane::platform::workFolder()};
    corvane::ui::TForm1 window(services, folders, settings);
    window.show();
    window.start(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    return app.exec();
}
