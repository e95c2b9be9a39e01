#include "project/FolderScan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace corvane::project {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> destinations(const AddedFiles& added) {
    std::vector<std::string> out;
    for (const model::FileEntry& row : added.rows)
        out.push_back(row.installTo);
    return out;
}

TEST(FolderScan, TheTrailingBackslashOfTheDestinationGoesOnce) {
    EXPECT_EQ(destinationFolder("<ProgramFiles>\\Tool\\"), "<ProgramFiles>\\Tool");
    EXPECT_EQ(destinationFolder("<InstallDir>\\\\"), "<InstallDir>\\");
    EXPECT_EQ(destinationFolder("<InstallDir>"), "<InstallDir>");
}

// Depth first, names in order, hidden files included, the chosen folder's own name left out of
// the destination, and nothing for folders (empty ones included).
TEST(FolderScan, FolderRowsKeepTheSubfoldersBelowTheDestination) {
    test::TempDir data;
    test::writeFile(data / "b.txt", "bb");
    test::writeFile(data / "A.txt", "a");
    test::writeFile(data / "sub" / "c.txt", "ccc");
    test::writeFile(data / "sub" / "deeper" / ".hidden", "");
    test::writeFile(data / "z.txt", "zzzz");
    fs::create_directories(data / "empty" / "emptier");

    const AddedFiles added = rowsForFolder(data.path(), destinationFolder("<ProgramFiles>\\Tool\\"));
    EXPECT_EQ(
        destinations(added),
        (std::vector<std::string>{
            "<ProgramFiles>\\Tool\\A.txt", "<ProgramFiles>\\Tool\\b.txt", "<ProgramFiles>\\Tool\\sub\\c.txt",
            "<ProgramFiles>\\Tool\\sub\\deeper\\.hidden", "<ProgramFiles>\\Tool\\z.txt"}));
    ASSERT_EQ(added.rows.size(), 5u);
    EXPECT_EQ(added.rows[2], (model::FileEntry{(data / "sub" / "c.txt").string(), "3",
                                               "<ProgramFiles>\\Tool\\sub\\c.txt", "Overwrite", "Yes"}));
    EXPECT_TRUE(added.deniedFiles.empty());

    test::TempDir onlyEmpty;
    fs::create_directories(onlyEmpty / "a" / "b");
    EXPECT_TRUE(rowsForFolder(onlyEmpty.path(), "<InstallDir>").rows.empty());
}

// What cannot be read is reported and skipped; the rest is added. A FIFO stands for an
// unreadable file here because the suite may run as root, whom permissions do not stop.
TEST(FolderScan, UnreadableEntriesAreReportedAndTheRestAdded) {
    test::TempDir data;
    test::writeFile(data / "a.txt", "a");
    ASSERT_EQ(::mkfifo((data / "pipe").c_str(), 0600), 0);
    fs::create_symlink(data / "nowhere", data / "dangling");
    test::writeFile(data / "z.txt", "z");

    const AddedFiles folder = rowsForFolder(data.path(), "<InstallDir>");
    EXPECT_EQ(destinations(folder), (std::vector<std::string>{"<InstallDir>\\a.txt", "<InstallDir>\\z.txt"}));
    EXPECT_EQ(folder.deniedFiles,
              (std::vector<std::string>{(data / "dangling").string(), (data / "pipe").string()}));

    const AddedFiles files =
        rowsForFiles({data / "pipe", data / "a.txt", data / "gone.txt"}, "<InstallDir>\\bin");
    EXPECT_EQ(destinations(files), (std::vector<std::string>{"<InstallDir>\\bin\\a.txt"}));
    EXPECT_EQ(files.deniedFiles.size(), 2u);
}

// Links never take the scan outside the chosen folder nor round in a circle.
TEST(FolderScan, SymbolicLinksStayInsideAndNeverLoop) {
    test::TempDir outside, data;
    test::writeFile(outside / "secret.txt", "s");
    test::writeFile(data / "real" / "r.txt", "r");
    fs::create_directory_symlink(data.path(), data / "real" / "loop");
    fs::create_directory_symlink(outside.path(), data / "out");
    fs::create_symlink(outside / "secret.txt", data / "secret-link.txt");
    fs::create_symlink(data / "real" / "r.txt", data / "inner-link.txt");

    const AddedFiles added = rowsForFolder(data.path(), "<InstallDir>");
    EXPECT_EQ(destinations(added),
              (std::vector<std::string>{"<InstallDir>\\inner-link.txt", "<InstallDir>\\real\\r.txt"}));
    EXPECT_EQ(added.linksLeadingOut,
              (std::vector<std::string>{(data / "out").string(), (data / "secret-link.txt").string()}));

    // The chosen folder itself may be reached through a link; inside it the rules hold as before.
    fs::create_directory_symlink(data / "real", outside / "chosen");
    const AddedFiles chosen = rowsForFolder(outside / "chosen", "<InstallDir>");
    EXPECT_EQ(destinations(chosen), (std::vector<std::string>{"<InstallDir>\\r.txt"}));
    EXPECT_EQ(chosen.linksLeadingOut, (std::vector<std::string>{(outside / "chosen" / "loop").string()}));
}

// A subfolder the scan cannot list is named, not passed over as if it were empty. Only a
// non-root user is stopped by permissions, so the test needs one.
TEST(FolderScan, AFolderThatCannotBeListedIsNamed) {
    if (::geteuid() == 0) GTEST_SKIP() << "root lists every folder";
    test::TempDir data;
    test::writeFile(data / "a.txt", "a");
    test::writeFile(data / "locked" / "b.txt", "b");
    fs::permissions(data / "locked", fs::perms::none);
    const AddedFiles added = rowsForFolder(data.path(), "<InstallDir>");
    fs::permissions(data / "locked", fs::perms::owner_all);
    EXPECT_EQ(destinations(added), (std::vector<std::string>{"<InstallDir>\\a.txt"}));
    EXPECT_EQ(added.deniedFiles, (std::vector<std::string>{(data / "locked" / "").string()}));
}

TEST(FolderScan, ACancelledScanAddsNothing) {
    test::TempDir data;
    for (int i = 0; i < 600; ++i)
        test::writeFile(data / ("d" + std::to_string(i % 7)) / std::to_string(i), "x");
    std::atomic<bool> cancel{false};
    std::size_t lastReport = 0;
    const AddProgress progress{[&](std::size_t seen) {
                                   lastReport = seen;
                                   if (seen >= 256) cancel = true;
                               },
                               &cancel};
    const AddedFiles added = rowsForFolder(data.path(), "<InstallDir>", progress);
    EXPECT_TRUE(added.cancelled);
    EXPECT_TRUE(added.rows.empty());
    EXPECT_EQ(lastReport, 256u);

    const AddedFiles whole =
        rowsForFolder(data.path(), "<InstallDir>", {[&](std::size_t n) { lastReport = n; }, nullptr});
    EXPECT_EQ(whole.rows.size(), 600u);
    EXPECT_EQ(lastReport, 600u) << "the last report gives the total";
}

}  // namespace
}  // namespace corvane::project
