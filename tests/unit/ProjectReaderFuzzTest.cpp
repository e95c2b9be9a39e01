// Feeds the project reader damaged and random files: it must never crash, hang or throw, and
// what the writer writes of whatever it read must read back the same. Inputs that once broke it
// stay in tests/data/regress/.

#include <gtest/gtest.h>

#include <random>

#include "ProjectRoundTrip.h"
#include "TestData.h"
#include "TestSupport.h"

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

TEST(ProjectReaderFuzz, MutatedProjectsReadAndWriteBackTheSame) {
    const auto seed = static_cast<unsigned>(test::testSeed());
    SCOPED_TRACE("CORVANE_SEED=" + std::to_string(seed));
    std::mt19937 rng(seed);

    test::TempDir program;
    for (const char* name : {"Deutsch.lng", "English.lng"})
        test::writeFile(program / "Languages" / name, "");
    const std::filesystem::path demo = test::testData("../../examples/demo");
    const std::string original = test::readFile(demo / "Demo.zan");
    ASSERT_FALSE(original.empty());
    for (int round = 0; round < 1500; ++round) {
        const std::string bytes = mutate(original, rng);
        std::string problem;
        ASSERT_NO_THROW(problem = test::projectRoundTripProblem(bytes, demo, program.folder()))
            << "round " << round;
        ASSERT_EQ(problem, "") << "round " << round;
    }
}

TEST(ProjectReaderFuzz, ReplaysInputsThatOnceBrokeIt) {
    const std::filesystem::path dir = test::testData("regress");
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        SCOPED_TRACE(entry.path().string());
        std::string problem;
        EXPECT_NO_THROW(
            problem = test::projectRoundTripProblem(test::readFile(entry.path()), dir, "/nonexistent/"));
        EXPECT_EQ(problem, "");
        ++count;
    }
    EXPECT_GT(count, 0);
}

}  // namespace
}  // namespace corvane::project
