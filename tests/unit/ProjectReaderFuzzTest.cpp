// Feeds the project reader damaged and random files: it must never crash, hang or throw for
// text it has read, whatever the bytes. Inputs that once broke it stay in tests/data/regress/.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "TestSupport.h"
#include "model/Project.h"
#include "platform/ProfileFile.h"
#include "platform/TextEncoding.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"

namespace corvane::project {
namespace {

// The bytes that mean something to the format, so mutations hit its structure often.
constexpr std::string_view kSpecial = "[]=?\r\n \t\"'$0x-9\xE9\xC3";

std::string mutate(std::string text, std::mt19937& rng) {
    const int edits = 1 + static_cast<int>(rng() % 12);
    for (int i = 0; i < edits && !text.empty(); ++i) {
        const std::size_t at = rng() % text.size();
        switch (rng() % 5) {
            case 0:
                text[at] = kSpecial[rng() % kSpecial.size()];
                break;
            case 1:
                text.insert(at, 1, kSpecial[rng() % kSpecial.size()]);
                break;
            case 2:
                text.erase(at, rng() % 16);
                break;
            case 3:
                text[at] = static_cast<char>(rng());
                break;
            default:
                text.insert(at, text.substr(rng() % text.size(), rng() % 64));
                break;
        }
    }
    return text;
}

void readQuietly(const std::string& bytes, const std::filesystem::path& folder,
                 const std::string& programFolder) {
    model::Project p(programFolder, "/home/author/Setup.exe");
    readProjectProfile(p, platform::ProfileFile::parse(platform::decodeProfileText(bytes)), folder);
    // Whatever was read can be written again.
    (void)projectProfile(p).text();
}

TEST(ProjectReaderFuzz, SurvivesMutatedProjects) {
    const char* fromEnv = std::getenv("CORVANE_SEED");
    const unsigned seed = fromEnv != nullptr ? static_cast<unsigned>(std::strtoul(fromEnv, nullptr, 10))
                                             : std::random_device{}();
    SCOPED_TRACE("CORVANE_SEED=" + std::to_string(seed));
    std::mt19937 rng(seed);

    test::TempDir program;
    for (const char* name : {"Deutsch.lng", "English.lng"})
        test::writeFile(program / "Languages" / name, "");
    const std::filesystem::path demo = test::testData("../../examples/demo");
    const std::string original = test::readFile(demo / "Demo.zan");
    ASSERT_FALSE(original.empty());
    for (int round = 0; round < 1500; ++round)
        ASSERT_NO_THROW(readQuietly(mutate(original, rng), demo, program.folder())) << "round " << round;
}

TEST(ProjectReaderFuzz, ReplaysInputsThatOnceBrokeIt) {
    const std::filesystem::path dir = test::testData("regress");
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().string());
        EXPECT_NO_THROW(readQuietly(test::readFile(entry.path()), dir, "/nonexistent/"));
        ++count;
    }
    EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace corvane::project
