#include "platform/Leftovers.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"

namespace corvane::platform {
namespace {

namespace fs = std::filesystem;

// The id of a process that has ended and been reaped.
pid_t deadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST(Leftovers, OnlyEntriesOfDeadProcessesInTheExactFormGo) {
    test::TempDir dir;
    const std::string dead = std::to_string(deadPid());
    const std::string live = std::to_string(::getpid());
    const fs::path setup = dir / "Setup.exe";
    test::writeFile(setup, "the previous setup");
    test::writeFile(dir / "keep.txt", "mine");

    const std::vector<std::string> gone = {"Setup.exe.part-" + dead + "-a1B2",
                                           "corvane-build-" + dead + "-Xy9"};
    const std::vector<std::string> kept = {
        "Setup.exe.part-" + live + "-a1B2",  // a live build's
        "Setup.exe.part-1-abc",              // init runs for ever
        "Setup.exe.part-" + dead,            // no letters
        "Setup.exe.part-" + dead + "-",      // empty letters
        "Setup.exe.part-" + dead + "-a.b",   // not letters
        "Setup.exe.part--" + dead + "-a",    // no number
        "Setup.exe.part-0x" + dead + "-a",   // not a decimal number
        "setup.exe.part-" + dead + "-a",     // another file's (case matters on this file system)
        "Other.exe.part-" + dead + "-a",     // another file's
        "corvane-build-" + dead + "-a.txt",  // a file of the author's, whatever its name says
    };
    test::writeFile(dir / gone[0], "partial");         // a partial setup is a file,
    test::writeFile(dir / gone[1] / "0.cab", "work");  // a work folder a folder
    for (const std::string& name : kept)
        test::writeFile(dir / name, "x");
    fs::create_directory(dir / ("corvane-build-" + live + "-live"));
    // A link of the right name is neither followed nor removed.
    fs::create_directory_symlink(dir / "keep-folder", dir / ("corvane-build-" + dead + "-link"));
    test::writeFile(dir / "keep-folder" / "precious", "x");

    EXPECT_EQ(removeDeadPartials(setup), 1);
    EXPECT_EQ(removeDeadFolders(dir.path(), "corvane-build"), 1);

    for (const std::string& name : gone)
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir / name))) << name;
    for (const std::string& name : kept)
        EXPECT_EQ(test::readFile(dir / name), "x") << name;
    EXPECT_TRUE(fs::is_directory(dir / ("corvane-build-" + live + "-live")));
    EXPECT_TRUE(fs::is_symlink(dir / ("corvane-build-" + dead + "-link")));
    EXPECT_TRUE(fs::exists(dir / "keep-folder" / "precious"));
    EXPECT_EQ(test::readFile(setup), "the previous setup");
}

TEST(Leftovers, OwnedFolderCarriesThePidAndGoesWithItsContent) {
    test::TempDir dir;
    fs::path made;
    {
        const OwnedFolder folder(dir.path(), "corvane-build");
        made = folder.path();
        ASSERT_FALSE(made.empty());
        EXPECT_EQ(made.filename().string().rfind("corvane-build-" + std::to_string(::getpid()) + "-", 0), 0u);
        test::writeFile(made / "sub" / "0.cab", "work");
        EXPECT_EQ(removeDeadFolders(dir.path(), "corvane-build"), 0) << "its process runs";
    }
    EXPECT_FALSE(fs::exists(made));
    const fs::path partial = partialPath(dir / "Setup.exe");
    EXPECT_EQ(partial.parent_path(), dir.path());
    EXPECT_EQ(partial.filename().string().rfind("Setup.exe.part-" + std::to_string(::getpid()) + "-", 0), 0u);
}

}  // namespace
}  // namespace corvane::platform
