// The editor keeps the author's work safe: Save As never replaces a file without asking and
// keeps every relative path pointing at its file, a read-only project is never replaced, the
// window comes back where it was, and a long build leaves the window responsive. Driven through
// the real window on the offscreen platform (the layout tests under Xvfb with a window manager),
// every prompt answered by the scripted services.

#include <sys/stat.h>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSettings>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <memory>
#include <random>

#include "EditorFixture.h"
#include "TestSupport.h"
#include "builder/PreBuildChecks.h"
#include "project/ProjectFileReader.h"
#include "ui/BuildDialog.h"
#include "ui/EditorStyle.h"
#include "ui/HelpTopics.h"
#include "ui/MainWindow.h"

using Button = corvane::ui::MessageService::Button;
using Icon = corvane::ui::MessageService::Icon;
namespace fs = std::filesystem;

class EditorSafetyTest : public QObject, corvane::test::EditorFixture {
    Q_OBJECT

private:
    // A copy of the demo project (relative sources, documents and bitmaps) opened in the editor.
    fs::path openDemoCopy() {
        corvane::test::writeFile(*m_program / "Setup.exe", "MZ stand-in stub");
        const fs::path demo = *m_work / "demo";
        fs::copy(corvane::test::testData("../../examples/demo"), demo, fs::copy_options::recursive);
        m_window->openFile(QString::fromStdString((demo / "Demo.zan").string()));
        return demo / "Demo.zan";
    }

    // Saves the open project under path through Save As, reopens it, and checks that nothing
    // was lost on the way: the checks pass and every Files row is still there and measured.
    void saveAsAndReopen(const fs::path& path) {
        const auto rows = m_window->project().files;
        fs::create_directories(path.parent_path());
        m_files.answers = {QString::fromStdString(path.string())};
        QVERIFY(m_window->saveAs());
        const auto failure = corvane::builder::firstFailedCheck(m_window->project());
        QVERIFY2(!failure, failure ? failure->message.c_str() : "");
        m_window->newProject();
        m_window->openFile(QString::fromStdString(path.string()));
        const auto& reopened = m_window->project().files;
        QCOMPARE(reopened.size(), rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i) {
            QCOMPARE(reopened[i].installTo, rows[i].installTo);
            QCOMPARE(reopened[i].size, rows[i].size);
            QVERIFY(fs::is_regular_file(m_window->project().resolvePath(reopened[i].source)));
        }
        QVERIFY(!corvane::builder::firstFailedCheck(m_window->project()));
    }

private slots:
    // The style the editor runs with, so sizes measured here are the ones the author sees.
    void initTestCase() {
        QApplication::setStyle(new corvane::ui::EditorStyle(QApplication::style()->name()));
    }

    void init() {
        freshFolders();
        for (const char* name : {"Deutsch.lng", "English.lng"})
            corvane::test::writeFile(*m_program / "Languages" / name, "");
        startEditor();
    }

    void cleanup() { stopEditor(); }

    void saveAsAsksBeforeReplacingTheNameItWillWrite() {
        const fs::path existing = *m_work / "Demo.zan";
        corvane::test::writeFile(existing, "[Settings]\r\nAppName=Keep me\r\n");
        m_window->Action1Execute();

        m_files.answers = {work("Demo")};  // typed without the extension
        m_messages.answers = {Button::No};
        QVERIFY(!m_window->saveAs());
        QCOMPARE(m_messages.asked.last().icon, Icon::Question);
        QCOMPARE(m_messages.asked.last().text,
                 QStringLiteral("Demo.zan already exists.\nDo you want to replace it?"));
        QCOMPARE(corvane::test::readFile(existing), std::string("[Settings]\r\nAppName=Keep me\r\n"));
        QCOMPARE(m_window->project().projectPath, std::string("NewProject"));
        QVERIFY(m_window->project().isModified());

        m_files.answers = {work("Demo")};
        m_messages.answers = {Button::Yes};
        QVERIFY(m_window->saveAs());
        QVERIFY(corvane::test::readFile(existing).find("AppName=My Program") != std::string::npos);
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Corvane - Demo.zan"));

        // A name the chooser itself asked about is not asked about twice.
        m_files.answers = {work("Demo.zan")};
        QVERIFY(m_window->saveAs());
    }

    void setupFileChooserAsksAboutTheNameTheBuildWillReplace() {
        const fs::path existing = *m_work / "Setup.exe";
        corvane::test::writeFile(existing, "MZ");
        auto* edit = widget<QLineEdit>("SetupFileEd");
        const QString before = edit->text();

        m_files.answers = {work("Setup")};  // typed without the extension
        m_messages.answers = {Button::No};
        widget<QPushButton>("SetupFileButton")->click();
        QCOMPARE(m_messages.asked.last().text,
                 QStringLiteral("Setup.exe already exists.\nDo you want to replace it?"));
        QCOMPARE(edit->text(), before);

        m_files.answers = {work("Setup")};
        m_messages.answers = {Button::Yes};
        widget<QPushButton>("SetupFileButton")->click();
        QCOMPARE(edit->text(), work("Setup.exe"));
    }

    void saveAsIntoAnotherFolderKeepsEveryPath() {
        const fs::path demo = openDemoCopy();
        saveAsAndReopen(*m_work / "Demo.zan");  // a parent of the payload: the paths stay relative
        QCOMPARE(m_window->project().files.front().source, std::string("demo/payload/demo.cmd"));
        QCOMPARE(m_window->project().settings.wizard, std::string("demo/art/wizard.bmp"));
        saveAsAndReopen(*m_work / "sibling" / "Demo.zan");  // beside it: they turn absolute
        QCOMPARE(m_window->project().files.front().source,
                 (demo.parent_path() / "payload" / "demo.cmd").string());
        saveAsAndReopen(*m_work / "sibling" / "child" / "Demo.zan");
        QCOMPARE(m_window->project().licenses.front().file,
                 (demo.parent_path() / "docs" / "license-en.txt").string());

        // And the moved project builds.
        auto* form5 = m_window->buildDialog();
        m_messages.onShow = [&](const corvane::test::AskedMessage& m) {
            if (m.text == QStringLiteral("Setup was successfully created!"))
                QTimer::singleShot(0, form5,
                                   [form5] { form5->findChild<QPushButton*>("CancelButton")->click(); });
        };
        trigger("CreateSetupAction");
        QCOMPARE(m_messages.asked.last().text, QStringLiteral("Setup was successfully created!"));
        QVERIFY(fs::is_regular_file(demo.parent_path() / "out" / "Corvane Demo 1.0 Setup.exe"));
    }

    // The choosers of the General group open at the files a relative path names beside the
    // project, not in the folder the editor was started from.
    void choosersStartBesideTheProject() {
        const fs::path demo = openDemoCopy().parent_path();
        m_window->showPage(1);
        m_files.answers = {QString(), QString()};  // both cancelled
        widget<QPushButton>("WizardButton")->click();
        widget<QPushButton>("SetupFileButton")->click();
        QCOMPARE(m_files.initialPaths.value(0), QString::fromStdString((demo / "art/wizard.bmp").string()));
        QCOMPARE(m_files.initialPaths.value(1),
                 QString::fromStdString((demo / "out/Corvane Demo 1.0 Setup.exe").string()));
        QCOMPARE(m_window->project().settings.wizard, std::string("art/wizard.bmp"));
    }

    // A FIFO in the license's place fails the editor's build at once, with the cabinet's error
    // and then the file; the previous setup stays, and Cancel closes the dialog as after any
    // failure.
    void aBuildErrorNamesTheFile() {
        const fs::path demo = openDemoCopy();
        const fs::path setup = demo.parent_path() / "out" / "Corvane Demo 1.0 Setup.exe";
        corvane::test::writeFile(setup, "the previous setup");
        const fs::path license = demo.parent_path() / "docs" / "license-de.txt";
        fs::remove(license);
        QCOMPARE(::mkfifo(license.c_str(), 0644), 0);
        auto* form5 = m_window->buildDialog();
        m_messages.answers = {Button::Yes};
        m_messages.onShow = [&](const corvane::test::AskedMessage& m) {
            if (m.icon == Icon::Error)
                QTimer::singleShot(0, form5,
                                   [form5] { form5->findChild<QPushButton*>("CancelButton")->click(); });
        };
        trigger("CreateSetupAction");
        QCOMPARE(m_messages.asked.size(), 2);
        QCOMPARE(m_messages.asked[0].text,
                 QStringLiteral("Failure opening file to be stored in cabinet [0x0001].\r\nInvalid argument "
                                "[0x0016].\r\n") +
                     QString::fromStdString(license.string()) +
                     QStringLiteral(" is not a regular file and cannot be packed."));
        QVERIFY(!form5->isVisible());
        QCOMPARE(corvane::test::readFile(setup), std::string("the previous setup"));
    }

    // Setup > Signing Command... keeps the author's command in the editor's settings, refuses one
    // without {}, and every build then signs the uninstaller and the setup; a failing command
    // leaves the previous setup.
    void signingCommandIsTheAuthorsOwnSetting() {
        const fs::path demo = openDemoCopy();
        corvane::test::writeFile(*m_program / "Uninstall.exe", "MZ uninstaller");
        auto& project = m_window->project();
        project.setUninstall(true);
        project.clearModified();
        const fs::path log = *m_work / "signed.log";
        const QString key = QStringLiteral("SigningCommand");

        m_input.answers = {QStringLiteral("signtool sign /a")};
        trigger("SigningCommandAction");
        QCOMPARE(m_messages.asked.last().icon, Icon::Warning);
        QCOMPARE(m_messages.asked.last().text,
                 QStringLiteral("The signing command must contain {} where the file to sign goes."));
        QVERIFY(!m_settings->contains(key));

        const QString command =
            QStringLiteral("printf '%s\\n' {} >> '%1'").arg(QString::fromStdString(log.string()));
        m_input.answers = {QStringLiteral("  ") + command + QStringLiteral(" ")};
        trigger("SigningCommandAction");
        QCOMPARE(m_input.shownTexts.last(), QString());
        QCOMPARE(m_settings->value(key).toString(), command);
        QVERIFY2(!project.isModified(), "the signing command is no part of the project");
        m_input.answers = {std::nullopt};  // a cancelled prompt changes nothing
        trigger("SigningCommandAction");
        QCOMPARE(m_input.shownTexts.last(), command);
        QCOMPARE(m_settings->value(key).toString(), command);

        auto* form5 = m_window->buildDialog();
        auto* cancel = form5->findChild<QPushButton*>("CancelButton");
        m_messages.onShow = [&](const corvane::test::AskedMessage& m) {
            if (m.icon != Icon::Question) QTimer::singleShot(0, form5, [cancel] { cancel->click(); });
        };
        trigger("CreateSetupAction");
        QCOMPARE(m_messages.asked.last().text, QStringLiteral("Setup was successfully created!"));
        const fs::path setup = project.resolvePath(project.settings.setupFile);
        const QStringList signedFiles =
            QString::fromStdString(corvane::test::readFile(log)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(signedFiles.size(), 2);
        QVERIFY2(signedFiles[0].endsWith(QStringLiteral("/Uninstall.exe")) &&
                     !signedFiles[0].startsWith(QString::fromStdString(m_program->folder())),
                 qPrintable(signedFiles[0]));
        QVERIFY2(signedFiles[1].startsWith(QString::fromStdString(setup.string() + ".part")),
                 qPrintable(signedFiles[1]));

        const std::string previous = corvane::test::readFile(setup);
        m_input.answers = {QStringLiteral("false {}")};
        trigger("SigningCommandAction");
        m_messages.answers = {Button::Yes};  // the dialog stays after a failure; its Cancel closes it
        trigger("CreateSetupAction");
        const QString failure = m_messages.asked[m_messages.asked.size() - 2].text;
        QVERIFY2(
            failure.startsWith(QStringLiteral("Signing ")) &&
                failure.endsWith(QStringLiteral("Uninstall.exe failed: the command exited with status 1.")),
            qPrintable(failure));
        QCOMPARE(corvane::test::readFile(setup), previous);

        m_input.answers = {QString()};
        trigger("SigningCommandAction");
        QVERIFY(!m_settings->contains(key));
        QVERIFY(fs::exists(demo));
    }

    void readOnlyProjectIsRefusedAndKept() {
        const fs::path demo = openDemoCopy();
        const std::string before = corvane::test::readFile(demo);
        ::chmod(demo.c_str(), 0444);
        m_window->project().settings.appName = "Changed";
        m_window->Action1Execute();
        QVERIFY(!m_window->save());
        QCOMPARE(m_messages.asked.last().icon, Icon::Error);
        QCOMPARE(m_messages.asked.last().text, QStringLiteral("Unable to write to ") +
                                                   QString::fromStdString(demo.string()) + QLatin1Char('.'));
        QCOMPARE(corvane::test::readFile(demo), before);
        QVERIFY(m_window->project().isModified());
        ::chmod(demo.c_str(), 0644);
    }

    void captionsAreTheProgramsOwn() {
        const fs::path demo = openDemoCopy();
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Corvane - Demo.zan"));
        QCOMPARE(m_window->buildDialog()->windowTitle(), QStringLiteral("Creating Setup"));
        QVERIFY(QGuiApplication::applicationDisplayName() == QGuiApplication::applicationName());
        QVERIFY(fs::exists(demo));
    }

    // At the designed 563 x 475 no tab label hides behind scroll arrows.
    void everyTabLabelShowsAtTheDesignedSize() {
        m_window->resize(563, 475);
        const char* groups[] = {"PageGeneral", "PageDialogs", "PageFiles", "PageSystem", "PageFinish"};
        for (int g = 1; g <= 5; ++g) {
            m_window->showPage(g);
            auto* group = widget<QTabWidget>(groups[g - 1]);
            QTRY_VERIFY(group->isVisible());
            QTabBar* bar = group->tabBar();
            for (int t = 0; t < bar->count(); ++t)
                QVERIFY2(bar->rect().contains(bar->tabRect(t)), qPrintable(bar->tabText(t)));
        }
    }

    // At the smallest size the window allows, every label and check box on every tab still shows
    // its whole text: in one line, or broken between words with the height the lines need.
    void noLabelIsCutAtTheMinimumSize() {
        m_window->resize(m_window->minimumSize());
        const char* groups[] = {"PageGeneral", "PageDialogs", "PageFiles", "PageSystem", "PageFinish"};
        QStringList cut;
        for (int g = 1; g <= 5; ++g) {
            m_window->showPage(g);
            auto* group = widget<QTabWidget>(groups[g - 1]);
            for (int t = 0; t < group->count(); ++t) {
                group->setCurrentIndex(t);
                QTRY_VERIFY(group->currentWidget()->isVisible());
                QApplication::processEvents();
                QList<QWidget*> texts;
                for (QLabel* label : group->currentWidget()->findChildren<QLabel*>())
                    if (!label->wordWrap() && !label->text().isEmpty()) texts << label;
                for (QCheckBox* box : group->currentWidget()->findChildren<QCheckBox*>())
                    texts << box;
                for (QWidget* text : texts) {
                    if (!text->isVisible()) continue;
                    const QSize needs = text->hasHeightForWidth() ? QSize(text->minimumSizeHint().width(),
                                                                          text->heightForWidth(text->width()))
                                                                  : text->sizeHint();
                    if (text->width() < needs.width() || text->height() < needs.height())
                        cut << QStringLiteral("%1 / %2: %3 (%4 x %5, needs %6 x %7)")
                                   .arg(group->tabText(t), text->objectName(),
                                        text->property("text").toString())
                                   .arg(text->width())
                                   .arg(text->height())
                                   .arg(needs.width())
                                   .arg(needs.height());
                }
            }
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1Char('\n'))));
    }

    void reopenIsDisabledWhileNoProjectIsListed() {
        auto* reopen = widget<QMenu>("ReopenMenu");
        QVERIFY(!reopen->menuAction()->isEnabled());
        const fs::path demo = openDemoCopy();
        QVERIFY(reopen->menuAction()->isEnabled());
        QCOMPARE(reopen->actions().value(0)->data().toString(), QString::fromStdString(demo.string()));
    }

    // "Project" has no group of its own: clicked or reached with Home, it shows General and
    // leaves "General" highlighted, the only row selected.
    void projectNodeLeavesGeneralHighlighted() {
        auto* tree = widget<QTreeWidget>("TreeView1");
        QTreeWidgetItem* root = tree->topLevelItem(0);
        QTreeWidgetItem* general = root->child(0);
        auto highlighted = [&] {
            return tree->currentItem() == general &&
                   tree->selectedItems() == QList<QTreeWidgetItem*>{general};
        };
        m_window->showPage(4);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(root).center());
        QCOMPARE(widget<QStackedWidget>("PageArea")->currentWidget()->objectName(),
                 QStringLiteral("PageGeneral"));
        QTRY_VERIFY(highlighted());
        QVERIFY(!root->isSelected());

        m_window->showPage(3);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Home);
        QCOMPARE(widget<QStackedWidget>("PageArea")->currentWidget()->objectName(),
                 QStringLiteral("PageGeneral"));
        QTRY_VERIFY(highlighted());
    }

    // Offscreen there is no frame; under a window manager (the xvfb run) the frame is real and
    // the window must still come back exactly where it was, maximised or not.
    void windowComesBackWhereItWas() {
        const bool framed = QGuiApplication::platformName() == QStringLiteral("xcb");
        if (framed)
            QTRY_VERIFY2_WITH_TIMEOUT(m_window->frameGeometry() != m_window->geometry(),
                                      "no window manager framed the window", 10000);
        m_window->setGeometry(300, 200, 600, 480);
        QTRY_COMPARE(m_window->geometry(), QRect(300, 200, 600, 480));
        closeWindow();
        const auto stored = [&] {
            QList<int> values;
            for (const char* key : {"Width", "Height", "Left", "Top", "TreeViewWidth"})
                values << m_settings->value(QLatin1String(key)).toInt();
            return values;
        };
        const QList<int> first = stored();
        QCOMPARE(first.mid(0, 4), (QList<int>{600, 480, 300, 200}));
        for (int run = 0; run < 5; ++run) {
            startEditor();
            if (framed) QTRY_VERIFY(m_window->frameGeometry() != m_window->geometry());
            QTRY_COMPARE(m_window->geometry(), QRect(300, 200, 600, 480));
            closeWindow();
            QCOMPARE(stored(), first);
        }

        // Closed while maximised: back as large, as a normal window, its title bar on the screen.
        startEditor();
        m_window->showMaximized();
        QTRY_VERIFY(m_window->isMaximized());
        const QRect maximised = m_window->geometry();
        closeWindow();
        startEditor();
        QVERIFY(!m_window->isMaximized());
        QTRY_COMPARE(m_window->geometry(), maximised);
        QVERIFY(m_window->frameGeometry().top() >= m_window->screen()->availableGeometry().top());

        // A title bar stored off every screen is brought back onto one.
        closeWindow();
        m_settings->setValue(QStringLiteral("Top"), -500);
        m_settings->setValue(QStringLiteral("Left"), -5000);
        startEditor();
        const QRect area = m_window->screen()->availableGeometry();
        QTRY_VERIFY(area.contains(m_window->geometry().topLeft()));
        QVERIFY(m_window->frameGeometry().top() >= area.top());
    }

    // Every page the editor can open exists, and every link inside the guide leads to a page.
    void everyHelpLinkResolves() {
        const QString guide = qEnvironmentVariable("CORVANE_HELP");
        QVERIFY2(QFileInfo(guide + QStringLiteral("/index.htm")).isFile(), qPrintable(guide));
        fs::copy(guide.toStdString(), *m_program / "help", fs::copy_options::recursive);

        const char* groups[] = {"PageGeneral", "PageDialogs", "PageFiles", "PageSystem", "PageFinish"};
        for (int g = 1; g <= 5; ++g) {
            auto* group = widget<QTabWidget>(groups[g - 1]);
            QVERIFY(corvane::ui::helpTopicForTab(g, group->count()) == corvane::ui::helpStartTopic());
            for (int t = 0; t < group->count(); ++t) {
                m_window->showPage(g);
                group->setCurrentIndex(t);
                trigger("HelpTopicsAction");
                const QString topic = corvane::ui::helpTopicForTab(g, t);
                QVERIFY2(topic != corvane::ui::helpStartTopic(), qPrintable(group->tabText(t)));
                QCOMPARE(m_shell.opened.last(),
                         QStringLiteral("max:") + corvane::ui::helpFolder(m_program->folder()) + topic);
                QVERIFY2(QFileInfo(m_shell.opened.last().mid(4)).isFile(), qPrintable(topic));
            }
        }
        for (int n = 1; n <= 5; ++n) {
            const QString topic = QStringLiteral("Project Settings/System/%1.htm").arg(n);
            QVERIFY(
                corvane::ui::openHelpTopic({&m_messages, &m_files, &m_shell}, m_program->folder(), topic));
        }
        QVERIFY(!corvane::ui::openHelpTopic({&m_messages, &m_files, &m_shell}, m_program->folder(),
                                            QStringLiteral("none.htm")));

        const QRegularExpression link(QStringLiteral(R"re((?:href|src)="([^"#]*)(#[^"]*)?")re"));
        int pages = 0;
        for (QDirIterator it(guide, {QStringLiteral("*.htm")}, QDir::Files, QDirIterator::Subdirectories);
             it.hasNext();) {
            const QString page = it.next();
            ++pages;
            QFile file(page);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(file.readAll());
            QVERIFY2(text.contains(QStringLiteral("<title>")), qPrintable(page));
            for (auto m = link.globalMatch(text); m.hasNext();) {
                const QString target = m.next().captured(1);
                if (target.isEmpty() || target.contains(QStringLiteral("://")) ||
                    target.startsWith(QStringLiteral("mailto:")))
                    continue;
                QVERIFY2(QFileInfo(QFileInfo(page).dir().filePath(target)).exists(),
                         qPrintable(page + QStringLiteral(" links to the missing ") + target));
            }
        }
        QVERIFY(pages >= 20);
        QVERIFY2(m_messages.asked.isEmpty(), "help showed a message box");
    }

    // Cancel while one large file is compressed with LZX: the question comes at once, while the
    // build is still running, and a Yes ends it at its next block. The time from Yes to the end
    // of the build is printed, not asserted.
    void cancelDuringALargeLzxFileIsAnsweredAtOnce() {
        const fs::path demo = openDemoCopy();
        const std::uint32_t seed = qEnvironmentVariableIsSet("CORVANE_SEED")
                                       ? qEnvironmentVariableIntValue("CORVANE_SEED")
                                       : std::random_device{}();
        qInfo("CORVANE_SEED=%u", seed);
        std::mt19937 rng(seed);
        const char* words[] = {"setup ",   "cabinet ", "window ", "frame ",
                               "Corvane ", "\r\n",     "0x1F ",   "install "};
        std::string big;
        while (big.size() < 24u << 20)
            big += words[rng() % 8];
        corvane::test::writeFile(demo.parent_path() / "payload" / "big.dat", big);
        auto& project = m_window->project();
        project.files.push_back(
            {"payload/big.dat", std::to_string(big.size()), "<InstallDir>\\big.dat", "Overwrite", "No"});
        project.settings.compressionType = corvane::model::kMaximalCompression;
        const QString setup =
            QString::fromStdString(project.resolvePath(project.settings.setupFile).string());

        auto* form5 = m_window->buildDialog();
        bool askedWhileBuilding = false;
        QElapsedTimer sinceYes;
        m_messages.answers = {Button::Yes};
        m_messages.onShow = [&](const corvane::test::AskedMessage&) {
            askedWhileBuilding = form5->isBuilding() && form5->statusText() == QStringLiteral("big.dat");
            sinceYes.start();
        };
        connect(form5, &corvane::ui::TForm5::statusShown, this, [form5](const QString& text) {
            if (text == QStringLiteral("big.dat"))
                QTimer::singleShot(200, form5,
                                   [form5] { form5->findChild<QPushButton*>("CancelButton")->click(); });
        });
        trigger("CreateSetupAction");
        qInfo("the build ended %lld ms after Yes", static_cast<long long>(sinceYes.elapsed()));
        disconnect(form5, &corvane::ui::TForm5::statusShown, this, nullptr);

        QCOMPARE(m_messages.asked.size(), 1);
        QCOMPARE(m_messages.asked.last().text,
                 QStringLiteral("Are you sure you want to stop creating setup?"));
        QVERIFY2(askedWhileBuilding, "the question waited for the file to be compressed");
        QVERIFY(!form5->isVisible());
        QVERIFY(!form5->isBuilding());
        QVERIFY(!QFileInfo::exists(setup));
        QTRY_COMPARE(QApplication::activeWindow(), m_window.get());  // F9 and Ctrl+N work at once
    }
};

QTEST_MAIN(EditorSafetyTest)
#include "EditorSafetyTest.moc"
