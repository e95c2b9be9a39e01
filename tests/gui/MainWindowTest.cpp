// The main window driven through its real widgets, found by object name, on the offscreen
// platform. Every prompt is answered by the scripted services; each test starts from a fresh
// settings file and a fresh program folder.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "EditorFixture.h"
#include "ui/BuildDialog.h"
#include "ui/MainWindow.h"

using Button = corvane::ui::MessageService::Button;
using Icon = corvane::ui::MessageService::Icon;

class MainWindowTest : public QObject, corvane::test::EditorFixture {
    Q_OBJECT

private:
    // How many colours a picture has, counted up to 64: a blank page has one or two.
    static int distinctColours(const QImage& picture) {
        QSet<QRgb> seen;
        for (int y = 0; y < picture.height() && seen.size() < 64; y += 2)
            for (int x = 0; x < picture.width() && seen.size() < 64; x += 2)
                seen.insert(picture.pixel(x, y));
        return static_cast<int>(seen.size());
    }

    // A project file with the given application name, written by the editor itself.
    QString makeProjectFile(const QString& name) {
        const QString path = work(name + QStringLiteral(".zan"));
        corvane::test::writeFile(path.toStdString(), "[Settings]\r\nAppName=" + name.toStdString() + "\r\n");
        return path;
    }

    // A copy of the demo project and a program folder with a stand-in stub, ready to build.
    QString prepareDemoBuild() {
        corvane::test::writeFile(*m_program / "Setup.exe", "MZ stand-in stub");
        const auto demo = *m_work / "demo";
        std::filesystem::copy(corvane::test::testData("../../examples/demo"), demo,
                              std::filesystem::copy_options::recursive);
        m_window->openFile(QString::fromStdString((demo / "Demo.zan").string()));
        return QString::fromStdString((demo / "out" / "Corvane Demo 1.0 Setup.exe").string());
    }

    // Runs action while the build waits for its status line to show, once condition holds.
    void whenBuilding(std::function<bool()> condition, std::function<void()> action) {
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = connect(m_window->buildDialog(), &corvane::ui::TForm5::statusShown, m_window.get(),
                              [connection, condition, action] {
                                  if (!condition()) return;
                                  QObject::disconnect(*connection);
                                  action();
                              });
    }

private slots:
    void init() {
        freshFolders(true);
        for (const char* name : {"Deutsch.lng", "English.lng"})
            corvane::test::writeFile(*m_program / "Languages" / name, "");
        startEditor();
    }

    void cleanup() { stopEditor(); }

    void treeAndViewMenuSwitchPageGroups() {
        auto* tree = widget<QTreeWidget>("TreeView1");
        auto* pages = widget<QStackedWidget>("PageArea");
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("PageGeneral"));

        tree->setCurrentItem(tree->topLevelItem(0)->child(3));
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("PageSystem"));
        tree->setCurrentItem(tree->topLevelItem(0));  // "Project" shows General and selects it
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("PageGeneral"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("General"));

        trigger("ViewFilesAction");
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("PageFiles"));
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Files"));
        trigger("ViewFinishAction");
        QCOMPARE(pages->currentWidget()->objectName(), QStringLiteral("PageFinish"));
        QVERIFY(!m_window->project().isModified());
    }

    void newShowsGeneralAndKeepsItsTab() {
        widget<QTabWidget>("PageGeneral")->setCurrentIndex(1);  // Bitmaps
        trigger("ViewSystemAction");
        trigger("NewAction");
        QCOMPARE(widget<QStackedWidget>("PageArea")->currentWidget()->objectName(),
                 QStringLiteral("PageGeneral"));
        QCOMPARE(widget<QTabWidget>("PageGeneral")->currentIndex(), 1);
    }

    void splitterKeepsItsLimits() {
        auto* splitter = widget<QSplitter>("Splitter1");
        const int total = splitter->sizes()[0] + splitter->sizes()[1];
        splitter->setSizes({25, total - 25});
        emit splitter->splitterMoved(25, 1);
        QCOMPARE(splitter->sizes()[0], 10);
        splitter->setSizes({total - 5, 5});
        emit splitter->splitterMoved(total - 5, 1);
        QCOMPARE(splitter->sizes()[1], 30);
    }

    void unsavedChangesPromptPaths() {
        auto* appName = widget<QLineEdit>("AppNameEd");
        appName->setText(QStringLiteral("Edited"));
        QVERIFY(m_window->project().isModified());

        m_messages.answers = {Button::Cancel};
        trigger("NewAction");
        QCOMPARE(m_messages.asked.last().text, QStringLiteral("Save changes to project \"NewProject\"?"));
        QCOMPARE(m_messages.asked.last().caption, QStringLiteral("Corvane"));
        QCOMPARE(appName->text(), QStringLiteral("Edited"));
        QVERIFY(m_window->project().isModified());

        // Yes on a never-saved project, then Save As cancelled: the changes are lost and New goes on.
        m_messages.answers = {Button::Yes};
        m_files.answers = {QString()};
        trigger("NewAction");
        QCOMPARE(appName->text(), QStringLiteral("My Program"));
        QVERIFY(!m_window->project().isModified());

        // Yes on a saved project writes it before New.
        const QString path = makeProjectFile(QStringLiteral("Saved"));
        m_window->openFile(path);
        appName->setText(QStringLiteral("Changed"));
        m_messages.answers = {Button::Yes};
        trigger("NewAction");
        QVERIFY(QString::fromStdString(corvane::test::readFile(path.toStdString()))
                    .contains("AppName=Changed\r\n"));

        appName->setText(QStringLiteral("Thrown away"));
        m_messages.answers = {Button::No};
        trigger("NewAction");
        QCOMPARE(appName->text(), QStringLiteral("My Program"));
    }

    void saveAsProposesTheNameAndAddsTheExtension() {
        m_files.answers = {work(QStringLiteral("Report.txt"))};
        trigger("SaveAction");  // never saved: Save runs Save As
        QVERIFY(m_files.initialPaths.last().endsWith(QStringLiteral("/My Program 1.0.zan")));
        QVERIFY(QFileInfo::exists(work(QStringLiteral("Report.txt.zan"))));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Corvane - Report.txt.zan"));
        QVERIFY2(m_window->recentList().entries().empty(), "saving does not add to the recent list");
    }

    void recentListOrderAndMissingFiles() {
        QStringList paths;
        for (int i = 0; i < 11; ++i)
            paths << makeProjectFile(QStringLiteral("P%1").arg(i));
        for (int i = 0; i < 10; ++i)
            m_window->openFile(paths[i]);
        m_window->openFile(paths[3]);  // listed already: keeps its place
        const auto& recent = m_window->recentList().entries();
        QCOMPARE(QString::fromStdString(recent.front()), paths[9]);
        m_window->openFile(paths[10]);
        QCOMPARE(recent.size(), std::size_t(10));
        QCOMPARE(QString::fromStdString(recent.front()), paths[10]);
        QCOMPARE(QString::fromStdString(recent.back()), paths[1]);

        const QString upper = work(QStringLiteral("P9.ZAN"));
        QFile::copy(paths[9], upper);
        m_window->openFile(upper);
        QCOMPARE(QString::fromStdString(recent.front()), upper);

        auto* reopen = widget<QMenu>("ReopenMenu");
        QCOMPARE(reopen->actions().size(), 10);
        QFile::remove(paths[10]);
        reopen->actions()[1]->trigger();  // P10, deleted since it was listed
        QCOMPARE(m_messages.asked.last().icon, Icon::Error);
        QCOMPARE(m_messages.asked.last().text, QStringLiteral("File not found:\r") + paths[10]);
        QCOMPARE(QString::fromStdString(recent[1]), paths[10]);

        closeWindow();
        startEditor();
        QCOMPARE(m_window->recentList().entries().size(), std::size_t(9));  // the deleted file is not listed
        QVERIFY(!m_settings->contains(QStringLiteral("Recent10")));
    }

    void layoutReadingStopsAtTheFirstMissingValue() {
        closeWindow();
        m_settings->clear();
        m_settings->setValue(QStringLiteral("Width"), 700);
        m_settings->setValue(QStringLiteral("Height"), 100);
        m_settings->setValue(QStringLiteral("Top"), 5);
        m_settings->setValue(QStringLiteral("TreeViewWidth"), 40);
        startEditor();
        QCOMPARE(m_window->size(), QSize(700, 400));
        QCOMPARE(m_window->geometry().topLeft(), QPoint(230, 136));
        QCOMPARE(widget<QSplitter>("Splitter1")->sizes()[0], 153);

        closeWindow();
        for (const char* key : {"Width", "Height", "Left", "Top", "TreeViewWidth"})
            QVERIFY2(m_settings->contains(QLatin1String(key)), key);
    }

    void restartGovernsTheThreeOffers() {
        trigger("ViewFinishAction");
        auto* restart = widget<QCheckBox>("RestartCheck");
        auto* launch = widget<QCheckBox>("LaunchFileCheck");
        auto* launchChecked = widget<QCheckBox>("LaunchCheckedCheck");
        auto* site = widget<QCheckBox>("VisitSiteCheck");
        auto* address = widget<QLineEdit>("VisitSiteAddressEd");
        launch->click();
        QVERIFY(launchChecked->isChecked() && launchChecked->isEnabled());
        launchChecked->click();  // the author may clear it alone
        QVERIFY(!launchChecked->isChecked());
        QVERIFY(launch->isChecked());
        widget<QCheckBox>("ViewReadmeCheck")->click();
        site->click();

        restart->click();
        for (const char* name : {"LaunchFileCheck", "ViewReadmeCheck", "VisitSiteCheck", "LaunchCheckedCheck",
                                 "ViewReadmeCheckedCheck", "VisitSiteCheckedCheck"}) {
            QVERIFY2(!widget<QCheckBox>(name)->isChecked(), name);
            QVERIFY2(!widget<QCheckBox>(name)->isEnabled(), name);
        }
        QVERIFY(!address->isEnabled());
        QVERIFY(!address->text().isEmpty());

        restart->click();
        QVERIFY(launch->isEnabled() && !launch->isChecked());
        QVERIFY(!widget<QComboBox>("LaunchFileNameCombo")->isEnabled());
        const auto& s = m_window->project().settings;
        QVERIFY(!s.restart && !s.launchFile && !s.visitSite && !s.launchChecked);
    }

    void protectKeepsThePassword() {
        auto* protect = widget<QCheckBox>("ProtectCheck");
        auto* password = widget<QLineEdit>("PasswordEd");
        QVERIFY(!password->isEnabled());
        protect->click();
        password->setText(QStringLiteral("s3cret"));
        protect->click();
        QVERIFY(!password->isEnabled());
        protect->click();
        QCOMPARE(password->text(), QStringLiteral("s3cret"));
        QCOMPARE(m_window->project().settings.password, std::string("s3cret"));
    }

    void includeUninstallerSetsTheUninstallTab() {
        auto* include = widget<QCheckBox>("IncludeUninstallerCheck");
        include->click();
        QCOMPARE(m_window->project().files.size(), std::size_t(1));
        QVERIFY(widget<QCheckBox>("UninstallPageCheck")->isChecked());
        QVERIFY(widget<QLineEdit>("UninstallAddressEd")->isEnabled());
        QCOMPARE(widget<QTreeView>("ListView1")->model()->rowCount(), 1);
        include->click();
        QVERIFY(!widget<QCheckBox>("ShowProgramsCheck")->isEnabled());
        QVERIFY(!widget<QCheckBox>("UninstallPageCheck")->isChecked());
        QVERIFY(!widget<QLineEdit>("UninstallAddressEd")->isEnabled());
        QCOMPARE(m_window->project().files.size(), std::size_t(0));
    }

    void createSetupReportsTheFirstFailedCheckAndFocusesItsControl() {
        trigger("ViewFinishAction");
        trigger("CreateSetupAction");
        QCOMPARE(m_messages.asked.last().text, QStringLiteral("Default Language must be specified."));
        QCOMPARE(m_messages.asked.last().icon, Icon::Error);
        QCOMPARE(widget<QStackedWidget>("PageArea")->currentWidget()->objectName(),
                 QStringLiteral("PageDialogs"));
        QCOMPARE(widget<QTabWidget>("PageDialogs")->currentWidget()->objectName(),
                 QStringLiteral("TabLanguage"));
        QCOMPARE(m_window->focusWidget()->objectName(), QStringLiteral("ComboBox2"));

        // Checking a language fixes it; the next press reports the next check.
        auto* languages = widget<QListWidget>("CheckListBox1");
        languages->item(1)->setCheckState(Qt::Checked);
        QCOMPARE(widget<QComboBox>("ComboBox2")->currentText(), QStringLiteral("English"));
        trigger("CreateSetupAction");
        QCOMPARE(m_messages.asked.last().text, QStringLiteral("Project contains no files."));
        QCOMPARE(m_window->focusWidget()->objectName(), QStringLiteral("ListView1"));
    }

    // A row the setup would refuse: its list is shown, its row selected, its control focused.
    void createSetupShowsTheRowOfARefusedPath() {
        const QString setup = prepareDemoBuild();
        const auto project = *m_work / "demo" / "Demo.zan";
        const std::string demo = corvane::test::readFile(project);
        std::string text = demo;
        text.replace(text.find("<InstallDir>\\readme.txt?"), 12, "<InstallDir>\\..");
        corvane::test::writeFile(project, text);
        m_window->project().clearModified();
        m_window->openFile(QString::fromStdString(project.string()));
        trigger("CreateSetupAction");
        QCOMPARE(
            m_messages.asked.last().text,
            QStringLiteral("Files row 2: the destination \"<InstallDir>\\..\\readme.txt\" has a \".\" or "
                           "\"..\" part, which would climb out of its folder."));
        QCOMPARE(m_messages.asked.last().icon, Icon::Error);
        QCOMPARE(widget<QStackedWidget>("PageArea")->currentWidget()->objectName(),
                 QStringLiteral("PageFiles"));
        QCOMPARE(widget<QTabWidget>("PageFiles")->currentWidget()->objectName(), QStringLiteral("TabFiles"));
        QCOMPARE(m_window->focusWidget()->objectName(), QStringLiteral("ListView1"));
        QCOMPARE(widget<QTreeView>("ListView1")->selectionModel()->selectedRows().value(0).row(), 1);

        corvane::test::writeFile(project, demo + "[DLL]\r\n<SystemDir>\\NUL.ocx=\r\n");
        m_window->project().clearModified();
        m_window->openFile(QString::fromStdString(project.string()));
        trigger("CreateSetupAction");
        QVERIFY(m_messages.asked.last().text.startsWith(QStringLiteral("OCX, DLL row 1: the file ")));
        QCOMPARE(widget<QStackedWidget>("PageArea")->currentWidget()->objectName(),
                 QStringLiteral("PageSystem"));
        QCOMPARE(widget<QTabWidget>("PageSystem")->currentWidget()->objectName(), QStringLiteral("TabDll"));
        auto* dlls = widget<QAbstractItemView>("DllList");
        QCOMPARE(m_window->focusWidget(), dlls);
        QCOMPARE(dlls->selectionModel()->selectedRows().value(0).row(), 0);
        QVERIFY(!QFileInfo::exists(setup));
    }

    void createSetupBuildsAndReportsSuccess() {
        const QString setup = prepareDemoBuild();
        auto* dialog = widget<QDialog>("TForm5");
        m_messages.onShow = [&](const corvane::test::AskedMessage& m) {
            if (m.text == QStringLiteral("Setup was successfully created!"))
                QTimer::singleShot(0, dialog, [&] { widget<QPushButton>("TestButton")->click(); });
        };
        trigger("CreateSetupAction");
        QVERIFY(QFileInfo::exists(setup));
        QCOMPARE(m_messages.asked.last().caption, QStringLiteral("Corvane"));
        auto* form5 = m_window->buildDialog();
        QVERIFY(form5->statusText().startsWith(QStringLiteral("Setup size: ")));
        QCOMPARE(form5->progressPosition(), 100);
        QCOMPARE(m_shell.opened.value(0), setup);  // "Test" runs the new setup
        QVERIFY(!dialog->isVisible());
    }

    void cancelDuringBuildAsksAndStops() {
        const QString setup = prepareDemoBuild();
        auto* form5 = m_window->buildDialog();
        m_messages.answers = {Button::Yes};
        whenBuilding([form5] { return !form5->statusText().isEmpty(); },
                     [this] { widget<QPushButton>("CancelButton")->click(); });
        trigger("CreateSetupAction");
        QCOMPARE(m_messages.asked.last().text,
                 QStringLiteral("Are you sure you want to stop creating setup?"));
        QCOMPARE(m_messages.asked.last().caption, QStringLiteral("Creating Setup"));
        QVERIFY(!QFileInfo::exists(setup));
        QVERIFY(!form5->isVisible());

        // Answered No, the build goes on to the end.
        m_messages.answers = {Button::No};
        m_messages.onShow = [&](const corvane::test::AskedMessage& m) {
            if (m.text == QStringLiteral("Setup was successfully created!"))
                QTimer::singleShot(0, form5,
                                   [&] { widget<QPushButton>("CancelButton")->click(); });  // now "Close"
        };
        whenBuilding([form5] { return !form5->statusText().isEmpty(); },
                     [this] { widget<QPushButton>("CancelButton")->click(); });
        trigger("CreateSetupAction");
        QVERIFY(QFileInfo::exists(setup));
    }

    void helpAndLinksGoThroughTheShell() {
        corvane::test::writeFile(*m_program / "help" / "General" / "General.htm", "<html></html>");
        trigger("HelpTopicsAction");
        trigger("FeedbackAction");
        trigger("VisitWebSiteAction");
        QCOMPARE(m_shell.opened.value(0), QStringLiteral("max:") +
                                              QString::fromStdString(m_program->folder()) +
                                              QStringLiteral("help/General/General.htm"));
        QCOMPARE(m_shell.opened.value(1), QStringLiteral("mailto:support@example.com?subject=ZAN_2.2.0"));
        QVERIFY(m_shell.opened.value(2).startsWith(QStringLiteral("https://")));
    }

    // Every page group as a person would see it with the demo open: its page is the one shown,
    // every tab has a caption and something on it, and the picture of the window is not blank.
    // The pictures stay as artifacts for a look.
    void everyPageGroupShowsItsTabs() {
        const QString dir = qEnvironmentVariable("CORVANE_ARTIFACTS", QDir::tempPath());
        QDir().mkpath(dir);
        m_window->openFile(
            QString::fromStdString(corvane::test::testData("../../examples/demo/Demo.zan").string()));
        const std::pair<const char*, const char*> groups[] = {{"ViewGeneralAction", "PageGeneral"},
                                                              {"ViewDialogsAction", "PageDialogs"},
                                                              {"ViewFilesAction", "PageFiles"},
                                                              {"ViewSystemAction", "PageSystem"},
                                                              {"ViewFinishAction", "PageFinish"}};
        for (const auto& [view, pageName] : groups) {
            QVERIFY(trigger(view));
            auto* page = widget<QTabWidget>(pageName);
            QCOMPARE(widget<QStackedWidget>("PageArea")->currentWidget(), page);
            QVERIFY2(page->isVisible() && page->count() > 0, pageName);
            for (int tab = 0; tab < page->count(); ++tab) {
                QVERIFY2(!page->tabText(tab).trimmed().isEmpty(), pageName);
                QVERIFY2(!page->widget(tab)->findChildren<QWidget*>().isEmpty(),
                         qPrintable(QStringLiteral("%1: tab %2 is empty").arg(pageName, page->tabText(tab))));
            }
            const QImage picture = m_window->grab().toImage();
            QVERIFY(picture.save(dir + QLatin1Char('/') + QLatin1String(view).chopped(6) +
                                 QStringLiteral(".png")));
            QVERIFY2(distinctColours(page->grab().toImage()) >= 4,
                     qPrintable(QStringLiteral("%1 looks blank").arg(pageName)));
        }
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
