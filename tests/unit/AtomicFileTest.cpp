#include "platform/AtomicFile.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/ProfileFile.h"

namespace corvane::platform {
namespace {

// Makes every write past `bytes` fail for this process, whoever the user is (root included).
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old{};
};

TEST(AtomicFile, FailedWriteKeepsThePreviousFileWhole) {
    test::TempDir dir;
    const auto target = dir / "project.zan";
    test::writeFile(target, "previous content");
    ProfileFile big;
    big.write("Settings", "Blob", std::string(100000, 'x'));
    {
        FileSizeLimit limit(4096);
        try {
            big.save(target);
            FAIL() << "the save should have failed";
        } catch (const ProfileWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + target.string());
        }
    }
    EXPECT_EQ(test::readFile(target), "previous content");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no temporary left";
}

TEST(AtomicFile, ReplacesContentKeepsModeAndWritesThroughLinks) {
    test::TempDir dir;
    const auto target = dir / "real.zan";
    const auto link = dir / "link.zan";
    test::writeFile(target, "old");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, link);

    writeFileAtomically(link, "new");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(test::readFile(target), "new");
    struct stat st {};
    ::stat(target.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    EXPECT_THROW(writeFileAtomically(dir / "no-such-folder" / "x.zan", "x"), std::system_error);
}

TEST(AtomicFile, ReadOnlyFileIsRefusedAndKept) {
    test::TempDir dir;
    const auto target = dir / "locked.zan";
    const auto link = dir / "link.zan";
    test::writeFile(target, "kept as it was");
    ::chmod(target.c_str(), 0444);
    std::filesystem::create_symlink(target, link);
    ProfileFile profile;
    profile.write("Settings", "AppName", "Other");
    for (const auto& path : {target, link}) {
        try {
            profile.save(path);
            FAIL() << "a read-only file was replaced through " << path;
        } catch (const ProfileWriteError& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + path.string());
        }
    }
    EXPECT_EQ(test::readFile(target), "kept as it was");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2) << "no temporary left";
    ::chmod(target.c_str(), 0644);
}

}  // namespace
}  // namespace corvane::platform
