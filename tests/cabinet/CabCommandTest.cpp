#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CabinetListing.h"
#include "TestData.h"
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
    const fs::path folder = testing::freshFolder("CabCommand");
    testing::writeBytes(folder / "docs" / "a.txt", testing::textBytes(5000, 1));
    testing::writeBytes(folder / "b.bin", testing::randomBytes(100, 2));
    const fs::path previous = fs::current_path();
    fs::current_path(folder);
    const CommandRun ok = run({"-z", "mszip", "out.cab", "docs/a.txt", (folder / "b.bin").string()});
    EXPECT_EQ(ok.code, 0) << ok.err;
    const testing::CabinetListing cab = testing::listCabinet(folder / "out.cab");
    ASSERT_EQ(cab.files.size(), 2u);
    EXPECT_EQ(cab.files[0].name, "docs\\a.txt");
    EXPECT_EQ(cab.files[1].name, "b.bin");

    const CommandRun missing = run({"out2.cab", "docs/a.txt", "nope.txt"});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(missing.err.find("nope.txt"), std::string::npos) << missing.err;
    EXPECT_FALSE(fs::exists(folder / "out2.cab"));

    const CommandRun lzx = run({"-z", "lzx:15", "out3.cab", "docs/a.txt"});
    EXPECT_EQ(lzx.code, 0) << lzx.err;
    EXPECT_EQ(testing::listCabinet(folder / "out3.cab").files.size(), 1u);
    EXPECT_EQ(run({"-z", "lzx:22", "out4.cab", "docs/a.txt"}).code, 2);
    fs::current_path(previous);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace corvane::cli
