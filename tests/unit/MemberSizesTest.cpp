#include "builder/MemberSizes.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "builder/PreBuildChecks.h"
#include "builder/SetupBuilder.h"
#include "builder/SetupDescription.h"
#include "contract/DescriptionLimits.h"
#include "model/Project.h"

namespace corvane::builder {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t kLimit = contract::kMaxDescriptionMemberBytes;

// A file of that many bytes that takes no room on the disk.
void writeSparse(const fs::path& path, std::uint64_t size) {
    test::writeFile(path, "");
    fs::resize_file(path, size);
}

class MemberSizes : public ::testing::Test {
protected:
    MemberSizes() {
        test::writeFile(m_program / "Setup.exe", "MZ stub");
        test::writeFile(m_program / "Languages" / "English.lng", "[Language]\r\n");
        test::writeFile(m_program / "Wizard_0.bmp", "BM");
        test::writeFile(m_program / "Header_0.bmp", "BM");
        // Stored uncompressed, so its cabinet is a few hundred bytes whatever it holds.
        test::writeFile(m_program / "a.exe", std::string(200, 'a'));
    }
    model::Project passingProject() const {
        model::Project p(m_program.folder(), (m_out / "Setup.exe").string());
        p.settings.compressionType = model::kNoCompression;
        p.setLanguageSelected(0, true);
        p.rebuildDocumentLists();
        p.files.push_back({(m_program / "a.exe").string(), "200", "<InstallDir>\\a.exe", "Overwrite", "Yes"});
        return p;
    }
    BuildResult build(const model::Project& p, std::vector<std::string>* statuses = nullptr) const {
        BuildCallbacks callbacks;
        if (statuses) callbacks.status = [statuses](const std::string& text) { statuses->push_back(text); };
        return SetupBuilder(p, m_program.folder(), m_work.folder()).run(callbacks);
    }

    test::TempDir m_program, m_work, m_out;
};

TEST_F(MemberSizes, DocumentsBitmapsAndLanguagesLargerThanTheSetupReadsAreRefused) {
    model::Project p = passingProject();
    p.settings.readme = true;
    p.readmes[0].file = (m_out / "readme.rtf").string();
    writeSparse(p.readmes[0].file, kLimit);
    ASSERT_FALSE(firstFailedCheck(p).has_value()) << "the limit itself is allowed";

    writeSparse(p.readmes[0].file, 70u << 20);
    std::optional<CheckFailure> failure = firstFailedCheck(p);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, "Readme File for (Default) language " + p.readmes[0].file +
                                    " is 73400320 bytes long; a setup carries language files, documents and "
                                    "bitmaps of at most 67108864 bytes (64 MiB).");
    EXPECT_EQ(failure->field, CheckedField::ReadmeFiles);
    EXPECT_EQ(failure->row, std::optional<std::size_t>(0));

    p.readmes[0].file.clear();
    p.settings.readme = false;
    writeSparse(m_program / "Header_0.bmp", kLimit + 1);
    failure = firstFailedCheck(p);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->field, CheckedField::Header);

    test::writeFile(m_program / "Header_0.bmp", "BM");
    writeSparse(m_program / "Languages" / "English.lng", kLimit + 1);
    failure = firstFailedCheck(p);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->field, CheckedField::Languages);
    EXPECT_NE(failure->message.find("English.lng is 67108865 bytes long"), std::string::npos)
        << failure->message;
}

TEST_F(MemberSizes, ASettingLargerThanTheDescriptionIsRefusedNamingIt) {
    model::Project p = passingProject();
    p.settings.webSite = std::string(100u << 20, 'w');
    const std::optional<CheckFailure> failure = firstFailedCheck(p);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message,
              "WebSite is 104857600 bytes long; the setup description a setup carries holds at most 67108864 "
              "bytes (64 MiB).");
    EXPECT_EQ(failure->field, CheckedField::WebSite);
}

// Rows that are each small but together too many: the build stops before it compresses a file.
TEST_F(MemberSizes, ADescriptionTooLargeAltogetherIsRefusedBeforeAnythingIsCompressed) {
    model::Project p = passingProject();
    const std::string data(1u << 20, 'd');
    for (int i = 0; i < 70; ++i)
        p.registry.push_back(
            {"HKEY_CURRENT_USER", "Software\\X", "V" + std::to_string(i), "String", data, "Yes", "Yes"});
    ASSERT_FALSE(firstFailedCheck(p).has_value());

    std::vector<std::string> statuses;
    const BuildResult result = build(p, &statuses);
    EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed);
    EXPECT_NE(result.message.find("The setup description would be at least 73"), std::string::npos)
        << result.message;
    EXPECT_NE(result.message.find("at most 67108864 bytes (64 MiB)"), std::string::npos);
    for (const std::string& status : statuses)
        EXPECT_EQ(status.find("a.exe"), std::string::npos) << status;
    EXPECT_TRUE(fs::is_empty(m_work.path()));
    EXPECT_TRUE(fs::is_empty(m_out.path()));
}

// Only the cabinets' real lengths can say whether a description just at the limit still fits:
// the finished description is measured again.
TEST_F(MemberSizes, TheFinishedDescriptionIsMeasuredExactly) {
    model::Project p = passingProject();
    SetupDescriptionWriter least;
    least.writeSettings(p, 7);
    least.writeFileLine(p.files[0], 10);  // the shortest length a cabinet can have
    least.writeOtherSections(p);
    p.settings.appName += std::string(kLimit - least.profile().text().size(), 'n');

    const BuildResult result = build(p);
    EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed);
    EXPECT_EQ(result.message.rfind("The setup description would be 67108865 bytes long", 0), 0u)
        << result.message;
    EXPECT_FALSE(fs::exists(m_out / "Setup.exe"));
}

}  // namespace
}  // namespace corvane::builder
