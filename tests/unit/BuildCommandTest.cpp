#include "cli/corvane-build/BuildCommand.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "CabinetListing.h"
#include "TargetPathCases.h"
#include "TestSupport.h"

namespace corvane::cli {
namespace {

struct CommandResult {
    int code;
    std::string out;
    std::string err;
};

CommandResult run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = runBuildCommand(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(BuildCommand, HelpAndUsageErrors) {
    const CommandResult help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: corvane-build"), std::string::npos);

    for (const auto& args :
         {std::vector<std::string>{}, {"--bogus", "x.zan"}, {"--program-dir"}, {"a.zan", "b.zan"}}) {
        const CommandResult r = run(args);
        EXPECT_EQ(r.code, 2);
        EXPECT_NE(r.err.find("Try 'corvane-build --help'."), std::string::npos) << r.err;
    }
}

TEST(BuildCommand, MissingProjectNamesTheFile) {
    const CommandResult r = run({"--describe", "/no/such/project.zan"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "corvane-build: File not found: /no/such/project.zan\n");
}

TEST(BuildCommand, DescribesTheDemoProject) {
    test::TempDir program;
    for (const char* name : {"Deutsch.lng", "English.lng"})
        test::writeFile(program / "Languages" / name, "");
    test::writeFile(program / "Setup.exe", std::string(4096, 'S'));

    const CommandResult r = run({"--describe", test::testData("../../examples/demo/Demo.zan").string(),
                                 "--program-dir", program.path().string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("AppName=Corvane Demo\r\n"), std::string::npos);
    EXPECT_NE(r.out.find("DefaultLanguage=English\r\n"), std::string::npos);
    EXPECT_NE(r.out.find("FileSize=4096\r\n[Files]\r\n<InstallDir>\\demo.cmd?"), std::string::npos);
    EXPECT_NE(
        r.out.find(
            "<InstallDir>\\data\\settings.ini?37?Skip?No=\r\n[Shortcuts]\r\n<ProgramGroup>\\Corvane Demo?"),
        std::string::npos);
}

TEST(BuildCommand, BuildsTheDemoAndReportsChecks) {
    test::TempDir program, out;
    for (const char* name : {"Deutsch.lng", "English.lng"})
        test::writeFile(program / "Languages" / name, "");
    test::writeFile(program / "Setup.exe", "MZ stand-in stub");
    const std::string demo = test::testData("../../examples/demo/Demo.zan").string();

    CommandResult r = run({demo, "--program-dir", program.path().string(), "--check"});
    EXPECT_EQ(r.code, 0) << r.err;

    const std::string setup = (out / "demo.exe").string();
    r = run({demo, "--program-dir", program.path().string(), "-o", setup});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("demo.cmd\n"), std::string::npos);  // plain lines when not on a terminal
    EXPECT_NE(r.out.find("Setup was successfully created!\n" + setup + " ("), std::string::npos) << r.out;
    EXPECT_EQ(test::readFile(setup).substr(0, 16), "MZ stand-in stub");

    // A project that fails a check is not built, and says why.
    test::writeFile(out / "broken.zan", "[Settings]\r\nAppName=Broken\r\nSetupFile=x.exe\r\n");
    r = run({(out / "broken.zan").string(), "--program-dir", program.path().string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, "corvane-build: Wizard Bitmap must be specified.\n");
}

// A language file added to the program folder moves every stored position after it. The demo
// names its language files: it builds with its own languages, documents and default, and the
// change is noted. Written by an older Corvane (positions only) it is refused, naming them.
TEST(BuildCommand, ALanguageAddedToTheProgramFolderChangesNoSetupSilently) {
    test::TempDir program, work;
    for (const char* name : {"Catal\xC3\xA0.lng", "Deutsch.lng", "English.lng"})
        test::writeFile(program / "Languages" / name, "");
    test::writeFile(program / "Setup.exe", "MZ stand-in stub");
    std::filesystem::copy(test::testData("../../examples/demo"), work.path(),
                          std::filesystem::copy_options::recursive);
    const std::string project = (work / "Demo.zan").string();
    const std::string setup = (work / "demo.exe").string();

    CommandResult r = run({project, "--program-dir", program.path().string(), "-o", setup});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find("corvane-build: note: " + project + ": "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("Checked now: Deutsch, English (its stored positions alone would select "
                         "Catal\xC3\xA0, Deutsch)."),
              std::string::npos)
        << r.err;
    const std::string bytes = test::readFile(setup);
    const std::size_t length = std::stoul(bytes.substr(bytes.size() - 10));
    std::vector<std::string> members;
    for (const test::ListedFile& f :
         test::listCabinet(std::vector<std::uint8_t>(bytes.end() - 10 - static_cast<std::ptrdiff_t>(length),
                                                     bytes.end() - 10))
             .files)
        members.push_back(f.name);
    for (const char* member : {"Deutsch.lng", "English.lng", "LEnglish.rtf", "LDeutsch.rtf", "REnglish.rtf"})
        EXPECT_NE(std::find(members.begin(), members.end(), member), members.end()) << member;
    EXPECT_EQ(std::count(members.begin(), members.end(), "Catal\xC3\xA0.lng"), 0);
    r = run({"--describe", project, "--program-dir", program.path().string()});
    EXPECT_NE(r.out.find("DefaultLanguage=English\r\n"), std::string::npos);

    std::string older = test::readFile(project);
    older.erase(older.find("LanguageFiles="),
                older.find("\r\n", older.find("LanguageFiles=")) + 2 - older.find("LanguageFiles="));
    test::writeFile(project, older);
    std::filesystem::remove(setup);
    for (const char* mode : {"--check", "--output"}) {
        std::vector<std::string> args{project, "--program-dir", program.path().string(), mode};
        if (std::string(mode) == "--output") args.push_back(setup);
        r = run(args);
        EXPECT_EQ(r.code, 1) << mode;
        EXPECT_NE(r.err.find("It was saved with Deutsch, English, which its positions would now read as "
                             "Catal\xC3\xA0, Deutsch."),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.out.find("ready to build"), std::string::npos);
    }
    EXPECT_FALSE(std::filesystem::exists(setup));
}

// A project whose payload folder was renamed: nothing is dropped, nothing is built, every
// missing file is named; once the folder is back the same project builds.
TEST(BuildCommand, MissingSourcesAreListedAndRefusedUntilTheyReturn) {
    test::TempDir program, work;
    for (const char* name : {"Deutsch.lng", "English.lng"})
        test::writeFile(program / "Languages" / name, "");
    test::writeFile(program / "Setup.exe", "MZ stand-in stub");
    std::filesystem::copy(test::testData("../../examples/demo"), work.path(),
                          std::filesystem::copy_options::recursive);
    const std::string project = (work / "Demo.zan").string();
    const std::string payload = (work / "payload").string();
    std::filesystem::rename(payload, payload + "-moved");

    for (const char* mode : {"--check", "--output"}) {
        std::vector<std::string> args{project, "--program-dir", program.path().string(), mode};
        if (std::string(mode) == "--output") args.push_back((work / "demo.exe").string());
        const CommandResult r = run(args);
        EXPECT_EQ(r.code, 1) << mode;
        EXPECT_EQ(r.err,
                  "corvane-build: File not found: " + payload +
                      "/demo.cmd (Files row 1, installs to <InstallDir>\\demo.cmd)\n"
                      "corvane-build: File not found: " +
                      payload +
                      "/readme.txt (Files row 2, installs to <InstallDir>\\readme.txt)\n"
                      "corvane-build: File not found: " +
                      payload +
                      "/docs/manual.txt (Files row 3, installs to <InstallDir>\\docs\\manual.txt)\n"
                      "corvane-build: File not found: " +
                      payload +
                      "/data/settings.ini (Files row 4, installs to <InstallDir>\\data\\settings.ini)\n")
            << mode;
    }
    EXPECT_FALSE(std::filesystem::exists(work / "demo.exe"));

    std::filesystem::rename(payload + "-moved", payload);
    const CommandResult r =
        run({project, "--program-dir", program.path().string(), "-o", (work / "demo.exe").string()});
    EXPECT_EQ(r.code, 0) << r.err;
}

// A project saved with the uninstaller on another machine builds with this program folder's.
TEST(BuildCommand, AStaleUninstallerPathTakesTheProgramFoldersUninstaller) {
    test::TempDir program, work;
    for (const char* name : {"Deutsch.lng", "English.lng"})
        test::writeFile(program / "Languages" / name, "");
    test::writeFile(program / "Setup.exe", "MZ stand-in stub");
    test::writeFile(program / "Uninstall.exe", std::string(1000, 'U'));
    std::filesystem::copy(test::testData("../../examples/demo"), work.path(),
                          std::filesystem::copy_options::recursive);
    std::string text = test::readFile(work / "Demo.zan");
    text.replace(text.find("Uninstall=0"), 11, "Uninstall=1");
    text.replace(text.find("[Files]\r\n") + 9, 0,
                 "/opt/elsewhere/Uninstall.exe?54784?<InstallDir>\\Uninstall.exe?Overwrite?Yes=\r\n");
    test::writeFile(work / "Demo.zan", text);

    const CommandResult r =
        run({"--describe", (work / "Demo.zan").string(), "--program-dir", program.path().string()});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("[Files]\r\n<InstallDir>\\Uninstall.exe?1000?Overwrite?Yes="), std::string::npos)
        << r.out;

    // Without any uninstaller row the setup would announce an uninstaller it does not carry.
    text.erase(text.find("/opt/elsewhere/"),
               text.find("Yes=\r\n", text.find("/opt/elsewhere/")) + 6 - text.find("/opt/elsewhere/"));
    test::writeFile(work / "Demo.zan", text);
    const CommandResult refused =
        run({(work / "Demo.zan").string(), "--program-dir", program.path().string(), "--check"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find("no file installs <InstallDir>\\Uninstall.exe"), std::string::npos)
        << refused.err;
}

// Destinations Setup.exe would refuse on every machine: nothing is built, the row is named, and
// the setup built before stays as it was, with nothing left beside it or in the work folder.
TEST(BuildCommand, DestinationsTheSetupWouldRefuseBuildNothing) {
    test::TempDir program, work, temp;
    for (const char* name : {"Deutsch.lng", "English.lng"})
        test::writeFile(program / "Languages" / name, "");
    test::writeFile(program / "Setup.exe", "MZ stand-in stub");
    std::filesystem::copy(test::testData("../../examples/demo"), work.path(),
                          std::filesystem::copy_options::recursive);
    const std::string project = (work / "Demo.zan").string();
    const std::string setup = (work / "out" / "demo.exe").string();
    std::filesystem::create_directories(work / "out");
    ASSERT_EQ(run({project, "--program-dir", program.path().string(), "-o", setup}).code, 0);
    const std::string built = test::readFile(setup);
    const std::string demo = test::readFile(project);
    const std::string row = "?<InstallDir>\\demo.cmd?";

    const char* previousTemp = std::getenv("TMPDIR");
    const std::string savedTemp = previousTemp ? previousTemp : "";
    ::setenv("TMPDIR", temp.path().c_str(), 1);
    int refused = 0;
    for (const test::TargetPathCase& c : test::kTargetPathCases) {
        if (c.installs) continue;
        ++refused;
        std::string text = demo;
        text.replace(text.find(row), row.size(), "?" + std::string(c.destination) + "?");
        test::writeFile(project, text);
        const CommandResult r = run({project, "--program-dir", program.path().string(), "-o", setup});
        EXPECT_EQ(r.code, 1) << c.destination;
        EXPECT_EQ(r.err.rfind("corvane-build: Files row 1: the destination ", 0), 0u) << r.err;
        EXPECT_EQ(test::readFile(setup), built) << c.destination;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work / "out"), {}), 1) << c.destination;
        EXPECT_TRUE(std::filesystem::is_empty(temp.path())) << c.destination;
    }
    previousTemp ? ::setenv("TMPDIR", savedTemp.c_str(), 1) : ::unsetenv("TMPDIR");
    EXPECT_GE(refused, 13);
}

}  // namespace
}  // namespace corvane::cli
