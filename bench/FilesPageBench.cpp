// Adding a folder through the Files page as an author does: "Add folder...", the destination
// dialog accepted, the folder chosen, the scan, the rows, the page refresh and the pick lists.
// Prints the wall time of the whole command and the rows it added.
//
// Usage: corvane-bench-files-page FOLDER   (run offscreen: QT_QPA_PLATFORM=offscreen)

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

#include "platform/Folders.h"
#include "ui/MainWindow.h"
#include "ui/Services.h"

namespace {

using namespace corvane::ui;

class Messages : public MessageService {
public:
    Button show(QWidget*, Icon, const QString&, const QString& text, const QList<Button>& buttons,
                Button) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
        return buttons.front();
    }
};

class Files : public FileDialogService {
public:
    explicit Files(QString folder) : m_folder(std::move(folder)) {}
    QString openFile(QWidget*, const QString&, const QString&) override { return {}; }
    QString openPicture(QWidget*, const QString&, const QString&) override { return {}; }
    QString saveFile(QWidget*, const QString&, const QString&) override { return {}; }
    QStringList openFiles(QWidget*, const QString&, const QString&) override { return {}; }
    QString chooseFolder(QWidget*, const QString&, const QString&) override { return m_folder; }

private:
    QString m_folder;
};

class Shell : public ShellService {
public:
    void open(const QString&, bool) override {}
    void edit(const QString&) override {}
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: corvane-bench-files-page FOLDER\n");
        return 2;
    }
    Messages messages;
    Files files(QString::fromLocal8Bit(argv[1]));
    Shell shell;
    QTemporaryDir home;
    QSettings settings(home.filePath(QStringLiteral("Corvane.conf")), QSettings::IniFormat);
    TForm1 window(Services{&messages, &files, &shell},
                  EditorFolders{corvane::platform::programFolder(), corvane::platform::defaultSetupFile(),
                                home.path().toStdString() + "/"},
                  settings);
    window.show();
    window.start({});
    window.showPage(3);

    // The destination dialog is answered as soon as it is up.
    QTimer accept;
    QObject::connect(&accept, &QTimer::timeout, [] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->objectName() == QLatin1String("TForm4"))
            dialog->findChild<QPushButton*>(QStringLiteral("AddFilesOkButton"))->click();
    });
    accept.start(0);

    QElapsedTimer clock;
    clock.start();
    window.findChild<QPushButton*>(QStringLiteral("AddFolderButton"))->click();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    std::printf("%.3f %zu\n", seconds, window.project().files.size());
    window.project().clearModified();
    return 0;
}
