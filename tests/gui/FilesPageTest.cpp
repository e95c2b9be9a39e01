// The Files page driven as an author would: its buttons, its dialogs (answered through their
// own widgets once they are up), the list's keys, and what the rest of the editor sees of it.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QtTest>
#include <memory>

#include <sys/stat.h>

#include "EditorFixture.h"
#include "model/Project.h"
#include "ui/MainWindow.h"

using Button = corvane::ui::MessageService::Button;
using Icon = corvane::ui::MessageService::Icon;
namespace fs = std::filesystem;

class FilesPageTest : public QObject, corvane::test::EditorFixture {
    Q_OBJECT

private:
    QTreeView* list() { return widget<QTreeView>("ListView1"); }
    corvane::model::Project& project() { return m_window->project(); }
    QString path(const fs::path& p) const { return QString::fromStdString(p.string()); }
    QString cell(int row, int column) { return list()->model()->index(row, column).data().toString(); }

    // The Add Files dialog answered with a destination typed into its combo box.
    void answerDestination(const QString& destination) {
        whenModal("TForm4", [this, destination](QDialog* dialog) {
            auto* combo = widget<QComboBox>("DestinationCombo", dialog);
            combo->setEditText(destination);
            widget<QPushButton>("AddFilesOkButton", dialog)->click();
        });
    }

    void selectRows(std::initializer_list<int> rows) {
        list()->clearSelection();
        for (int row : rows)
            list()->selectionModel()->select(list()->model()->index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }

    void addFiles(const QStringList& files, const QString& destination = QStringLiteral("<InstallDir>")) {
        answerDestination(destination);
        m_files.answers.push_back(files.join(QLatin1Char('\n')));
        widget<QPushButton>("AddFilesButton")->click();
    }

private slots:
    void init() {
        freshFolders();
        corvane::test::writeFile(*m_program / "Languages" / "English.lng", "");
        corvane::test::writeFile(*m_program / "Uninstall.exe", std::string(100, 'U'));
        startEditor();
        m_window->showPage(3);
        widget<QTabWidget>("PageFiles")->setCurrentWidget(widget<QWidget>("TabFiles"));
    }

    void cleanup() { stopEditor(); }

    void newProjectShowsEmptyTotals() {
        QCOMPARE(widget<QLabel>("TotalFilesLabel")->text(), QStringLiteral("0"));
        QCOMPARE(widget<QLabel>("TotalSizeLabel")->text(), QStringLiteral("0 Byte(s)"));
        QCOMPARE(list()->model()->columnCount(), 5);
        const std::pair<const char*, int> columns[] = {
            {"File", 150}, {"Size", 55}, {"Install to", 100}, {"If Exists", 60}, {"Uninstall", 60}};
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(list()->model()->headerData(i, Qt::Horizontal).toString(),
                     QString::fromLatin1(columns[i].first));
            QCOMPARE(list()->header()->sectionSize(i), columns[i].second);
        }
        QCOMPARE(list()->selectionMode(), QAbstractItemView::ExtendedSelection);
    }

    // The folder example: nested folders, an empty one and a hidden file below a destination
    // typed with a trailing backslash.
    void addFolderKeepsSubfoldersBelowTheDestination() {
        const fs::path data = *m_work / "Data";
        corvane::test::writeFile(data / "a.txt", std::string(1048575 - 3, 'a'));
        corvane::test::writeFile(data / "sub" / "b.txt", "bbb");
        corvane::test::writeFile(data / "sub" / ".hidden", "");
        fs::create_directories(data / "empty");

        QString captionSeen, textSeen;
        QStringList entries;
        whenModal("TForm4", [&](QDialog* dialog) {
            captionSeen = dialog->windowTitle();
            auto* combo = widget<QComboBox>("DestinationCombo", dialog);
            textSeen = combo->currentText();
            for (int i = 0; i < combo->count(); ++i)
                entries << combo->itemText(i);
            combo->setEditText(QStringLiteral("<ProgramFiles>\\Tool\\"));
            QTest::keyClick(combo, Qt::Key_Return);  // Enter is OK
        });
        m_files.answers.push_back(path(data));
        widget<QPushButton>("AddFolderButton")->click();

        QCOMPARE(captionSeen, QStringLiteral("Add Folder"));
        QCOMPARE(textSeen, QStringLiteral("<InstallDir>"));
        const QString offered = QStringLiteral(
            "<InstallDir> <ProgramFiles> <CommonFiles> <WindowsDir> <SystemDir> <TempDir> <FontsDir> "
            "<MyDocuments> <SystemDrive> <CurrentDir> <SentTo> <Favorites> <Templates> <AppData> "
            "<LocalAppData> <LocalSettings> <UserProfile> <AllUserProfile> <Desktop> <StartMenu> "
            "<ProgramsDir> <StartUp> <CommonDesktop> <CommonStartMenu> <CommonProgramsDir> <CommonStartUp> "
            "<ProgramGroup> <QuickLaunch> <CommonFavorites> <CommonAppData> <CommonMyDocuments> "
            "<CommonTemplates>");
        QCOMPARE(entries, offered.split(QLatin1Char(' ')));
        QCOMPARE(m_files.filters.last(), QStringLiteral("Select folder to add:"));
        QCOMPARE(list()->model()->rowCount(), 3);
        QCOMPARE(cell(0, 2), QStringLiteral("<ProgramFiles>\\Tool\\a.txt"));
        QCOMPARE(cell(1, 2), QStringLiteral("<ProgramFiles>\\Tool\\sub\\.hidden"));
        QCOMPARE(cell(2, 2), QStringLiteral("<ProgramFiles>\\Tool\\sub\\b.txt"));
        QCOMPARE(cell(2, 1), QStringLiteral("3"));
        QCOMPARE(cell(2, 3), QStringLiteral("Overwrite"));
        QCOMPARE(cell(2, 4), QStringLiteral("Yes"));
        QCOMPARE(widget<QLabel>("TotalFilesLabel")->text(), QStringLiteral("3"));
        QCOMPARE(widget<QLabel>("TotalSizeLabel")->text(), QStringLiteral("1024.00 KB"));
        QVERIFY(project().isModified());

        // The next opening starts again from <InstallDir>; Cancel adds nothing.
        whenModal("TForm4", [&](QDialog* dialog) {
            textSeen = widget<QComboBox>("DestinationCombo", dialog)->currentText();
            widget<QPushButton>("AddFilesCancelButton", dialog)->click();
        });
        widget<QPushButton>("AddFilesButton")->click();
        QCOMPARE(textSeen, QStringLiteral("<InstallDir>"));
        QCOMPARE(list()->model()->rowCount(), 3);
    }

    void emptyDestinationKeepsTheDialogOpen() {
        bool stillOpen = false;
        whenModal("TForm4", [&](QDialog* dialog) {
            auto* combo = widget<QComboBox>("DestinationCombo", dialog);
            combo->setEditText({});
            widget<QPushButton>("AddFilesOkButton", dialog)->click();
            stillOpen = dialog->isVisible() &&
                        (dialog->focusWidget() == combo || dialog->focusWidget() == combo->lineEdit());
            dialog->reject();
        });
        widget<QPushButton>("AddFilesButton")->click();
        QVERIFY(stillOpen);
        QVERIFY(m_messages.asked.isEmpty());
    }

    // A FIFO cannot be packed whoever runs the test (root reads anything), so it stands for an
    // unreadable file.
    void anUnreadableFileIsReportedAndTheOthersAdded() {
        corvane::test::writeFile(*m_work / "a.txt", "aa");
        corvane::test::writeFile(*m_work / "b.txt", "bbbb");
        QCOMPARE(::mkfifo((*m_work / "pipe").c_str(), 0600), 0);
        addFiles({path(*m_work / "a.txt"), path(*m_work / "pipe"), path(*m_work / "b.txt")},
                 QStringLiteral("<InstallDir>\\bin"));
        QCOMPARE(list()->model()->rowCount(), 2);
        QCOMPARE(cell(1, 2), QStringLiteral("<InstallDir>\\bin\\b.txt"));
        QCOMPARE(m_messages.asked.size(), 1);
        QCOMPARE(m_messages.asked[0].text, QStringLiteral("File access denied:\r") + path(*m_work / "pipe"));
        QCOMPARE(m_messages.asked[0].icon, Icon::Error);
        QCOMPARE(m_messages.asked[0].caption, QString());
    }

    // Only the first selected row is edited; "Overwrite" and "Yes" count only when exact.
    void editChangesTheFirstSelectedRowOnly() {
        for (const char* name : {"1.txt", "2.txt", "3.txt"})
            corvane::test::writeFile(*m_work / name, "x");
        addFiles({path(*m_work / "1.txt"), path(*m_work / "2.txt"), path(*m_work / "3.txt")});
        project().files[1].ifExists = "overwrite";
        project().files[1].uninstall = "yes";
        const auto untouched = project().files;

        selectRows({2, 1, 0});
        whenModal("TForm7", [this](QDialog* dialog) {
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Edit Current Item"));
            QVERIFY(!widget<QLineEdit>("SourcePathEd", dialog)->isEnabled());
            QCOMPARE(widget<QLineEdit>("SourcePathEd", dialog)->text(), path(*m_work / "1.txt"));
            widget<QLineEdit>("InstallToEd", dialog)->setText(QStringLiteral("<InstallDir>\\one.txt"));
            widget<QComboBox>("IfExistsCombo", dialog)->setCurrentIndex(1);
            widget<QCheckBox>("UninstallCheck", dialog)->setChecked(false);
            widget<QPushButton>("EditItemOkButton", dialog)->click();
        });
        widget<QPushButton>("EditButton")->click();
        QCOMPARE(project().files[0].installTo, std::string("<InstallDir>\\one.txt"));
        QCOMPARE(project().files[0].ifExists, std::string("Skip"));
        QCOMPARE(project().files[0].uninstall, std::string("No"));
        QVERIFY(project().files[1] == untouched[1]);
        QVERIFY(project().files[2] == untouched[2]);
        QCOMPARE(list()->selectionModel()->selectedRows().size(), 3);  // the selection stays

        // A row whose cells are not exactly "Overwrite" / "Yes" opens as Skip and unchecked.
        selectRows({1});
        whenModal("TForm7", [this](QDialog* dialog) {
            QCOMPARE(widget<QComboBox>("IfExistsCombo", dialog)->currentText(), QStringLiteral("Skip"));
            QVERIFY(!widget<QCheckBox>("UninstallCheck", dialog)->isChecked());
            widget<QPushButton>("EditItemCancelButton", dialog)->click();
        });
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {},
                           list()->visualRect(list()->model()->index(1, 0)).center());
        QVERIFY(project().files[1] == untouched[1]);
    }

    // After an edit the Finish page's lists offer the new destination; typed text stays.
    void pickListsFollowTheRowsAndKeepTheirText() {
        corvane::test::writeFile(*m_work / "app.exe", "MZ");
        addFiles({path(*m_work / "app.exe")});
        m_window->showPage(5);
        widget<QCheckBox>("LaunchFileCheck")->click();
        auto* launch = widget<QComboBox>("LaunchFileNameCombo");
        launch->setEditText(QStringLiteral("<InstallDir>\\typed.exe"));
        m_window->showPage(3);
        selectRows({0});
        whenModal("TForm7", [this](QDialog* dialog) {
            widget<QLineEdit>("InstallToEd", dialog)->setText(QStringLiteral("<InstallDir>\\bin\\app.exe"));
            widget<QPushButton>("EditItemOkButton", dialog)->click();
        });
        widget<QPushButton>("EditButton")->click();
        QCOMPARE(launch->count(), 1);
        QCOMPARE(launch->itemText(0), QStringLiteral("<InstallDir>\\bin\\app.exe"));
        QCOMPARE(launch->currentText(), QStringLiteral("<InstallDir>\\typed.exe"));
    }

    void removeAsksOnceAndNoChangesNothing() {
        for (const char* name : {"1.txt", "2.txt", "3.txt"})
            corvane::test::writeFile(*m_work / name, "xx");
        addFiles({path(*m_work / "1.txt"), path(*m_work / "2.txt"), path(*m_work / "3.txt")});
        selectRows({0, 2});
        m_messages.answers = {Button::No};
        widget<QPushButton>("RemoveButton")->click();
        QCOMPARE(m_messages.asked.last().text,
                 QStringLiteral("Are you sure you want to delete the selected items?"));
        QCOMPARE(m_messages.asked.last().icon, Icon::Question);
        QCOMPARE(m_messages.asked.last().caption, QStringLiteral("Corvane"));
        QCOMPARE(list()->model()->rowCount(), 3);
        QCOMPARE(list()->selectionModel()->selectedRows().size(), 2);

        // The list's Delete key is the same command.
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        list()->setFocus();
        QTRY_VERIFY(list()->hasFocus());
        m_messages.answers = {Button::Yes};
        QTest::keyClick(list(), Qt::Key_Delete);
        QCOMPARE(list()->model()->rowCount(), 1);
        QCOMPARE(cell(0, 2), QStringLiteral("<InstallDir>\\2.txt"));
        QCOMPARE(widget<QLabel>("TotalFilesLabel")->text(), QStringLiteral("1"));
        QCOMPARE(widget<QLabel>("TotalSizeLabel")->text(), QStringLiteral("2 Byte(s)"));

        // Ctrl+A selects every row; Enter edits the first of them.
        addFiles({path(*m_work / "1.txt"), path(*m_work / "3.txt")});
        m_window->activateWindow();
        list()->setFocus();
        QTRY_VERIFY(list()->hasFocus());
        QTest::keyClick(list(), Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(list()->selectionModel()->selectedRows().size(), 3);
        bool edited = false;
        whenModal("TForm7", [&](QDialog* dialog) {
            edited =
                widget<QLineEdit>("InstallToEd", dialog)->text() == QStringLiteral("<InstallDir>\\2.txt");
            widget<QPushButton>("EditItemCancelButton", dialog)->click();
        });
        QTest::keyClick(list(), Qt::Key_Return);
        QVERIFY(edited);

        // Nothing selected: no question, nothing removed.
        list()->clearSelection();
        const int asked = m_messages.asked.size();
        widget<QPushButton>("RemoveButton")->click();
        QCOMPARE(m_messages.asked.size(), asked);
        QCOMPARE(list()->model()->rowCount(), 3);
    }

    void includeUninstallerAddsOneRowAndRemovesOnlyItsOwn() {
        auto* include = widget<QCheckBox>("IncludeUninstallerCheck");
        include->click();
        include->click();
        include->click();
        QCOMPARE(project().files.size(), std::size_t(1));
        QCOMPARE(project().files[0].source, m_program->folder() + "Uninstall.exe");
        QCOMPARE(cell(0, 1), QStringLiteral("54784"));

        // Removed by hand, then cleared: nothing else goes, nothing is said.
        corvane::test::writeFile(*m_work / "a.txt", "a");
        addFiles({path(*m_work / "a.txt")});
        selectRows({0});
        m_messages.answers = {Button::Yes};
        widget<QPushButton>("RemoveButton")->click();
        QVERIFY(include->isChecked());
        const int asked = m_messages.asked.size();
        include->click();
        QCOMPARE(project().files.size(), std::size_t(1));
        QCOMPARE(cell(0, 2), QStringLiteral("<InstallDir>\\a.txt"));
        QCOMPARE(m_messages.asked.size(), asked);
    }

    // A project whose payload folder was renamed: the rows stay, shown as missing, the author is
    // told once, the build is refused at the row, a save writes them back unchanged, and they
    // recover when the folder returns.
    void rowsWithMissingSourcesAreKeptShownAndRefused() {
        const fs::path projectFile = *m_work / "p.zan";
        const std::string wizard = "Wizard=" + m_program->folder() + "Wizard_0.bmp";
        const std::string header = "Header=" + m_program->folder() + "Header_0.bmp";
        const std::string text =
            corvane::test::crlf({"[Settings]", "AppName=P", "SetupFile=out.exe", wizard, header,
                                 "DefaultLanguage=0", "InstallDir=<ProgramFiles>\\P", "[Language]",
                                 "0=", "[Files]", "payload/app.exe?4096?<InstallDir>\\app.exe?Overwrite?Yes=",
                                 "payload/lib.dll?20?<InstallDir>\\lib.dll?Skip?No="});
        corvane::test::writeFile(projectFile, text);
        m_window->openFile(path(projectFile));

        QCOMPARE(m_messages.asked.size(), 1);
        QCOMPARE(m_messages.asked[0].icon, Icon::Warning);
        QVERIFY(m_messages.asked[0].text.contains(QStringLiteral("payload/app.exe")));
        QVERIFY(m_messages.asked[0].text.contains(QStringLiteral("payload/lib.dll")));
        QCOMPARE(list()->model()->rowCount(), 2);
        QCOMPARE(cell(0, 1), QStringLiteral("missing"));
        QVERIFY(!project().isModified());

        m_window->showPage(1);
        m_window->createSetup();
        QCOMPARE(m_messages.asked.last().text,
                 QStringLiteral("File not found:\r") + path(*m_work / "payload" / "app.exe"));
        QCOMPARE(widget<QStackedWidget>("PageArea")->currentWidget()->objectName(),
                 QStringLiteral("PageFiles"));
        QCOMPARE(list()->selectionModel()->selectedRows().value(0).row(), 0);

        QVERIFY(m_window->save());
        const std::string rows =
            corvane::test::crlf({"[Files]", "payload/app.exe?4096?<InstallDir>\\app.exe?Overwrite?Yes=",
                                 "payload/lib.dll?20?<InstallDir>\\lib.dll?Skip?No="});
        QVERIFY(corvane::test::readFile(projectFile).find(rows) != std::string::npos);

        corvane::test::writeFile(*m_work / "payload" / "app.exe", "MZ");
        corvane::test::writeFile(*m_work / "payload" / "lib.dll", "DLL");
        widget<QCheckBox>("IncludeUninstallerCheck")->click();  // any change of the list looks again
        QCOMPARE(cell(0, 1), QStringLiteral("2"));
        QCOMPARE(cell(1, 1), QStringLiteral("3"));
    }
};

QTEST_MAIN(FilesPageTest)
#include "FilesPageTest.moc"
