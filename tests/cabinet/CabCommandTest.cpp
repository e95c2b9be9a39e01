#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <sstream>

#include "CabinetListing.h"
#include "TestData.h"
#include "TestSupport.h"
#include "cli/corvane-cab/CabCommand.h"

namespace corvane::cli {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
    int code;
    std::string out, err;
};

CommandRun run(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = runCabCommand(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(CabCommand, UsageErrorsExitTwo) {
    EXPECT_EQ(run({}).code, 2);
    EXPECT_EQ(run({"only.cab"}).code, 2);
    EXPECT_EQ(run({"-z", "lzx:22", "a.cab", "f"}).code, 2);
    EXPECT_EQ(run({"-z", "deflate", "a.cab", "f"}).code, 2);
    EXPECT_EQ(run({"--max-files", "x", "a.cab", "f"}).code, 2);
    EXPECT_EQ(run({"--bogus", "a.cab", "f"}).code, 2);
    const CommandRun help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("Usage: corvane-cab"), std::string::npos);
}

TEST(CabCommand, WritesNamesAsGivenAndNamesTheFailingFile) {
    const test::TempDir temp;
    const fs::path folder = temp.path();
    test::writeBytes(folder / "docs" / "a.txt", test::textBytes(5000, 1));
    test::writeBytes(folder / "b.bin", test::randomBytes(100, 2));
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    const CommandRun ok = run({"-z", "mszip", "out.cab", "docs/a.txt", (folder / "b.bin").string()});
    EXPECT_EQ(ok.code, 0) << ok.err;
    const test::CabinetListing cab = test::listCabinet(folder / "out.cab");
    ASSERT_EQ(cab.files.size(), 2u);
    EXPECT_EQ(cab.files[0].name, "docs\\a.txt");
    EXPECT_EQ(cab.files[1].name, "b.bin");

    const CommandRun missing = run({"out2.cab", "docs/a.txt", "nope.txt"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("nope.txt"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(folder / "out2.cab"));

    // A set goes into a folder made for it, each cabinet under its own name.
    const CommandRun set = run({"--max-files", "1", "new/folder/set.cab", "docs/a.txt", "b.bin"});
    EXPECT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(test::listCabinet(folder / "new" / "folder" / "set.cab").files.size(), 1u);
    EXPECT_EQ(test::listCabinet(folder / "new" / "folder" / "set1.cab").files.size(), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder / "new" / "folder"), {}), 2);

    const CommandRun lzx = run({"-z", "lzx:15", "out3.cab", "docs/a.txt"});
    EXPECT_EQ(lzx.code, 0) << lzx.err;
    EXPECT_EQ(test::listCabinet(folder / "out3.cab").files.size(), 1u);
    EXPECT_EQ(run({"-z", "lzx:22", "out4.cab", "docs/a.txt"}).code, 2);
    fs::current_path(previous);
    fs::remove_all(folder);
}

// The cabinet never replaces one of its own inputs, however the two are spelled, and two
// inputs that would be stored under one name (cabinets compare names without regard to case)
// are refused before anything is written.
TEST(CabCommand, NeverDestroysAnInput) {
    const test::TempDir temp;
    const fs::path& folder = temp.path();
    test::writeBytes(folder / "keep.txt", test::textBytes(3000, 3));
    test::writeBytes(folder / "sub" / "Keep.TXT", test::textBytes(100, 4));
    test::writeBytes(folder / "out.cab", test::textBytes(50, 5));  // the previous cabinet
    fs::create_symlink(folder / "keep.txt", folder / "link.cab");
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    const auto keep = test::readBytes(folder / "keep.txt");
    const auto old = test::readBytes(folder / "out.cab");

    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"keep.txt", "keep.txt"}, "the cabinet keep.txt is the input keep.txt"},
        {{"./sub/../keep.txt", "keep.txt"}, "the cabinet ./sub/../keep.txt is the input keep.txt"},
        {{"link.cab", "keep.txt"}, "the cabinet link.cab is the input keep.txt"},
        {{"out.cab", "sub/../keep.txt", "keep.txt"},
         "sub/../keep.txt and keep.txt would both be stored as keep.txt"},
        {{"out.cab", "keep.txt", (folder / "sub" / "Keep.TXT").string()}, "would both be stored as Keep.TXT"},
        // The set's second cabinet would be named out1.cab: an input of that name is kept too.
        {{"--max-files", "1", "out.cab", "keep.txt", "out1.cab"}, "out1.cab"},
    };
    test::writeBytes(folder / "out1.cab", test::textBytes(40, 6));
    const auto out1 = test::readBytes(folder / "out1.cab");
    for (const Case& c : cases) {
        const CommandRun r = run(c.args);
        EXPECT_EQ(r.code, 1) << c.args.front();
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(test::readBytes(folder / "keep.txt"), keep);
        EXPECT_EQ(test::readBytes(folder / "out.cab"), old);
        EXPECT_EQ(test::readBytes(folder / "out1.cab"), out1);
        EXPECT_TRUE(fs::is_symlink(folder / "link.cab"));
    }
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 5u) << "no partial cabinet is left";

    // Names that differ in their folder are distinct; the previous cabinet is then replaced.
    const CommandRun ok = run({"out.cab", "keep.txt", "sub/Keep.TXT"});
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_EQ(test::listCabinet(folder / "out.cab").files.size(), 2u);
    fs::current_path(previous);
    fs::remove_all(folder);
}

// A disk that fills up while the cabinet is written (here a limit on file sizes, which fails
// writes the same way) leaves the previous cabinet whole and no partial one beside it.
TEST(CabCommand, AFailedWriteKeepsThePreviousCabinet) {
    const test::TempDir temp;
    const fs::path& folder = temp.path();
    test::writeBytes(folder / "big.bin", test::randomBytes(600 * 1024, 8));
    test::writeBytes(folder / "out.cab", test::textBytes(50, 5));
    const auto old = test::readBytes(folder / "out.cab");

    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{256 * 1024, 256 * 1024};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(run({"-z", "none", (folder / "out.cab").string(), (folder / "big.bin").string()}).code);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_EQ(test::readBytes(folder / "out.cab"), old);
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 2u) << "no partial cabinet is left";
    fs::remove_all(folder);
}

}  // namespace
}  // namespace corvane::cli
