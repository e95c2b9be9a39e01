#include "builder/PreBuildChecks.h"

#include <functional>

#include <gtest/gtest.h>

#include "CheckableProgram.h"
#include "model/Project.h"

namespace corvane::builder {
namespace {

using model::Project;

class PreBuildChecks : public ::testing::Test {
protected:
    Project passingProject() const { return m_checkable.passingProject(); }

    test::CheckableProgram m_checkable;
    const test::TempDir& m_program = m_checkable.folder();
};

struct CheckCase {
    const char* name;
    std::function<void(Project&, const test::TempDir&)> breakIt;
    const char* message;
    CheckedField field;
};

class EachCheck : public PreBuildChecks, public ::testing::WithParamInterface<CheckCase> {};

TEST_P(EachCheck, ReportsItsMessageAndWhereToLook) {
    Project p = passingProject();
    ASSERT_FALSE(firstFailedCheck(p).has_value());
    GetParam().breakIt(p, m_program);
    const std::optional<CheckFailure> failure = firstFailedCheck(p);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, GetParam().message);
    EXPECT_EQ(failure->field, GetParam().field);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, EachCheck,
    ::testing::Values(
        CheckCase{"AppName", [](Project& p, auto&) { p.settings.appName.clear(); },
                  "Application name must be specified.", CheckedField::AppName},
        CheckCase{"SetupFile", [](Project& p, auto&) { p.settings.setupFile.clear(); },
                  "Setup File name must be specified.", CheckedField::SetupFile},
        CheckCase{
            "WizardDeleted",
            [](Project&, const test::TempDir& program) { std::filesystem::remove(program / "Wizard_0.bmp"); },
            "Wizard Bitmap must be specified.", CheckedField::Wizard},
        CheckCase{"WizardIsAFolder",
                  [](Project& p, const test::TempDir& program) { p.settings.wizard = program.folder(); },
                  "Wizard Bitmap must be specified.", CheckedField::Wizard},
        CheckCase{"Header", [](Project& p, auto&) { p.settings.header = "relative/missing.bmp"; },
                  "Header Bitmap must be specified.", CheckedField::Header},
        CheckCase{"NoLanguage",
                  [](Project& p, auto&) {
                      p.setLanguageSelected(0, false);
                      p.rebuildDocumentLists();
                      p.settings.license = true;  // not reached: the language check comes first
                  },
                  "Default Language must be specified.", CheckedField::DefaultLanguage},
        CheckCase{"License", [](Project& p, auto&) { p.settings.license = true; },
                  "License File for (Default) language must be specified.", CheckedField::LicenseFiles},
        CheckCase{"ReadmeListEmpty",
                  [](Project& p, auto&) {
                      p.settings.readme = true;
                      p.readmes.clear();
                  },
                  "Readme File for (Default) language must be specified.", CheckedField::ReadmeFiles},
        CheckCase{"InstallDir", [](Project& p, auto&) { p.settings.installDir.clear(); },
                  "Default Installation Path must be specified.", CheckedField::InstallDir},
        CheckCase{"NoFiles", [](Project& p, auto&) { p.files.clear(); }, "Project contains no files.",
                  CheckedField::Files},
        CheckCase{"LaunchFile", [](Project& p, auto&) { p.setLaunchFile(true); },
                  "Program File for launching must be specified.", CheckedField::LaunchFileName},
        CheckCase{"ViewReadme", [](Project& p, auto&) { p.setViewReadme(true); },
                  "Readme File for viewing must be specified.", CheckedField::ViewReadmeFileName},
        CheckCase{"VisitSite",
                  [](Project& p, auto&) {
                      p.setVisitSite(true);
                      p.settings.visitSiteAddress.clear();
                  },
                  "Web Address must be specified.", CheckedField::VisitSiteAddress},
        // A setup that names an uninstaller must carry one where the runtime registers it.
        CheckCase{"UninstallerRowRemovedByHand",
                  [](Project& p, auto&) {
                      p.setUninstall(true);
                      p.files.pop_back();
                  },
                  "Include Uninstaller is checked, but no file installs <InstallDir>\\Uninstall.exe. Clear "
                  "\"Include Uninstaller\" and check it again to add the uninstaller.",
                  CheckedField::IncludeUninstaller}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PreBuildChecks, WhatTheChecksLeaveToTheBuild) {
    Project p = passingProject();
    p.settings.appName = "   ";  // blanks are not empty
    p.settings.protect = true;   // an empty password passes
    p.settings.license = true;
    p.licenses[0].file = "/gone/license.rtf";  // existence is the build's concern
    EXPECT_FALSE(firstFailedCheck(p).has_value());
}

// Sources are checked last, after every setting: the first unusable one is reported with its
// row, and the command line can list them all.
TEST_F(PreBuildChecks, SourcesThatCannotBePackedAreRefusedNamingTheRow) {
    Project p = passingProject();
    p.files.push_back({"/gone/b.exe", "7", "<InstallDir>\\b.exe", "Overwrite", "Yes"});
    p.files.push_back({m_program.folder(), "0", "<InstallDir>\\dir", "Overwrite", "Yes"});
    p.files.push_back({"gone-too.txt", "1", "<InstallDir>\\c.txt", "Overwrite", "Yes"});
    p.projectPath = (m_program / "p.zan").string();

    const std::optional<CheckFailure> failure = firstFailedCheck(p);
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, "File not found:\r/gone/b.exe");
    EXPECT_EQ(failure->field, CheckedField::FileSource);
    EXPECT_EQ(failure->row, std::optional<std::size_t>(1));

    const std::vector<SourceProblem> all = sourceProblems(p);
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].message(), "File access denied:\r" + m_program.folder())
        << "a folder is no file to pack";
    EXPECT_EQ(all[2].path, (m_program / "gone-too.txt").string()) << "relative to the project file";

    p.settings.appName.clear();
    EXPECT_EQ(firstFailedCheck(p)->message, "Application name must be specified.") << "settings come first";
}

TEST_F(PreBuildChecks, AnEditedOrReaddedUninstallerPasses) {
    Project p = passingProject();
    test::writeFile(m_program / "Uninstall.exe", "MZ");
    p.setUninstall(true);
    EXPECT_FALSE(firstFailedCheck(p).has_value());
    p.files.back().installTo = "<InstallDir>\\UNINSTALL.EXE";  // Windows' file names ignore letter case
    EXPECT_FALSE(firstFailedCheck(p).has_value());
    // A path variable's name does not: the setup knows no <installdir> and would stop there.
    p.files.back().installTo = "<installdir>\\Uninstall.exe";
    ASSERT_TRUE(firstFailedCheck(p).has_value());
    EXPECT_EQ(firstFailedCheck(p)->field, CheckedField::Files);
}

TEST_F(PreBuildChecks, RelativeBitmapsAreFoundBesideTheProject) {
    Project p = passingProject();
    test::TempDir work;
    test::writeFile(work / "art" / "wizard.bmp", "BM");
    p.settings.wizard = "art/wizard.bmp";
    EXPECT_TRUE(firstFailedCheck(p).has_value()) << "unsaved: relative to the current folder";
    p.projectPath = (work / "Demo.zan").string();
    EXPECT_FALSE(firstFailedCheck(p).has_value());
}

}  // namespace
}  // namespace corvane::builder
