#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Project.h"
#include "platform/ProfileFile.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"

namespace corvane::project {
namespace {

using model::Project;

// Reads .zan text as a file in a project folder that holds a.txt (3 bytes).
class ProjectReader : public ::testing::Test {
protected:
    ProjectReader() {
        for (const char* name : {"Deutsch.lng", "English.lng"})
            test::writeFile(m_program / "Languages" / name, "");
        test::writeFile(m_work / "a.txt", "abc");
    }
    Project read(std::string_view text) {
        test::writeFile(m_work / "p.zan", text);
        Project p(m_program.folder(), "/home/author/Setup.exe");
        readProjectFile(p, m_work / "p.zan");
        return p;
    }

    test::TempDir m_program;
    test::TempDir m_work;
};

TEST_F(ProjectReader, AcceptsFilesOtherWritersProduce) {
    // LF line ends, sections and keys in other letter case, blanks, quotes, Windows-1252 text.
    const Project p = read(
        "[settings]\n  APPNAME = \"Caf\xE9 Deluxe\" \nappversion='2.0'\nInstallDir=  C:\\Apps  \n"
        "compressiontype=$2\nRootKey=0x0\nLICENSE=7\nReadme=yes\n"
        "[LANGUAGE]\n1=\n[FILES]\n  a.txt?99?<InstallDir>\\a.txt?Skip?No  \n");
    EXPECT_EQ(p.settings.appName, "Caf\xC3\xA9 Deluxe");
    EXPECT_EQ(p.settings.appVersion, "2.0");
    EXPECT_EQ(p.settings.installDir, "C:\\Apps");
    EXPECT_EQ(p.settings.compressionType, 2);
    EXPECT_EQ(p.settings.rootKey, 0);
    EXPECT_TRUE(p.settings.license);
    EXPECT_FALSE(p.settings.readme);  // not an integer
    EXPECT_EQ(p.selectedLanguages(), (std::vector<std::string>{"English"}));
    ASSERT_EQ(p.files.size(), 1u);
    EXPECT_EQ(p.files[0], (model::FileEntry{"a.txt", "3", "<InstallDir>\\a.txt", "Skip", "No"}));
}

TEST_F(ProjectReader, MissingKeysTakeTheReadersDefaultsNotTheNewProjectValues) {
    const Project p = read("[Settings]\r\nAppName=X\r\n");
    EXPECT_EQ(p.settings.installDir, "");
    EXPECT_EQ(p.settings.appVersion, "");
    EXPECT_EQ(p.settings.compressionType, 1);
    EXPECT_EQ(p.settings.rootKey, 2);
    EXPECT_EQ(p.settings.defaultLanguage, -1);
    EXPECT_TRUE(p.registry.empty());
    EXPECT_EQ(p.licenses, (std::vector<model::LanguageDocEntry>{{"(Default)", ""}}));
}

TEST_F(ProjectReader, ChoicesOutsideTheirListsSelectNothing) {
    const Project p = read(
        "[Settings]\r\nRootKey=7\r\nCompressionType=-3\r\nDefaultLanguage=1\r\n[Language]\r\n0=\r\nx=\r\n-1="
        "\r\n9=\r\n");
    EXPECT_EQ(p.settings.rootKey, -1);
    EXPECT_EQ(p.settings.compressionType, -1);
    EXPECT_EQ(p.selectedLanguages(), (std::vector<std::string>{"Deutsch"}));
    EXPECT_EQ(p.settings.defaultLanguage, -1);  // only one language is selected
    EXPECT_NE(projectProfile(p).text().find("\r\nRootKey=-1\r\n"), std::string::npos);
}

TEST_F(ProjectReader, StoredCompanionsWinOverTheirMasters) {
    const Project p = read(
        "[Settings]\r\nUninstall=1\r\nShowPorgrams=0\r\nUninstallPage=1\r\nRestart=1\r\nLaunchFile=1\r\n"
        "LaunchCecked=0\r\nViewReadme=0\r\nViewReadmeCecked=1\r\n");
    EXPECT_TRUE(p.settings.uninstall);
    EXPECT_FALSE(p.settings.showPrograms);
    EXPECT_TRUE(p.settings.uninstallPage);
    EXPECT_TRUE(p.settings.restart);
    EXPECT_TRUE(p.settings.launchFile);
    EXPECT_FALSE(p.settings.launchChecked);
    EXPECT_TRUE(p.settings.viewReadmeChecked);
    EXPECT_TRUE(p.files.empty()) << "the uninstaller row comes only from the Files section";
}

TEST_F(ProjectReader, DocumentRowsGoBackByPositionAndLanguage) {
    const Project p = read(
        "[Language]\r\n1=\r\n[License]\r\n(Default)?lic.rtf\r\nEnglish?en?with?marks.rtf\r\nextra?x.rtf\r\n"
        "[Readme]\r\n(Default)?\r\nenglish?case.rtf\r\n");
    EXPECT_EQ(p.licenses, (std::vector<model::LanguageDocEntry>{{"(Default)", "lic.rtf"},
                                                                {"English", "en?with?marks.rtf"}}));
    EXPECT_EQ(p.readmes, (std::vector<model::LanguageDocEntry>{{"(Default)", ""}, {"English", ""}}));
}

TEST_F(ProjectReader, RowsSplitByTheRowRule) {
    const Project p = read(
        "[Files]\r\ngone.txt?1?<InstallDir>\\gone.txt?Overwrite?Yes\r\n.?0?<InstallDir>\\dir?Overwrite?"
        "Yes\r\n"
        "a.txt?1?<InstallDir>\\a.txt?Overwrite?Yes\r\n"
        "[Shortcuts]\r\na?b\r\n[Registry]\r\nHKEY_USERS?k?n?String?v?w?x?Yes?No\r\n[DLL]\r\nc:\\x?y.dll\r\n");
    ASSERT_EQ(p.files.size(), 3u) << "rows whose source is missing or a folder are kept";
    EXPECT_EQ(p.files[2].uninstall, "Yes");
    ASSERT_EQ(p.shortcuts.size(), 1u);
    EXPECT_EQ(p.shortcuts[0], (model::ShortcutEntry{"a", "", "", "", "", "", "", "", "b"}));
    // Surplus "?" belong to the row's free text, the value data; the flags come from the end.
    EXPECT_EQ(p.registry[0].valueData, "v?w?x");
    EXPECT_EQ(p.registry[0].overwrite, "Yes");
    EXPECT_EQ(p.registry[0].uninstall, "No");
    EXPECT_EQ(p.dlls, (std::vector<model::RegisterFileEntry>{{"c:\\x?y.dll"}}));
}

TEST_F(ProjectReader, ReplacesEverythingOfThePreviousProject) {
    Project p(m_program.folder(), "/home/author/Setup.exe");
    p.setLanguageSelected(0, true);
    p.rebuildDocumentLists();
    p.shortcuts.push_back({});
    p.settings.password = "old";
    test::writeFile(m_work / "p.zan", "[Settings]\r\nAppName=New\r\n");
    readProjectFile(p, m_work / "p.zan");
    EXPECT_TRUE(p.selectedLanguages().empty());
    EXPECT_TRUE(p.shortcuts.empty());
    EXPECT_EQ(p.settings.password, "");
}

// A project whose payload went away (renamed folder, another machine) must survive opening and
// saving: the rows stay as stored, marked, and come back measured once the files return.
TEST_F(ProjectReader, RowsWhoseSourceIsGoneAreKeptAsStoredAndSavedBack) {
    const std::string files =
        "[Files]\r\npayload/app.exe?4096?<InstallDir>\\app.exe?Skip?No=\r\n"
        "a.txt?3?<InstallDir>\\a.txt?Overwrite?Yes=\r\n"
        "payload/sub/b.dll?12?<InstallDir>\\sub\\b.dll?Overwrite?Yes=\r\n";
    Project p = read("[Settings]\r\nAppName=X\r\n" + files);
    ASSERT_EQ(p.files.size(), 3u);
    EXPECT_EQ(p.files[0],
              (model::FileEntry{"payload/app.exe", "4096", "<InstallDir>\\app.exe", "Skip", "No", true}));
    EXPECT_EQ(p.files[1], (model::FileEntry{"a.txt", "3", "<InstallDir>\\a.txt", "Overwrite", "Yes", false}));
    EXPECT_TRUE(p.files[2].sourceMissing);
    EXPECT_EQ(p.totalSize(), 4096 + 3 + 12) << "a missing row counts with its stored size";

    p.projectPath = (m_work / "p.zan").string();
    writeProjectFile(p, m_work / "p.zan");
    EXPECT_NE(test::readFile(m_work / "p.zan").find(files), std::string::npos) << "saved back unchanged";

    test::writeFile(m_work / "payload" / "app.exe", "MZ");
    test::writeFile(m_work / "payload" / "sub" / "b.dll", "1234");
    p = read(test::readFile(m_work / "p.zan"));
    EXPECT_EQ(p.files[0],
              (model::FileEntry{"payload/app.exe", "2", "<InstallDir>\\app.exe", "Skip", "No", false}));
    EXPECT_EQ(p.files[2].size, "4");
}

// The stored uninstaller path is another machine's program folder; the row always takes this
// program folder's Uninstall.exe while the project includes the uninstaller.
TEST_F(ProjectReader, TheUninstallerRowFollowsTheProgramFolder) {
    test::writeFile(m_program / "Uninstall.exe", std::string(52224, 'U'));
    const std::string rows =
        "[Files]\r\na.txt?3?<InstallDir>\\a.txt?Overwrite?Yes\r\n"
        "/home/someone/corvane/bin/Uninstall.exe?54784?<InstallDir>\\Uninstall.exe?Overwrite?Yes\r\n";
    Project p = read("[Settings]\r\nUninstall=1\r\n" + rows);
    ASSERT_EQ(p.files.size(), 2u);
    EXPECT_EQ(p.files[1], (model::FileEntry{m_program.folder() + "Uninstall.exe", "52224",
                                            "<InstallDir>\\Uninstall.exe", "Overwrite", "Yes", false}));
    // Clearing "Include Uninstaller" then removes exactly that row.
    p.setUninstall(false);
    ASSERT_EQ(p.files.size(), 1u);
    EXPECT_EQ(p.files[0].source, "a.txt");

    // Without the option the row is the author's own file and stays as stored.
    p = read("[Settings]\r\nUninstall=0\r\n" + rows);
    EXPECT_EQ(p.files[1].source, "/home/someone/corvane/bin/Uninstall.exe");
    EXPECT_TRUE(p.files[1].sourceMissing);
}

}  // namespace
}  // namespace corvane::project
