#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Project.h"
#include "platform/ProfileFile.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"

namespace corvane::project {
namespace {

using model::Project;

TEST(ProjectFileWriter, NewProjectMatchesTheHandWrittenFile) {
    const Project p("/opt/corvane/", "/home/author/Setup.exe");
    EXPECT_EQ(projectProfile(p).text(), test::readFile(test::testData("new-project.zan")));
}

// A project folder with a language catalogue and real payload files.
class ProjectFiles : public ::testing::Test {
protected:
    ProjectFiles() {
        for (const char* name : {"English.lng", "Deutsch.lng", "Francais.lng"})
            test::writeFile(m_program / "Languages" / name, "");
        test::writeFile(m_work / "payload" / "app.exe", std::string(1000, 'a'));
        test::writeFile(m_work / "payload" / "sub" / "data.bin", std::string(70000, 'b'));
        test::writeFile(m_work / "docs" / "license.rtf", "{\\rtf1 license}");
    }
    Project makeProject() const { return Project(m_program.folder(), "/home/author/Setup.exe"); }
    std::filesystem::path projectFile() const { return m_work / "Demo 1.0.zan"; }

    // A project that uses every list and setting, with relative and absolute paths.
    Project realisticProject() const {
        Project p = makeProject();
        p.settings.appName = "Demo";
        p.settings.appVersion = "1.0";
        p.settings.compressionType = model::kMaximalCompression;
        p.settings.password = "s3cret";
        p.settings.license = p.settings.accept = p.settings.readme = true;
        p.settings.rootKey = 1;
        p.setLanguageSelected(0, true);  // Deutsch
        p.setLanguageSelected(1, true);  // English
        p.rebuildDocumentLists();
        p.settings.defaultLanguage = 1;
        p.licenses[0].file = "docs/license.rtf";
        p.licenses[2].file = (m_work / "docs" / "license.rtf").string();
        p.readmes[1].file = "docs/liesmich.txt";
        p.files = {
            {"payload/app.exe", "1", "<InstallDir>\\app.exe", "Overwrite", "Yes"},
            {(m_work / "payload" / "sub" / "data.bin").string(), "2", "<InstallDir>\\sub\\data.bin", "Skip",
             "No"},
            {"payload/app.exe", "3", "<InstallDir>\\copy.exe", "Overwrite", "Yes"},
        };
        p.setUninstall(true);
        p.settings.uninstallPage = false;
        p.setLaunchFile(true);
        p.settings.launchFileName = "<InstallDir>\\app.exe";
        p.shortcuts = {{"<ProgramGroup>", "Demo", "<InstallDir>\\app.exe", "Runs Demo", "/quiet",
                        "<InstallDir>", "<InstallDir>\\app.exe", "0", "Maximize"},
                       {"<Desktop>", "Demo", "<InstallDir>\\app.exe", "", "", "", "", "", "Normal"}};
        p.registry.push_back({"HKEY_CURRENT_USER", "Software\\Demo", "Runs", "Dword", "0", "No", "Yes"});
        p.ini = {{"<InstallDir>\\demo.ini", "Main", "Version", "<AppVersion>", "Yes", "Yes"}};
        p.associations = {{".demo", "<InstallDir>\\app.exe"}};
        p.dlls = {{"<InstallDir>\\control.ocx"}, {"<SystemDir>\\helper.dll"}};
        return p;
    }

    test::TempDir m_program;
    test::TempDir m_work;
};

TEST_F(ProjectFiles, RoundTripKeepsEveryValueAndMeasuresSizesAgain) {
    const Project saved = realisticProject();
    EXPECT_TRUE(writeProjectFile(saved, projectFile()).empty());

    Project loaded = makeProject();
    readProjectFile(loaded, projectFile());
    EXPECT_EQ(loaded.settings, saved.settings);
    EXPECT_EQ(loaded.selectedLanguages(), (std::vector<std::string>{"Deutsch", "English"}));
    EXPECT_EQ(loaded.licenses, saved.licenses);
    EXPECT_EQ(loaded.readmes, saved.readmes);
    EXPECT_EQ(loaded.shortcuts, saved.shortcuts);
    EXPECT_EQ(loaded.registry, saved.registry);
    EXPECT_EQ(loaded.ini, saved.ini);
    EXPECT_EQ(loaded.associations, saved.associations);
    EXPECT_EQ(loaded.dlls, saved.dlls);

    // Sizes are measured again (relative sources from the project's folder); the uninstaller
    // does not exist in this program folder, so its row is kept as stored and marked missing.
    ASSERT_EQ(loaded.files.size(), 4u);
    EXPECT_EQ(loaded.files[0],
              (model::FileEntry{"payload/app.exe", "1000", "<InstallDir>\\app.exe", "Overwrite", "Yes"}));
    EXPECT_EQ(loaded.files[1].size, "70000");
    EXPECT_EQ(loaded.files[2].installTo, "<InstallDir>\\copy.exe");
    EXPECT_TRUE(loaded.files[3].sourceMissing);
    EXPECT_EQ(loaded.totalSize(), 72000 + 54784);

    // Saving what was loaded gives the same file again, but for the measured sizes.
    Project expected = saved;
    expected.files = loaded.files;
    EXPECT_EQ(projectProfile(loaded).text(), projectProfile(expected).text());
}

TEST_F(ProjectFiles, SettingsInterleaveButTheFileShowsThemFirst) {
    const std::string text = projectProfile(realisticProject()).text();
    const std::vector<std::string> order{"[Settings]",
                                         "VisitSiteCecked=0\r\nLanguageFiles=Deutsch.lng?English.lng\r\n"
                                         "[Language]\r\n0=\r\n1=\r\n[License]",
                                         "[Readme]",
                                         "[Files]",
                                         "[Shortcuts]",
                                         "[Registry]",
                                         "[INI]",
                                         "[Associations]",
                                         "[DLL]\r\n<InstallDir>\\control.ocx=\r\n"};
    std::size_t at = 0;
    for (const std::string& part : order) {
        const std::size_t found = text.find(part, at);
        ASSERT_NE(found, std::string::npos) << part;
        at = found + part.size();
    }
    EXPECT_NE(text.find("[License]\r\n(Default)?docs/license.rtf=\r\nDeutsch?=\r\nEnglish?"),
              std::string::npos);
    EXPECT_NE(
        text.find(
            "<ProgramGroup>?Demo?<InstallDir>\\app.exe?Runs Demo?/quiet?<InstallDir>?<InstallDir>\\app.exe"
            "?0?Maximize=\r\n"),
        std::string::npos);
}

// Positions name languages only in the folder a project was saved against; the names stored
// beside them, or in an older project its document rows, say what the author checked.
TEST_F(ProjectFiles, LanguagesFollowTheirNamesWhenTheLanguagesFolderChanged) {
    writeProjectFile(realisticProject(), projectFile());  // Deutsch and English at positions 0 and 1
    const std::string written = test::readFile(projectFile());
    const std::string names = "LanguageFiles=Deutsch.lng?English.lng\r\n";
    ASSERT_NE(written.find(names), std::string::npos);
    // Another machine also has Chinese: positions 0 and 1 would mean Chinese and Deutsch.
    test::TempDir other;
    for (const char* name : {"Chinese.lng", "Deutsch.lng", "English.lng"})
        test::writeFile(other / "Languages" / name, "");
    const std::vector<model::LanguageDocEntry> licenses{
        {"(Default)", "docs/license.rtf"},
        {"Deutsch", ""},
        {"English", (m_work / "docs" / "license.rtf").string()}};
    for (const bool older : {false, true}) {
        SCOPED_TRACE(older ? "written without names" : "written with names");
        if (older)
            test::writeFile(projectFile(), written.substr(0, written.find(names)) +
                                               written.substr(written.find(names) + names.size()));
        Project elsewhere(other.folder(), "/home/x/Setup.exe");
        const std::optional<LanguageChange> change = readProjectFile(elsewhere, projectFile());
        EXPECT_EQ(elsewhere.selectedLanguages(), (std::vector<std::string>{"Deutsch", "English"}));
        EXPECT_EQ(elsewhere.defaultLanguageName(), "English");
        EXPECT_EQ(elsewhere.licenses, licenses);
        EXPECT_EQ(elsewhere.readmes[1].file, "docs/liesmich.txt");
        ASSERT_TRUE(change.has_value());
        EXPECT_EQ(change->byPosition, (std::vector<std::string>{"Chinese", "Deutsch"}));
        EXPECT_EQ(change->refusesBuild(), older) << "an older project's intent is a guess";
        EXPECT_NE(change->describe().find("Chinese, Deutsch"), std::string::npos) << change->describe();
        // Saved again, its positions and names agree, and it reads back without a word.
        writeProjectFile(elsewhere, m_work / "again.zan");
        Project again(other.folder(), "/home/x/Setup.exe");
        EXPECT_FALSE(readProjectFile(again, m_work / "again.zan").has_value());
        EXPECT_EQ(again.selectedLanguages(), elsewhere.selectedLanguages());
    }

    // A named language that is gone is unchecked and named; the default cannot follow it.
    test::writeFile(projectFile(), written);
    test::TempDir fewer;
    for (const char* name : {"Deutsch.lng", "Francais.lng"})
        test::writeFile(fewer / "Languages" / name, "");
    Project without(fewer.folder(), "/home/x/Setup.exe");
    const std::optional<LanguageChange> change = readProjectFile(without, projectFile());
    EXPECT_EQ(without.selectedLanguages(), (std::vector<std::string>{"Deutsch"}));
    EXPECT_EQ(without.settings.defaultLanguage, -1);
    ASSERT_TRUE(change.has_value());
    EXPECT_EQ(change->missing, (std::vector<std::string>{"English.lng"}));
    EXPECT_TRUE(change->refusesBuild());

    // An older project whose folder lost files points past its end, even without document rows.
    test::writeFile(projectFile(), "[Settings]\r\nAppName=x\r\n[Language]\r\n1=\r\n4=\r\n");
    Project shrunk(fewer.folder(), "/home/x/Setup.exe");
    const std::optional<LanguageChange> past = readProjectFile(shrunk, projectFile());
    ASSERT_TRUE(past.has_value());
    EXPECT_EQ(past->beyond, (std::vector<std::size_t>{4}));
    EXPECT_TRUE(past->refusesBuild());
}

TEST_F(ProjectFiles, RowsAtTheFormatsLimitsAreReportedAndTheRestSurvives) {
    Project p = makeProject();
    p.registry.clear();
    p.settings.appName = " padded ";
    p.settings.companyName = "Line\r\nbreak";
    p.associations = {{".a?b", "x"}, {".eq", "a=b"}, {".ok", "fine"}, {".OK", "FINE"}, {"[x]", "y"}};
    p.dlls = {{" lead"}, {"ok?fine"}, {""}};
    const std::vector<FormatLimitProblem> problems = writeProjectFile(p, projectFile());

    std::vector<std::string> described;
    for (const FormatLimitProblem& problem : problems)
        described.push_back(problem.describe());
    const std::vector<std::string> expected{
        "Settings AppName: blanks at its start or end are dropped",
        "Settings CompanyName: it holds a line break, which is stored as a blank",
        "Associations row 1 (.a?b?x): a field holds \"?\", so the fields after it shift",
        "Associations row 4 (.OK?FINE): it equals row 3 up to letter case, so only one of them is stored",
        "Associations row 5 ([x]?y): it starts with \"[\" and would read as a section",
        "DLL row 1 ( lead): blanks at its start or end are dropped",
        "DLL row 3 (): it is empty, so it is not read back",
    };
    EXPECT_EQ(described, expected);

    // The file is still written, and a line break cannot break its structure.
    Project back = makeProject();
    readProjectFile(back, projectFile());
    EXPECT_EQ(back.settings.companyName, "Line break");
    EXPECT_EQ(back.associations.size(), 3u);  // "[x]?y=" opened a section of its own
    EXPECT_EQ(back.dlls, (std::vector<model::RegisterFileEntry>{{"lead"}, {"ok?fine"}}));
}

TEST_F(ProjectFiles, FailedSaveReportsThePathAndKeepsTheOldFile) {
    const std::filesystem::path blocked = m_work / "blocked";
    std::filesystem::create_directories(blocked / "Demo.zan");  // a folder where the file should go
    try {
        writeProjectFile(makeProject(), blocked / "Demo.zan");
        FAIL() << "saving over a folder should fail";
    } catch (const platform::ProfileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + (blocked / "Demo.zan").string());
    }
    EXPECT_TRUE(std::filesystem::is_directory(blocked / "Demo.zan"));
}

}  // namespace
}  // namespace corvane::project

namespace corvane::project {
namespace {

TEST(DemoProject, ReadsAndWritesBackByteForByte) {
    test::TempDir program;
    for (const char* name : {"Deutsch.lng", "English.lng"})
        test::writeFile(program / "Languages" / name, "");
    const std::filesystem::path demo = test::testData("../../examples/demo/Demo.zan");
    model::Project p(program.folder(), "/home/author/Setup.exe");
    readProjectFile(p, demo);
    EXPECT_EQ(p.files.size(), 4u);
    EXPECT_EQ(projectProfile(p).text(), test::readFile(demo));
    EXPECT_TRUE(findFormatLimitProblems(p).empty());
}

}  // namespace
}  // namespace corvane::project
