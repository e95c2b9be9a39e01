// corvane-build and the build engine never harm an input: a setup file that is one of the
// build's own inputs is refused, a FIFO in a document's place fails at once, a full disk leaves
// the previous setup, and nothing of a build stays behind in the work folder or beside the setup.

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <map>
#include <sstream>

#include "TestSupport.h"
#include "builder/SetupBuilder.h"
#include "cli/corvane-build/BuildCommand.h"
#include "model/Project.h"
#include "project/ProjectFileReader.h"

namespace corvane::cli {
namespace {

namespace fs = std::filesystem;

struct CommandResult {
    int code;
    std::string out;
    std::string err;
};

// Every file below the folders, with its bytes.
std::map<fs::path, std::string> snapshot(std::initializer_list<fs::path> folders) {
    std::map<fs::path, std::string> files;
    for (const fs::path& folder : folders)
        for (const auto& entry : fs::recursive_directory_iterator(folder))
            if (entry.is_regular_file() && !entry.is_symlink())
                files[entry.path()] = test::readFile(entry.path());
    return files;
}

// A copy of the demo project and a program folder, built with TMPDIR pointing at a folder of
// the test's own, so whatever a build leaves behind is seen.
class BuildSafetyTest : public ::testing::Test {
protected:
    BuildSafetyTest() {
        for (const char* name : {"Deutsch.lng", "English.lng"})
            test::writeFile(m_program / "Languages" / name,
                            std::string("[Language]\r\nName=") + name + "\r\n");
        test::writeFile(m_program / "Setup.exe", "MZ stand-in stub");
        fs::copy(test::testData("../../examples/demo"), m_demo.path(), fs::copy_options::recursive);
        if (const char* tmp = std::getenv("TMPDIR")) m_oldTmp = tmp;
        ::setenv("TMPDIR", m_tmp.path().c_str(), 1);
    }
    ~BuildSafetyTest() override {
        if (m_oldTmp.empty())
            ::unsetenv("TMPDIR");
        else
            ::setenv("TMPDIR", m_oldTmp.c_str(), 1);
    }

    CommandResult build(const std::string& output) {
        std::ostringstream out, err;
        std::vector<std::string> args{(m_demo / "Demo.zan").string(), "--program-dir",
                                      m_program.path().string()};
        if (!output.empty()) args.insert(args.end(), {"-o", output});
        const int code = runBuildCommand(args, out, err);
        return {code, out.str(), err.str()};
    }

    test::TempDir m_program, m_demo, m_tmp;
    std::string m_oldTmp;
};

TEST_F(BuildSafetyTest, ASetupFileThatIsAnInputIsRefusedWhateverItsSpelling) {
    const fs::path d = m_demo.path();
    fs::create_symlink(d / "payload" / "demo.cmd", d / "link-to-demo.cmd");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {(d / "Demo.zan").string(), "the project file"},
        {(d / "payload" / "demo.cmd").string(), "the source of Files row 1"},
        {(d / "payload" / ".." / "payload" / "./demo.cmd").string(), "the source of Files row 1"},
        {(d / "link-to-demo.cmd").string(), "the source of Files row 1"},
        {(d / "payload" / "readme.txt").string(), "the source of Files row 2"},
        {(d / "docs" / "license-de.txt").string(), "the license file for Deutsch"},
        {(d / "art" / "wizard.bmp").string(), "the Wizard bitmap"},
        {(m_program / "Languages" / "English.lng").string(), "the language file of English"},
        {(m_program / "Setup.exe").string(), "the setup stub"},
    };
    const auto before = snapshot({m_demo.path(), m_program.path()});
    for (const auto& [output, what] : cases) {
        const CommandResult r = build(output);
        EXPECT_EQ(r.code, 1) << output;
        EXPECT_NE(r.err.find("The setup file " + fs::absolute(output).string() + " is " + what + " ("),
                  std::string::npos)
            << r.err;
        EXPECT_EQ(r.out.find("successfully"), std::string::npos) << r.out;
    }
    // The project's own setup file, relative to the project, may not be an input either.
    test::writeFile(d / "evil.zan", test::readFile(d / "Demo.zan"));
    // Replacing "SetupFile=out/..." through the file keeps the test independent of the reader.
    std::string text = test::readFile(d / "evil.zan");
    const std::size_t at = text.find("SetupFile=");
    text.replace(at, text.find("\r\n", at) - at, "SetupFile=payload/demo.cmd");
    test::writeFile(d / "evil.zan", text);
    std::ostringstream out, err;
    EXPECT_EQ(
        runBuildCommand({(d / "evil.zan").string(), "--program-dir", m_program.path().string()}, out, err),
        1);
    EXPECT_NE(err.str().find("is the source of Files row 1"), std::string::npos) << err.str();

    auto after = snapshot({m_demo.path(), m_program.path()});
    after.erase(d / "evil.zan");
    EXPECT_EQ(after, before) << "every input is byte-identical";
    EXPECT_TRUE(fs::is_empty(m_tmp.path())) << "the work folder is empty";
    EXPECT_FALSE(fs::exists(d / "out")) << "no setup and no partial setup was written";

    // A setup file that is not an input still builds, and the work folder is empty after it.
    const CommandResult ok = build((d / "Setup.exe").string());
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_TRUE(fs::is_empty(m_tmp.path()));
}

// A FIFO in a document's place (or a language file's, or a bitmap's) would block the build for
// ever when opened; it fails before anything is written, naming the file.
TEST_F(BuildSafetyTest, AFifoDocumentFailsAtOnceNamingTheFile) {
    const fs::path d = m_demo.path();
    const fs::path setup = d / "Setup.exe";
    test::writeFile(setup, "the previous setup");
    const std::vector<fs::path> places = {d / "docs" / "license-de.txt", d / "payload" / "readme.txt",
                                          m_program / "Languages" / "Deutsch.lng", d / "art" / "header.bmp"};
    for (const fs::path& place : places) {
        const std::string kept = test::readFile(place);
        fs::rename(place, place.string() + ".kept");
        ASSERT_EQ(::mkfifo(place.c_str(), 0644), 0);
        const CommandResult r = build(setup.string());
        fs::remove(place);
        fs::rename(place.string() + ".kept", place);

        EXPECT_EQ(r.code, 1) << place;
        if (place.filename() == "header.bmp") {
            // The bitmaps are checked before the build, as the editor checks them.
            EXPECT_EQ(r.err, "corvane-build: Header Bitmap must be specified. (" + place.string() +
                                 ": not a regular file)\n");
        } else if (place.filename() == "readme.txt") {
            // A Files row's source as well: the check names it.
            EXPECT_NE(r.err.find("File access denied: " + place.string()), std::string::npos) << r.err;
        } else {
            EXPECT_NE(r.err.find("Failure opening file to be stored in cabinet [0x0001]."), std::string::npos)
                << r.err;
            EXPECT_NE(r.err.find(place.string() + " is not a regular file and cannot be packed"),
                      std::string::npos)
                << r.err;
        }
        EXPECT_EQ(test::readFile(setup), "the previous setup");
        EXPECT_EQ(test::readFile(place), kept);
        EXPECT_TRUE(fs::is_empty(m_tmp.path()));
    }
}

// A source that cannot be read while it is packed (it was made unreadable after the checks)
// gives the cabinet's error, then the file.
TEST(BuildErrors, ACabinetErrorNamesTheSourceAfterItsOwnText) {
    test::TempDir program, work, payload;
    for (const char* name : {"Setup.exe", "Wizard_0.bmp", "Header_0.bmp"})
        test::writeFile(program / name, "MZ");
    test::writeFile(program / "Languages" / "English.lng", "");
    model::Project project(program.folder(), (payload / "Setup.exe").string());
    project.setLanguageSelected(1, true);
    project.rebuildDocumentLists();
    project.files = {{(payload / "gone.txt").string(), "1", "<InstallDir>\\gone.txt", "Overwrite", "No"}};
    const builder::BuildResult result =
        builder::SetupBuilder(project, program.folder(), work.folder()).run({});
    EXPECT_EQ(result.outcome, builder::BuildResult::Outcome::Failed);
    EXPECT_EQ(
        result.message,
        "Failure opening file to be stored in cabinet [0x0001].\r\nNo such file or directory [0x0002].\r\n" +
            (payload / "gone.txt").string() + " cannot be packed");
    EXPECT_TRUE(fs::is_empty(work.path()));
}

// Files may be at most this long in the child below: a stand-in for a disk that fills up
// while the setup is written (the work folder's cabinets still fit).
constexpr rlim_t kFileSizeLimit = 200 * 1024;

TEST_F(BuildSafetyTest, AFullDiskNamesTheSetupFileAndKeepsThePreviousOne) {
    const fs::path d = m_demo.path();
    test::writeFile(m_program / "Setup.exe", "MZ" + std::string(120 * 1024, 'S'));
    std::string noise;
    std::mt19937 rng(7);
    while (noise.size() < 150 * 1024)
        noise += static_cast<char>(rng());
    test::writeFile(d / "payload" / "demo.cmd", noise);  // incompressible: its cabinet is as long
    const fs::path setup = d / "Setup.exe";
    test::writeFile(setup, "the previous setup");
    const fs::path report = m_tmp.path().parent_path() / (m_tmp.path().filename().string() + ".report");

    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{kFileSizeLimit, kFileSizeLimit};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        const CommandResult r = build(setup.string());
        test::writeFile(report, r.err);
        ::_exit(r.code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    const std::string err = test::readFile(report);
    fs::remove(report);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << err;
    EXPECT_NE(err.find(": " + setup.string() + "\n"), std::string::npos) << err;
    EXPECT_EQ(err.find(".part"), std::string::npos) << err;
    EXPECT_EQ(test::readFile(setup), "the previous setup");
    for (const auto& entry : fs::directory_iterator(d))
        EXPECT_EQ(entry.path().filename().string().find("Setup.exe.part"), std::string::npos) << entry.path();
    EXPECT_TRUE(fs::is_empty(m_tmp.path()));
}

// What a killed build left (its work folder, its partial setup) goes with the next build;
// a live build's does not.
TEST_F(BuildSafetyTest, TheNextBuildRemovesWhatDeadBuildsLeft) {
    const pid_t dead = ::fork();
    if (dead == 0) ::_exit(0);
    ::waitpid(dead, nullptr, 0);
    const fs::path setup = m_demo / "Setup.exe";
    const std::string deadId = std::to_string(dead);
    test::writeFile(m_tmp / ("corvane-build-" + deadId + "-AbC123") / "0.cab", std::string(1000, 'c'));
    test::writeFile(m_demo / ("Setup.exe.part-" + deadId + "-xYz"), "MZ partial");
    test::writeFile(m_tmp / "corvane-build-1-live" / "0.cab", "a live build's");
    test::writeFile(m_demo / "Setup.exe.part-1-live", "a live build's");

    const CommandResult r = build(setup.string());
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_FALSE(fs::exists(m_tmp / ("corvane-build-" + deadId + "-AbC123")));
    EXPECT_FALSE(fs::exists(m_demo / ("Setup.exe.part-" + deadId + "-xYz")));
    EXPECT_EQ(test::readFile(m_tmp / "corvane-build-1-live" / "0.cab"), "a live build's");
    EXPECT_EQ(test::readFile(m_demo / "Setup.exe.part-1-live"), "a live build's");
}

}  // namespace
}  // namespace corvane::cli
