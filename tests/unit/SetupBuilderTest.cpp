#include "builder/SetupBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "TestSupport.h"
#include "builder/PreBuildChecks.h"
#include "model/Project.h"
#include "platform/ProfileFile.h"
#include "project/RowFields.h"

namespace corvane::builder {
namespace {

namespace fs = std::filesystem;
using model::Project;

// Extracts a cabinet with cabextract (libmspack) into folder; returns the command's status.
int extract(const fs::path& cab, const fs::path& folder) {
    fs::create_directories(folder);
    const std::string command =
        "cabextract -q -d '" + folder.string() + "' '" + cab.string() + "' >/dev/null 2>&1";
    return std::system(command.c_str());
}

// What a built setup file holds, taken apart by its trailer and its description.
struct SetupLayout {
    std::string stub;
    std::vector<std::string> cabinets;
    std::string descriptionCab;
    platform::ProfileFile description;
};

SetupLayout takeApart(const fs::path& setup, const fs::path& scratch) {
    const std::string bytes = test::readFile(setup);
    SetupLayout layout;
    EXPECT_GE(bytes.size(), 10u);
    const std::string trailer = bytes.substr(bytes.size() - 10);
    EXPECT_EQ(trailer.find_first_not_of("0123456789"), std::string::npos) << trailer;
    const std::size_t d = std::stoul(trailer);
    layout.descriptionCab = bytes.substr(bytes.size() - 10 - d, d);
    test::writeFile(scratch / "zansetup.cab", layout.descriptionCab);
    EXPECT_EQ(extract(scratch / "zansetup.cab", scratch / "description"), 0);
    layout.description = platform::ProfileFile::load(scratch / "description" / "zansetup.ini");

    std::size_t at = std::stoul(layout.description.readString("Settings", "FileSize"));
    layout.stub = bytes.substr(0, at);
    for (const std::string& line : layout.description.keys("Files")) {
        const std::size_t length = std::stoul(contract::rows::splitRow(std::string_view(line), 4, 3)[1]);
        layout.cabinets.push_back(bytes.substr(at, length));
        at += length;
    }
    EXPECT_EQ(at + d + 10, bytes.size()) << "cabinets, description and trailer fill the file without gaps";
    return layout;
}

class SetupBuilderTest : public ::testing::Test {
protected:
    SetupBuilderTest() {
        test::writeFile(m_program / "Setup.exe", "MZ" + std::string(3000, 'S'));
        for (const char* name : {"Deutsch.lng", "English.lng"})
            test::writeFile(m_program / "Languages" / name,
                            std::string("[Language]\r\nName=") + name + "\r\n");
        test::writeFile(m_program / "Wizard_0.bmp", "BM wizard");
        test::writeFile(m_program / "Header_0.bmp", "BM header");
        test::writeFile(m_payload / "app.exe", std::string(100000, 'a') + "end");
        test::writeFile(m_payload / "readme.txt", "Read me.\r\n");
        test::writeFile(m_payload / "empty.dat", "");
        test::writeFile(m_payload / "license.txt", "License text");
    }

    Project makeProject(int compression = model::kNormalCompression) const {
        Project p(m_program.folder(), (m_out / "Setup.exe").string());
        p.settings.compressionType = compression;
        p.setLanguageSelected(1, true);  // English
        p.rebuildDocumentLists();
        p.licenses[0].file = (m_payload / "license.txt").string();
        p.files = {{(m_payload / "app.exe").string(), "", "<InstallDir>\\bin\\app.exe", "Overwrite", "Yes"},
                   {(m_payload / "readme.txt").string(), "", "<InstallDir>\\readme.txt", "Skip", "No"},
                   {(m_payload / "empty.dat").string(), "", "<InstallDir>\\empty.dat", "Overwrite", "Yes"},
                   {(m_payload / "app.exe").string(), "", "<InstallDir>\\copy.exe", "Overwrite", "Yes"}};
        return p;
    }

    BuildResult build(const Project& p, BuildCallbacks callbacks = {}) {
        return SetupBuilder(p, m_program.folder(), m_work.folder()).run(callbacks);
    }

    test::TempDir m_program, m_payload, m_work, m_out, m_scratch;
};

TEST_F(SetupBuilderTest, SetupHoldsStubCabinetsDescriptionAndTrailer) {
    for (const int compression : {model::kNoCompression, model::kNormalCompression}) {
        SCOPED_TRACE(compression);
        const Project p = makeProject(compression);
        const BuildResult result = build(p);
        ASSERT_EQ(result.outcome, BuildResult::Outcome::Succeeded) << result.message;
        EXPECT_EQ(result.setupSize, fs::file_size(m_out / "Setup.exe"));

        const fs::path scratch = m_scratch / std::to_string(compression);
        const SetupLayout layout = takeApart(m_out / "Setup.exe", scratch);
        EXPECT_EQ(layout.stub, test::readFile(m_program / "Setup.exe"));
        ASSERT_EQ(layout.cabinets.size(), 4u);
        const char* names[] = {"app.exe", "readme.txt", "empty.dat", "copy.exe"};
        for (std::size_t k = 0; k < 4; ++k) {
            const fs::path folder = scratch / ("cab" + std::to_string(k));
            test::writeFile(scratch / (std::to_string(k) + ".cab"), layout.cabinets[k]);
            ASSERT_EQ(extract(scratch / (std::to_string(k) + ".cab"), folder), 0);
            EXPECT_EQ(test::readFile(folder / names[k]), test::readFile(p.files[k].source)) << names[k];
        }
        EXPECT_EQ(layout.description.readString("Settings", "DefaultLanguage"), "English");
        for (const char* member : {"English.lng", "L(Default).rtf", "zanwizard.bmp", "zanheader.bmp"})
            EXPECT_TRUE(fs::exists(scratch / "description" / member)) << member;
        EXPECT_FALSE(fs::exists(scratch / "description" / "LEnglish.rtf"))
            << "rows without a file are left out";

        // The work folder is clean again after a successful build.
        EXPECT_TRUE(fs::is_empty(m_work.path()));
    }
}

TEST_F(SetupBuilderTest, ProgressMovesThroughBothHalves) {
    for (const std::size_t rows : {1u, 4u}) {
        Project p = makeProject();
        p.files.resize(rows);
        std::vector<int> positions;
        BuildCallbacks callbacks;
        callbacks.progress = [&](int position) { positions.push_back(position); };
        ASSERT_EQ(build(p, callbacks).outcome, BuildResult::Outcome::Succeeded);
        const std::vector<int> expected = rows == 1
                                              ? std::vector<int>{0, 0, 100, 100}
                                              : std::vector<int>{0, 0, 12, 25, 38, 62, 75, 88, 100, 100};
        EXPECT_EQ(positions, expected) << rows << " rows";
    }
}

TEST_F(SetupBuilderTest, CancelAtAnyCheckPointLeavesNoSetupBehind) {
    const Project p = makeProject();
    int checks = 0;
    BuildCallbacks counting;
    counting.cancelRequested = [&] { return ++checks, false; };
    ASSERT_EQ(build(p, counting).outcome, BuildResult::Outcome::Succeeded);
    ASSERT_GT(checks, 10);

    test::writeFile(m_out / "Setup.exe", "the previous setup");
    for (int stopAt = 1; stopAt <= checks; ++stopAt) {
        int seen = 0;
        BuildCallbacks callbacks;
        callbacks.cancelRequested = [&] { return ++seen >= stopAt; };
        const BuildResult result = build(p, callbacks);
        ASSERT_EQ(result.outcome, BuildResult::Outcome::Cancelled) << "check " << stopAt;
        ASSERT_EQ(test::readFile(m_out / "Setup.exe"), "the previous setup") << "check " << stopAt;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(m_out.path()), {}), 1) << "no partial setup is left";
}

TEST_F(SetupBuilderTest, MissingLanguageOrLicenseStopsWithTheCabinetError) {
    test::writeFile(m_out / "Setup.exe", "the previous setup");
    Project p = makeProject();
    fs::remove(m_program / "Languages" / "English.lng");
    BuildResult result = build(p);
    EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed);
    EXPECT_EQ(result.message.rfind("Failure opening file to be stored in cabinet [0x0001].\r\n", 0), 0u)
        << result.message;
    EXPECT_NE(result.message.find((m_program / "Languages" / "English.lng").string() + " cannot be packed"),
              std::string::npos)
        << result.message;

    test::writeFile(m_program / "Languages" / "English.lng", "");
    fs::remove(m_payload / "license.txt");
    result = build(p);
    EXPECT_EQ(result.outcome, BuildResult::Outcome::Failed);
    EXPECT_NE(result.message.find("[0x0002]."), std::string::npos) << result.message;
    EXPECT_NE(result.message.find((m_payload / "license.txt").string()), std::string::npos) << result.message;
    EXPECT_EQ(test::readFile(m_out / "Setup.exe"), "the previous setup");
}

TEST_F(SetupBuilderTest, LanguageFileWithMoreDotsIsPackedUnderTheCataloguesName) {
    // Deutsch.lng, English.US.lng and (after the scan) nothing named English.lng at all.
    fs::remove(m_program / "Languages" / "English.lng");
    test::writeFile(m_program / "Languages" / "English.US.lng", "[Language]\r\nName=English (US)\r\n");
    Project p = makeProject();
    ASSERT_EQ(p.selectedLanguages(), std::vector<std::string>{"English"});
    p.licenses[1].file = (m_payload / "readme.txt").string();
    const BuildResult result = build(p);
    ASSERT_EQ(result.outcome, BuildResult::Outcome::Succeeded) << result.message;

    const SetupLayout layout = takeApart(m_out / "Setup.exe", m_scratch.path());
    EXPECT_EQ(test::readFile(m_scratch / "description" / "English.lng"),
              test::readFile(m_program / "Languages" / "English.US.lng"));
    EXPECT_FALSE(fs::exists(m_scratch / "description" / "English.US.lng"));
    EXPECT_EQ(test::readFile(m_scratch / "description" / "LEnglish.rtf"), "Read me.\r\n");
    EXPECT_EQ(layout.description.readString("Settings", "DefaultLanguage"), "English");
}

TEST_F(SetupBuilderTest, TwoCheckedLanguagesOfOneNameAreRefusedBeforeTheBuild) {
    // English.lng and english.UK.lng both list as English: packed, both would be English.lng.
    test::writeFile(m_program / "Languages" / "english.UK.lng", "[Language]\r\nName=English (UK)\r\n");
    Project p = makeProject();
    ASSERT_EQ(p.languageCatalogue(), (std::vector<std::string>{"Deutsch", "English", "english"}));
    EXPECT_FALSE(firstFailedCheck(p).has_value()) << "one of them checked builds as before";

    p.setLanguageSelected(2, true);
    p.rebuildDocumentLists();
    p.licenses[0].file = (m_payload / "license.txt").string();
    const std::optional<CheckFailure> failure = firstFailedCheck(p);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->field, CheckedField::Languages);
    EXPECT_NE(failure->message.find("English.lng and english.UK.lng"), std::string::npos) << failure->message;

    p.setLanguageSelected(1, false);
    p.rebuildDocumentLists();
    p.licenses[0].file = (m_payload / "license.txt").string();
    EXPECT_FALSE(firstFailedCheck(p).has_value());
}

TEST_F(SetupBuilderTest, ReplacesAnExistingSetupAndCreatesMissingFolders) {
    Project p = makeProject();
    p.settings.setupFile = "out/nested/Demo Setup.exe";
    p.projectPath = (m_out / "Demo.zan").string();
    const fs::path target = m_out / "out" / "nested" / "Demo Setup.exe";
    test::writeFile(target, std::string(500000, 'x'));
    const BuildResult result = build(p);
    ASSERT_EQ(result.outcome, BuildResult::Outcome::Succeeded) << result.message;
    EXPECT_EQ(result.setupFile, target);
    EXPECT_LT(fs::file_size(target), 500000u);
    EXPECT_EQ(test::readFile(target).substr(0, 2), "MZ");
}

TEST_F(SetupBuilderTest, UnwritableSetupFolderIsAccessDenied) {
    Project p = makeProject();
    test::writeFile(m_out / "blocker", "a file where a folder should be");
    p.settings.setupFile = (m_out / "blocker" / "Setup.exe").string();
    const BuildResult result = build(p);
    EXPECT_EQ(result.outcome, BuildResult::Outcome::AccessDenied);
    EXPECT_EQ(result.message, "File access denied:\r" + p.settings.setupFile);
}

TEST(ProgressPosition, RoundsHalvesToEven) {
    EXPECT_EQ(progressPosition(1, 4, 0), 12);
    EXPECT_EQ(progressPosition(3, 4, 0), 38);
    EXPECT_EQ(progressPosition(1, 4, 50), 62);
    EXPECT_EQ(progressPosition(1, 1, 50), 100);
}

}  // namespace
}  // namespace corvane::builder
