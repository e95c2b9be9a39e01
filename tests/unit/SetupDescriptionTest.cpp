#include "builder/SetupDescription.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Project.h"

namespace corvane::builder {
namespace {

using model::Project;

// A fixed salt, so the description can be compared with one written by hand; the expected key
// was computed by Python's hashlib.pbkdf2_hmac("sha256", b"pw", salt, 100000).
constexpr PasswordSalt kSalt{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

class SetupDescription : public ::testing::Test {
protected:
    SetupDescription() {
        for (const char* name : {"Deutsch.lng", "English.lng"})
            test::writeFile(m_program / "Languages" / name, "");
    }
    Project makeProject() const { return Project(m_program.folder(), "/home/author/Setup.exe"); }

    // Runs the writer the way the build does, one cabinet length per Files row.
    std::string describe(const Project& p, const std::vector<std::uint64_t>& cabinetLengths) {
        SetupDescriptionWriter writer(m_work / "zansetup.ini");
        writer.setSaltSource([] { return kSalt; });
        writer.writeSettings(p, 54272);
        for (std::size_t i = 0; i < p.files.size(); ++i)
            writer.writeFileLine(p.files[i], cabinetLengths.at(i));
        writer.writeOtherSections(p);
        writer.close();
        return test::readFile(m_work / "zansetup.ini");
    }

    test::TempDir m_program;
    test::TempDir m_work;
};

TEST_F(SetupDescription, MatchesTheHandWrittenDescription) {
    Project p = makeProject();
    p.settings.appName = "Demo";
    p.settings.protect = true;
    p.settings.password = "pw";
    p.setLanguageSelected(0, true);
    p.setLanguageSelected(1, true);
    p.rebuildDocumentLists();
    p.settings.defaultLanguage = 1;
    p.settings.rootKey = -1;
    p.files = {{"/src/app.exe", "5000", "<InstallDir>\\app.exe", "Overwrite", "Yes"},
               {"/src/readme.txt", "100", "<InstallDir>\\readme.txt", "Skip", "No"}};
    p.shortcuts = {{"<ProgramGroup>", "Demo", "<InstallDir>\\app.exe", "Runs it", "", "", "", "0", "Normal"}};
    p.ini = {{"<InstallDir>\\a.ini", "S", "K", "<AppVersion>", "Yes", "No"}};
    p.associations = {{".demo", "<InstallDir>\\app.exe"}};
    p.dlls = {{"<SystemDir>\\x.ocx"}};

    EXPECT_EQ(
        describe(p, {2345, 99}),
        test::crlf({
            "[Settings]",
            "AppName=Demo",
            "AppVersion=1.0",
            "CompanyName=My Company",
            "WebSite=https://www.example.com/",
            "Support=mailto:support@example.com",
            "Silent=0",
            "DefaultLanguage=English",
            "Protect=1",
            "Password=pbkdf2-sha256:100000:000102030405060708090a0b0c0d0e0f:"
            "fbe79903d759b826e1d54bd9e4f8beb2de5a87ac86037c76328ad485fd894671",
            "License=0",
            "Accept=0",
            "Readme=0",
            "InstallDir=<ProgramFiles>\\<AppName>",
            "GetFromRegistry=0",
            "RootKey=-1",
            "Subkey=Software\\<CompanyName>\\<AppName>",
            "Value=Directory",
            "Uninstall=0",
            "ShowPorgrams=0",
            "UninstallPage=0",
            "UninstallAddress=https://www.example.com/uninstall.html",
            "ProgramGroup=<AppName>",
            "AllUsersMenu=0",
            "Restart=0",
            "LaunchFile=0",
            "LaunchFileName=",
            "LaunchCecked=0",
            "ViewReadme=0",
            "ViewReadmeFileName=",
            "ViewReadmeCecked=0",
            "VisitSite=0",
            "VisitSiteAddress=https://www.example.com/product.html",
            "VisitSiteCecked=0",
            "FileSize=54272",
            "[Files]",
            "<InstallDir>\\app.exe?2345?Overwrite?Yes=",
            "<InstallDir>\\readme.txt?99?Skip?No=",
            "[Shortcuts]",
            "<ProgramGroup>\\Demo?<InstallDir>\\app.exe?Runs it????0?Normal=",
            "[Registry]",
            "HKEY_LOCAL_MACHINE?Software\\<CompanyName>\\<AppName>?Directory?String?<InstallDir>?Yes?No=",
            "HKEY_LOCAL_MACHINE?Software\\<CompanyName>\\<AppName>?Version?String?<AppVersion>?Yes?No=",
            "[INI]",
            "<InstallDir>\\a.ini?S?K?<AppVersion>?Yes?No=",
            "[Associations]",
            ".demo?<InstallDir>\\app.exe=",
            "[DLL]",
            "<SystemDir>\\x.ocx=",
        }));
}

TEST_F(SetupDescription, ThePasswordNeverTravelsInPlainText) {
    Project p = makeProject();
    p.settings.password = "Sesam öffne";
    p.settings.protect = false;
    std::string text = describe(p, {});
    EXPECT_NE(text.find("\r\nPassword=\r\n"), std::string::npos) << "no protection, no password at all";
    EXPECT_EQ(text.find("Sesam"), std::string::npos);

    p.settings.protect = true;
    text = describe(p, {});
    EXPECT_EQ(text.find("Sesam"), std::string::npos);
    EXPECT_NE(text.find("Password=pbkdf2-sha256:100000:000102030405060708090a0b0c0d0e0f:"),
              std::string::npos);
    // Two builds with the system's random salt give different hashes of the same password.
    EXPECT_NE(passwordHash("pw", randomPasswordSalt(), 1), passwordHash("pw", randomPasswordSalt(), 1));
}

TEST_F(SetupDescription, CoincidingFilesLinesStayDistinctOtherSectionsCollapse) {
    Project p = makeProject();
    p.registry.clear();
    const model::FileEntry row{"/src/a", "1", "<InstallDir>\\a.txt", "Overwrite", "Yes"};
    model::FileEntry shouting = row;
    shouting.installTo = "<INSTALLDIR>\\A.TXT";
    p.files = {row, row, shouting, row};
    const model::ShortcutEntry shortcut{"<Desktop>", "A",     "<InstallDir>\\a.txt", "", "", "", "",
                                        "",          "Normal"};
    p.shortcuts = {shortcut, shortcut};

    const std::string text = describe(p, {10, 10, 10, 10});
    const std::string files = text.substr(text.find("[Files]"));
    EXPECT_EQ(
        files,
        test::crlf({"[Files]", "<InstallDir>\\a.txt?10?Overwrite?Yes=",
                    "<InstallDir>\\a.txt?10?Overwrite?Yes?2=", "<INSTALLDIR>\\A.TXT?10?Overwrite?Yes?3=",
                    "<InstallDir>\\a.txt?10?Overwrite?Yes?4=", "[Shortcuts]",
                    "<Desktop>\\A?<InstallDir>\\a.txt??????Normal="}));
}

// Thousands of copies of one row (a payload of identical stand-in files) each get a line of
// their own, numbered on without gaps.
TEST_F(SetupDescription, ManyIdenticalFilesRowsAreNumberedInTurn) {
    Project p = makeProject();
    p.registry.clear();
    p.files.assign(5000, {"/src/a", "1", "<InstallDir>\\a.txt", "Overwrite", "Yes"});
    const std::string text = describe(p, std::vector<std::uint64_t>(5000, 10));
    EXPECT_NE(
        text.find("<InstallDir>\\a.txt?10?Overwrite?Yes=\r\n<InstallDir>\\a.txt?10?Overwrite?Yes?2=\r\n"),
        std::string::npos);
    EXPECT_NE(text.find("<InstallDir>\\a.txt?10?Overwrite?Yes?5000=\r\n"), std::string::npos);
    EXPECT_EQ(text.find("?5001="), std::string::npos);
}

TEST_F(SetupDescription, WithoutListsOnlySettingsAndFilesAppear) {
    Project p = makeProject();
    p.registry.clear();
    p.files = {{"/src/a", "1", "<InstallDir>\\a", "Overwrite", "Yes"}};
    const std::string text = describe(p, {1});
    EXPECT_NE(text.find("DefaultLanguage=\r\n"), std::string::npos);
    EXPECT_EQ(text.find("[Shortcuts]"), std::string::npos);
    EXPECT_EQ(text.find("[Registry]"), std::string::npos);
    EXPECT_EQ(text.substr(text.find("FileSize")),
              "FileSize=54272\r\n[Files]\r\n<InstallDir>\\a?1?Overwrite?Yes=\r\n");
}

TEST_F(SetupDescription, RemovesAStaleFileAndReportsWhatCannotBeWritten) {
    test::writeFile(m_work / "zansetup.ini", "[Stale]\r\nold=1\r\n");
    {
        SetupDescriptionWriter writer(m_work / "zansetup.ini");
        EXPECT_FALSE(std::filesystem::exists(m_work / "zansetup.ini"));
    }
    const auto nowhere = m_work / "missing" / "zansetup.ini";
    SetupDescriptionWriter writer(nowhere);
    writer.writeSettings(makeProject(), 1);
    try {
        writer.close();
        FAIL() << "writing into a missing folder should fail";
    } catch (const platform::ProfileWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + nowhere.string());
    }
}

}  // namespace
}  // namespace corvane::builder
