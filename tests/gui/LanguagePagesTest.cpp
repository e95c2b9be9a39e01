// The "Language", "License Agreement" and "Readme" tabs driven through their widgets, and the
// desktop lookup behind "Edit". Each test starts from a fresh program folder whose languages are
// Deutsch.lng, English.US.lng (listed as English) and français.lng.

#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "EditorFixture.h"
#include "builder/SetupBuilder.h"
#include "model/Project.h"
#include "ui/DesktopEditor.h"
#include "ui/MainWindow.h"
#include "ui/QtServices.h"

using Icon = corvane::ui::MessageService::Icon;
namespace fs = std::filesystem;

class LanguagePagesTest : public QObject, corvane::test::EditorFixture {
    Q_OBJECT

private:
    corvane::model::Project& project() { return m_window->project(); }

    QStringList listTexts(const char* name, int column) {
        QStringList texts;
        auto* list = widget<QTreeWidget>(name);
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts << list->topLevelItem(i)->text(column);
        return texts;
    }
    QStringList choices() {
        QStringList texts;
        auto* combo = widget<QComboBox>("ComboBox2");
        for (int i = 0; i < combo->count(); ++i)
            texts << combo->itemText(i);
        return texts;
    }
    void setChecked(const QString& language, bool on) {
        const auto items = widget<QListWidget>("CheckListBox1")->findItems(language, Qt::MatchExactly);
        QVERIFY2(items.size() == 1, qPrintable(language));
        items.front()->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    void selectRow(const char* list, int row) {
        auto* tree = widget<QTreeWidget>(list);
        tree->setCurrentItem(tree->topLevelItem(row));
    }
    // Chooses file for a row through "Specify...", as the author would.
    void specify(const char* list, int row, const QString& file) {
        selectRow(list, row);
        m_files.answers.push_back(file);
        widget<QPushButton>((QByteArray(list) + "Specify").constData())->click();
    }

private slots:
    void init() {
        freshFolders();
        for (const char* name : {"English.US.lng", "français.lng", "Deutsch.lng"})
            corvane::test::writeFile(*m_program / "Languages" / name,
                                     std::string("[Language]\r\nName=") + name);
        corvane::test::writeFile(*m_program / "Setup.exe", "MZ stand-in stub");
        startEditor();
        m_window->showPage(2);
    }

    void cleanup() { stopEditor(); }

    void newProjectListsTheLanguagesAndNoDocumentRows() {
        auto* languages = widget<QListWidget>("CheckListBox1");
        QStringList names;
        for (int i = 0; i < languages->count(); ++i) {
            names << languages->item(i)->text();
            QCOMPARE(languages->item(i)->checkState(), Qt::Unchecked);
        }
        QCOMPARE(names, (QStringList{"Deutsch", "English", QStringLiteral("français")}));
        QVERIFY(choices().isEmpty());
        QCOMPARE(widget<QTreeWidget>("ListLicense")->topLevelItemCount(), 0);
        QCOMPARE(widget<QTreeWidget>("ListReadme")->topLevelItemCount(), 0);
        QVERIFY(!project().isModified());
    }

    void checkingLanguagesRebuildsTheListsAndForgetsTheDocuments() {
        widget<QCheckBox>("LicenseCheck")->click();
        setChecked(QStringLiteral("English"), true);
        QVERIFY(project().isModified());
        QCOMPARE(listTexts("ListLicense", 0), (QStringList{"(Default)", "English"}));
        QCOMPARE(widget<QComboBox>("ComboBox2")->currentText(), QStringLiteral("English"));

        specify("ListLicense", 0, work("license.txt"));
        QCOMPARE(listTexts("ListLicense", 1).value(0), work("license.txt"));
        project().clearModified();
        setChecked(QStringLiteral("Deutsch"), true);
        QVERIFY(project().isModified());
        for (const char* list : {"ListLicense", "ListReadme"}) {
            QCOMPARE(listTexts(list, 0), (QStringList{"(Default)", "Deutsch", "English"}));
            QCOMPARE(listTexts(list, 1), (QStringList{"", "", ""}));
        }
        QCOMPARE(project().licenses[0].file, std::string());
        QCOMPARE(choices(), (QStringList{"Deutsch", "English"}));
        QCOMPARE(widget<QComboBox>("ComboBox2")->currentText(), QStringLiteral("Deutsch"));
        QCOMPARE(project().settings.defaultLanguage, 0);

        setChecked(QStringLiteral("Deutsch"), false);
        setChecked(QStringLiteral("English"), false);
        for (const char* list : {"ListLicense", "ListReadme"})
            QCOMPARE(listTexts(list, 0), (QStringList{"(Default)"}));
        QVERIFY(choices().isEmpty());
        QCOMPARE(widget<QComboBox>("ComboBox2")->currentIndex(), -1);
        QCOMPARE(project().settings.defaultLanguage, -1);
    }

    void everyTriggerRaisesTheModifiedFlag() {
        setChecked(QStringLiteral("Deutsch"), true);
        setChecked(QStringLiteral("English"), true);
        const std::pair<const char*, std::function<void()>> triggers[] = {
            {"default language", [&] { widget<QComboBox>("ComboBox2")->setCurrentIndex(1); }},
            {"license box", [&] { widget<QCheckBox>("LicenseCheck")->click(); }},
            {"accept box", [&] { widget<QCheckBox>("AcceptCheck")->click(); }},
            {"readme box", [&] { widget<QCheckBox>("ReadmeCheck")->click(); }},
            {"license row selected", [&] { selectRow("ListLicense", 2); }},
            {"readme row selected", [&] { selectRow("ListReadme", 1); }},
            {"readme file chosen", [&] { specify("ListReadme", 1, work("liesmich.txt")); }},
        };
        for (const auto& [what, trigger] : triggers) {
            project().clearModified();
            trigger();
            QVERIFY2(project().isModified(), what);
        }
        QCOMPARE(project().defaultLanguageName(), std::string("English"));
        QCOMPARE(project().readmes[1].file, work("liesmich.txt").toStdString());
    }

    void acceptKeepsItsStateWhileTheLicenseDialogIsOff() {
        auto* license = widget<QCheckBox>("LicenseCheck");
        auto* accept = widget<QCheckBox>("AcceptCheck");
        QVERIFY(!accept->isEnabled());
        license->click();
        accept->click();
        license->click();
        QVERIFY(!accept->isEnabled());
        QVERIFY(!widget<QPushButton>("ListLicenseEdit")->isEnabled());
        QVERIFY(accept->isChecked());
        license->click();
        QVERIFY(accept->isEnabled());
        QVERIFY(accept->isChecked());
        QVERIFY(project().settings.accept);
    }

    void specifyAndEditAskForARowAndAFile() {
        setChecked(QStringLiteral("English"), true);
        widget<QCheckBox>("LicenseCheck")->click();
        widget<QCheckBox>("ReadmeCheck")->click();
        for (const char* button :
             {"ListLicenseSpecify", "ListLicenseEdit", "ListReadmeSpecify", "ListReadmeEdit"}) {
            widget<QPushButton>(button)->click();
            QCOMPARE(m_messages.asked.last().text, QStringLiteral("Please select language."));
            QCOMPARE(m_messages.asked.last().icon, Icon::Warning);
            QCOMPARE(m_messages.asked.last().caption, QStringLiteral("Corvane"));
        }
        QCOMPARE(m_messages.asked.size(), 4);

        selectRow("ListLicense", 1);
        widget<QPushButton>("ListLicenseEdit")->click();
        QCOMPARE(m_messages.asked.last().text,
                 QStringLiteral("Please specify license file for current language."));
        selectRow("ListReadme", 0);
        widget<QPushButton>("ListReadmeEdit")->click();
        QCOMPARE(m_messages.asked.last().text,
                 QStringLiteral("Please specify readme file for current language."));
        QVERIFY(m_shell.edited.isEmpty());

        // A cancelled chooser changes nothing; a double click opens it as "Specify..." does.
        specify("ListLicense", 1, QString());
        QCOMPARE(project().licenses[1].file, std::string());
        QCOMPARE(m_files.filters.last(),
                 QStringLiteral("Text Files, RTF Files (*.txt *.rtf);;Any Files (*)"));
        QCOMPARE(m_files.initialPaths.last(), QDir::homePath());
        auto* list = widget<QTreeWidget>("ListLicense");
        m_files.answers.push_back(work("license.rtf"));
        emit list->itemDoubleClicked(list->topLevelItem(1), 0);
        QCOMPARE(project().licenses[1].file, work("license.rtf").toStdString());

        // A document stored relative to the project opens the chooser in the project's folder.
        project().projectPath = work("Languages.zan").toStdString();
        project().licenses[1].file = "docs/license.rtf";
        specify("ListLicense", 1, QString());
        QCOMPARE(m_files.initialPaths.last(), work("docs/license.rtf"));
        QCOMPARE(project().licenses[1].file, std::string("docs/license.rtf"));
        project().licenses[1].file = work("license.rtf").toStdString();

        project().clearModified();
        widget<QPushButton>("ListLicenseEdit")->click();
        QCOMPARE(m_shell.edited, QStringList{work("license.rtf")});
        QVERIFY(!m_window->isMinimized());
        QVERIFY(m_window->isEnabled());
        QVERIFY(!project().isModified());
    }

    void savedDocumentsReopenAndBuildAsLanguageMembers() {
        for (const char* name : {"default.txt", "de.rtf", "en.txt", "liesmich.txt"})
            corvane::test::writeFile(*m_work / name, std::string("text of ") + name);
        setChecked(QStringLiteral("Deutsch"), true);
        setChecked(QStringLiteral("English"), true);
        widget<QComboBox>("ComboBox2")->setCurrentIndex(1);
        widget<QCheckBox>("LicenseCheck")->click();
        widget<QCheckBox>("ReadmeCheck")->click();
        specify("ListLicense", 0, work("default.txt"));
        specify("ListLicense", 1, work("de.rtf"));
        specify("ListLicense", 2, work("en.txt"));
        specify("ListReadme", 1, work("liesmich.txt"));
        m_files.answers.push_back(work("Languages.zan"));
        QVERIFY(m_window->saveAs());

        m_window->newProject();
        QCOMPARE(widget<QTreeWidget>("ListLicense")->topLevelItemCount(), 0);
        m_window->openFile(work("Languages.zan"));
        QCOMPARE(listTexts("ListLicense", 1),
                 (QStringList{work("default.txt"), work("de.rtf"), work("en.txt")}));
        QCOMPARE(listTexts("ListReadme", 1), (QStringList{"", work("liesmich.txt"), ""}));
        QCOMPARE(widget<QComboBox>("ComboBox2")->currentText(), QStringLiteral("English"));
        QVERIFY(widget<QListWidget>("CheckListBox1")->item(1)->checkState() == Qt::Checked);
        QVERIFY(!project().isModified());

        project().files = {
            {work("default.txt").toStdString(), "", "<InstallDir>\\a.txt", "Overwrite", "Yes"}};
        const fs::path setup = *m_work / "out.exe";
        corvane::builder::SetupBuilder builder(project(), m_program->folder(), m_work->folder());
        builder.setSetupFile(setup);
        const corvane::builder::BuildResult result = builder.run({});
        QVERIFY2(result.outcome == corvane::builder::BuildResult::Outcome::Succeeded, result.message.c_str());

        // The description cabinet sits before the ten-digit trailer that gives its length.
        const std::string bytes = corvane::test::readFile(setup);
        const std::size_t length = std::stoul(bytes.substr(bytes.size() - 10));
        const fs::path members = *m_work / "members";
        corvane::test::writeFile(members / "zansetup.cab", bytes.substr(bytes.size() - 10 - length, length));
        const std::string extract =
            "cabextract -q -d '" + members.string() + "' '" + (members / "zansetup.cab").string() + "'";
        QCOMPARE(std::system(extract.c_str()), 0);
        const std::pair<const char*, std::string> expected[] = {
            {"L(Default).rtf", "text of default.txt"},
            {"LDeutsch.rtf", "text of de.rtf"},
            {"LEnglish.rtf", "text of en.txt"},
            {"RDeutsch.rtf", "text of liesmich.txt"},
            {"English.lng", "[Language]\r\nName=English.US.lng"},
            {"Deutsch.lng", "[Language]\r\nName=Deutsch.lng"}};
        for (const auto& [member, text] : expected)
            QCOMPARE(corvane::test::readFile(members / member), text);
        for (const char* absent : {"R(Default).rtf", "REnglish.rtf", "English.US.lng", "français.lng"})
            QVERIFY2(!fs::exists(members / absent), absent);
    }

    // A language file added to the program folder since the save: the project keeps its own
    // languages, default and documents, and the author is told once what changed.
    void aLanguageAddedSinceTheSaveChangesNothingAndIsToldOnce() {
        corvane::test::writeFile(*m_work / "en.txt", "English license");
        setChecked(QStringLiteral("Deutsch"), true);
        setChecked(QStringLiteral("English"), true);
        widget<QComboBox>("ComboBox2")->setCurrentIndex(1);
        widget<QCheckBox>("LicenseCheck")->click();
        specify("ListLicense", 2, work("en.txt"));
        m_files.answers.push_back(work("Languages.zan"));
        QVERIFY(m_window->saveAs());
        corvane::test::writeFile(*m_program / "Languages" / "Catal\xC3\xA0.lng", "[Language]\r\n");

        m_window->newProject();
        m_messages.asked.clear();
        m_window->openFile(work("Languages.zan"));
        QCOMPARE(m_messages.asked.size(), 1);
        QCOMPARE(m_messages.asked[0].icon, Icon::Warning);
        QVERIFY2(m_messages.asked[0].text.contains(QStringLiteral("Checked now: Deutsch, English")) &&
                     m_messages.asked[0].text.contains(QStringLiteral("would select Catal\u00e0, Deutsch")),
                 qPrintable(m_messages.asked[0].text));
        auto* languages = widget<QListWidget>("CheckListBox1");
        QCOMPARE(languages->item(0)->text(), QStringLiteral("Catal\u00e0"));
        QCOMPARE(languages->item(0)->checkState(), Qt::Unchecked);
        QCOMPARE(languages->item(1)->checkState(), Qt::Checked);
        QCOMPARE(languages->item(2)->checkState(), Qt::Checked);
        QCOMPARE(widget<QComboBox>("ComboBox2")->currentText(), QStringLiteral("English"));
        QCOMPARE(listTexts("ListLicense", 1), (QStringList{"", "", work("en.txt")}));
        QVERIFY(project().isModified());

        // Saved, the positions agree with the folder again: no second word.
        QVERIFY(m_window->save());
        m_window->openFile(work("Languages.zan"));
        QCOMPARE(m_messages.asked.size(), 1);
        QVERIFY(!project().isModified());
    }

    void execLinesBecomeCommandLines_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QStringList>("command");
        const QString doc = QStringLiteral("/home/a b/license.rtf");
        QTest::newRow("file code") << "gedit %U" << QStringList{"gedit", doc};
        QTest::newRow("no file code") << "mousepad" << QStringList{"mousepad", doc};
        QTest::newRow("quoted program, other codes dropped")
            << "\"/opt/My Editor/edit\" --name %c %i %f" << QStringList{"/opt/My Editor/edit", "--name", doc};
        QTest::newRow("code inside an argument, percent sign")
            << "editor --file=%f --ratio=100%%" << QStringList{"editor", "--file=" + doc, "--ratio=100%"};
        QTest::newRow("escapes") << "sh -c \"echo \\\"\\$1\\\"\" %F"
                                 << QStringList{"sh", "-c", "echo \"$1\"", doc};
        QTest::newRow("nothing to run") << "  " << QStringList{};
    }

    void execLinesBecomeCommandLines() {
        QFETCH(QString, exec);
        QFETCH(QStringList, command);
        QCOMPARE(corvane::ui::desktopExecCommand(exec, QStringLiteral("/home/a b/license.rtf")), command);
    }

    // The real shell service against a desktop made up for the test: an xdg-mime that knows one
    // editor for plain text and nothing else, and that editor's desktop entry.
    void editStartsTheAssociatedProgramOrNothing() {
        const corvane::test::TempDir desktop;
        const fs::path log = desktop / "edited.txt";
        const fs::path editor = desktop / "bin" / "fake-editor";
        corvane::test::writeFile(editor, "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + log.string() + "'\n");
        corvane::test::writeFile(
            desktop / "bin" / "xdg-mime",
            "#!/bin/sh\n[ \"$3\" = text/plain ] && echo corvane-fake-editor.desktop\nexit 0\n");
        for (const fs::path& script : {editor, desktop / "bin" / "xdg-mime"})
            fs::permissions(script, fs::perms::owner_all, fs::perm_options::add);
        corvane::test::writeFile(desktop / "data" / "applications" / "corvane-fake-editor.desktop",
                                 "[Desktop Entry]\nType=Application\nName=Fake\nExec=\"" + editor.string() +
                                     "\" --edit %f\n[Desktop Action Other]\nExec=wrong\n");
        const QByteArray oldPath = qgetenv("PATH");
        const std::optional<QByteArray> oldData = qEnvironmentVariableIsSet("XDG_DATA_HOME")
                                                      ? std::optional(qgetenv("XDG_DATA_HOME"))
                                                      : std::nullopt;
        qputenv("PATH", QByteArray::fromStdString((desktop / "bin").string()) + ":" + oldPath);
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((desktop / "data").string()));

        const QString text = QString::fromStdString((desktop / "license.txt").string());
        corvane::test::writeFile(text.toStdString(), "text");
        const std::optional<QStringList> command = corvane::ui::associatedEditor(text);
        QVERIFY(command.has_value());
        QCOMPARE(*command, (QStringList{QString::fromStdString(editor.string()), "--edit", text}));
        const std::optional<QStringList> none = corvane::ui::associatedEditor(text + QStringLiteral(".rtf"));
        QVERIFY(none.has_value() && none->isEmpty());

        corvane::ui::QtShellService shell;
        shell.edit(text);
        QTRY_COMPARE(QString::fromStdString(corvane::test::readFile(log)), "--edit\n" + text + "\n");

        qputenv("PATH", oldPath);
        if (oldData)
            qputenv("XDG_DATA_HOME", *oldData);
        else
            qunsetenv("XDG_DATA_HOME");
    }
};

QTEST_MAIN(LanguagePagesTest)
#include "LanguagePagesTest.moc"
