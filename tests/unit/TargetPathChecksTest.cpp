#include "builder/TargetPathChecks.h"

#include <functional>

#include <gtest/gtest.h>

#include "CheckableProgram.h"
#include "TargetPathCases.h"
#include "builder/PreBuildChecks.h"
#include "model/Project.h"

namespace corvane::builder {
namespace {

class TargetPathChecks : public ::testing::Test {
protected:
    // The passing project with a row in every list that holds an installed path.
    model::Project passingProject() const {
        model::Project p = m_program.passingProject();
        p.settings.appName = "My: App";
        p.shortcuts.push_back({"<ProgramGroup>", "A", "<InstallDir>\\a.exe", "", "", "", "", "0", "Normal"});
        p.ini.push_back({"<WindowsDir>\\a.ini", "S", "K", "V", "Yes", "Yes"});
        p.associations.push_back({"abc", "<InstallDir>\\a.exe"});
        p.dlls.push_back({"<SystemDir>\\a.ocx"});
        return p;
    }
    model::FileEntry row(const std::string& destination) const { return m_program.fileRow(destination); }

    test::CheckableProgram m_program;
};

// The same table the runtime's logic tests hold Setup.exe to: the build refuses exactly what
// the setup would refuse.
TEST_F(TargetPathChecks, FilesDestinationsAreRefusedExactlyAsTheSetupRefusesThem) {
    ASSERT_FALSE(firstFailedCheck(passingProject()).has_value());
    for (const test::TargetPathCase& c : test::kTargetPathCases) {
        model::Project p = passingProject();
        p.files.push_back(row(c.destination));
        const std::optional<CheckFailure> failure = firstFailedCheck(p);
        if (c.installs) {
            EXPECT_FALSE(failure.has_value()) << c.destination << ": " << failure->message;
            continue;
        }
        ASSERT_TRUE(failure.has_value()) << c.destination;
        EXPECT_EQ(failure->field, CheckedField::Files) << c.destination;
        EXPECT_EQ(failure->row, std::optional<std::size_t>(1)) << c.destination;
        EXPECT_EQ(failure->message.rfind("Files row 2: the destination ", 0), 0u) << failure->message;
    }
}

TEST_F(TargetPathChecks, MessagesNameTheRowItsTextAndTheProblem) {
    const std::pair<const char*, const char*> cases[] = {
        {"..\\..\\evil.dll",
         "Files row 2: the destination \"..\\..\\evil.dll\" is not a full path; begin it with a path "
         "variable "
         "such as <InstallDir>, or a drive."},
        {"<InstallDir>\\..\\..\\Windows\\system32\\x.dll",
         "Files row 2: the destination \"<InstallDir>\\..\\..\\Windows\\system32\\x.dll\" has a \".\" or "
         "\"..\" "
         "part, which would climb out of its folder."},
        {"<AppDir>\\x.dll",
         "Files row 2: the destination \"<AppDir>\\x.dll\" uses a path variable the setup does not know: "
         "<AppDir>."},
        {"<InstallDir>\\a\tb.txt",
         "Files row 2: the destination \"<InstallDir>\\a\\tb.txt\" holds a character Windows refuses in "
         "paths: "
         "a tab."},
        {"<InstallDir>\\a:stream",
         "Files row 2: the destination \"<InstallDir>\\a:stream\" holds a character Windows refuses in "
         "paths: "
         "\":\"."},
        {"<InstallDir>\\CON",
         "Files row 2: the destination \"<InstallDir>\\CON\" has a part that Windows reserves for a device: "
         "\"CON\"."},
        {"", "Files row 2: the destination is empty; it must end in the file's name."},
        {"<InstallDir>\\Docs\\",
         "Files row 2: the destination \"<InstallDir>\\Docs\\\" ends in \"\\\" and names no file."},
    };
    for (const auto& [destination, message] : cases) {
        model::Project p = passingProject();
        p.files.push_back(row(destination));
        const std::optional<CheckFailure> failure = firstFailedCheck(p);
        ASSERT_TRUE(failure.has_value()) << destination;
        EXPECT_EQ(failure->message, message);
    }
}

// Every path the setup expands as a path is held to the same rules, with its own list and row.
TEST_F(TargetPathChecks, ShortcutsIniFilesAssociationsAndDllsAreCheckedToo) {
    struct Case {
        std::function<void(model::Project&)> breakIt;
        CheckedField field;
        std::string message;
    };
    const std::vector<Case> cases{
        {[](model::Project& p) { p.shortcuts[0].destination = "<Desktop>\\.."; }, CheckedField::Shortcuts,
         "Shortcuts row 1: the shortcut \"<Desktop>\\..\\A\" has a \".\" or \"..\" part, which would climb "
         "out "
         "of its folder."},
        {[](model::Project& p) { p.ini[0].iniFile = "settings.ini"; }, CheckedField::IniValues,
         "INI Files row 1: the INI file \"settings.ini\" is not a full path; begin it with a path variable "
         "such as <InstallDir>, or a drive."},
        {[](model::Project& p) { p.associations[0].associatedFile = "<AppDir>\\a.exe"; },
         CheckedField::Associations,
         "File Associations row 1: the associated file \"<AppDir>\\a.exe\" uses a path variable the setup "
         "does "
         "not know: <AppDir>."},
        {[](model::Project& p) { p.dlls[0].file = "<SystemDir>\\NUL.ocx"; }, CheckedField::Dlls,
         "OCX, DLL row 1: the file \"<SystemDir>\\NUL.ocx\" has a part that Windows reserves for a device: "
         "\"NUL.ocx\"."},
    };
    for (const Case& c : cases) {
        model::Project p = passingProject();
        c.breakIt(p);
        const std::optional<CheckFailure> failure = firstFailedCheck(p);
        ASSERT_TRUE(failure.has_value()) << c.message;
        EXPECT_EQ(failure->message, c.message);
        EXPECT_EQ(failure->field, c.field);
        EXPECT_EQ(failure->row, std::optional<std::size_t>(0));
    }
}

// <AppName> and its kind are expanded as the setup expands them: what a file name may not hold
// is dropped, and what is left must still make a valid part.
TEST_F(TargetPathChecks, PathsInTheSettingsComeFirst) {
    model::Project p = passingProject();
    p.settings.installDir = "<ProgramFiles>\\..\\Windows";
    p.files[0].installTo = "<InstallDir>\\CON";
    const std::optional<CheckFailure> failure = firstFailedCheck(p);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->field, CheckedField::InstallDir);
    EXPECT_EQ(failure->message,
              "The default installation path \"<ProgramFiles>\\..\\Windows\" has a \".\" or "
              "\"..\" part, which would climb out of its folder.");
    p.settings.installDir = "<ProgramFiles>\\<AppName>";  // "My: App" loses its ":" as in Setup.exe
    EXPECT_EQ(firstFailedCheck(p)->field, CheckedField::Files);
    p.files[0].installTo = "<InstallDir>\\a.exe";

    // The finish page's offers, when made: a path Setup.exe cannot expand would do nothing.
    p.settings.launchFile = true;
    p.settings.launchFileName = "a.exe";
    ASSERT_TRUE(firstFailedCheck(p).has_value());
    EXPECT_EQ(firstFailedCheck(p)->message,
              "The program to launch \"a.exe\" is not a full path; begin it with a "
              "path variable such as <InstallDir>, or a drive.");
    p.settings.restart = true;  // a setup that restarts makes no offers
    EXPECT_FALSE(firstFailedCheck(p).has_value());
    p.settings.restart = false;
    p.settings.launchFileName = "<InstallDir>\\a.exe";
    p.settings.viewReadme = true;
    p.settings.viewReadmeFileName = "<AppDir>\\readme.txt";
    ASSERT_TRUE(firstFailedCheck(p).has_value());
    EXPECT_EQ(firstFailedCheck(p)->field, CheckedField::ViewReadmeFileName);
}

TEST_F(TargetPathChecks, SettingsInPathsAreTakenAsTheSetupWillTakeThem) {
    model::Project p = passingProject();
    p.settings.installDir = "<ProgramFiles>\\Tool";  // the names are tried in a Files row
    p.files[0].installTo = "<InstallDir>\\<AppName>.txt";
    p.settings.appName = "CON";
    ASSERT_TRUE(firstFailedCheck(p).has_value());
    EXPECT_EQ(firstFailedCheck(p)->field, CheckedField::Files);
    p.settings.appName = "\"CON|\"";  // quotes and "|" go: still the device
    EXPECT_TRUE(firstFailedCheck(p).has_value());
    p.settings.appName = "Control <Center>";
    EXPECT_FALSE(firstFailedCheck(p).has_value());
    p.files[0].installTo = "<InstallDir>\\.<CompanyName>\\x.txt";
    p.settings.companyName = " ";
    EXPECT_TRUE(firstFailedCheck(p).has_value()) << "an empty company name leaves a part \".\"";
    p.settings.companyName = "Brennic";
    EXPECT_FALSE(firstFailedCheck(p).has_value());
}

TEST_F(TargetPathChecks, EarlierChecksComeFirstAndSourcesLast) {
    model::Project p = passingProject();
    p.files.push_back(row("..\\x.dll"));
    p.files.push_back({"/gone/b.exe", "7", "<InstallDir>\\b.exe", "Overwrite", "Yes"});
    EXPECT_EQ(firstFailedCheck(p)->field, CheckedField::Files) << "the destination before the source";
    p.settings.appName.clear();
    EXPECT_EQ(firstFailedCheck(p)->field, CheckedField::AppName);
}

}  // namespace
}  // namespace corvane::builder
