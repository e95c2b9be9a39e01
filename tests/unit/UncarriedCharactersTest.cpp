#include "builder/UncarriedCharacters.h"

#include <functional>

#include <gtest/gtest.h>

#include "CheckableProgram.h"
#include "builder/PreBuildChecks.h"
#include "model/Project.h"

namespace corvane::builder {
namespace {

class UncarriedCharacters : public ::testing::Test {
protected:
    model::Project passingProject() const {
        model::Project p = m_program.passingProject();
        p.shortcuts.push_back(
            {"<Desktop>", "A", "<InstallDir>\\a.exe", "Need help?", "", "", "", "0", "Normal"});
        p.registry.push_back({"HKEY_CURRENT_USER", "S", "N", "String", "https://x/?a=b", "Yes", "No"});
        p.ini.push_back({"<WindowsDir>\\a.ini", "S", "K=", "x=?", "Yes", "Yes"});
        // "?" in a path is carried, but no setup installs it (TargetPathChecks.h): "=" is.
        p.associations.push_back({"txt", "<InstallDir>\\a=b.exe"});
        p.dlls.push_back({"<InstallDir>\\a=.dll"});
        return p;
    }

    test::CheckableProgram m_program{"a?.exe"};  // a source path may hold "?" on Linux
};

TEST_F(UncarriedCharacters, WhatTheRowsCarryBuilds) {
    EXPECT_FALSE(firstFailedCheck(passingProject()).has_value());
}

TEST_F(UncarriedCharacters, AQuestionMarkElsewhereIsRefusedNamingListRowAndColumn) {
    struct Case {
        std::function<void(model::Project&)> breakIt;
        std::string message;
        CheckedField field;
        std::size_t row;
    };
    const std::vector<Case> cases{
        {[](model::Project& p) { p.files[0].installTo = "<InstallDir>\\what?.exe"; },
         "Files row 1: \"Install to\" holds \"?\", which only \"File\" may hold; the setup could not read "
         "this row.",
         CheckedField::Files, 0},
        {[](model::Project& p) {
             p.shortcuts.push_back(p.shortcuts[0]);
             p.shortcuts[1].parameters = "/?";
         },
         "Shortcuts row 2: \"Parameters\" holds \"?\", which only \"Description\" may hold; the setup could "
         "not read "
         "this row.",
         CheckedField::Shortcuts, 1},
        {[](model::Project& p) { p.registry[2].valueName = "Why?"; },
         "Registry row 3: \"Name Value\" holds \"?\", which only \"Value Data\" may hold; the setup could "
         "not read "
         "this row.",
         CheckedField::Registry, 2},
        {[](model::Project& p) { p.ini[0].key = "?"; },
         "INI Files row 1: \"Key\" holds \"?\", which only \"Value\" may hold; the setup could not read this "
         "row.",
         CheckedField::IniValues, 0},
        {[](model::Project& p) { p.associations[0].extension = "t?t"; },
         "File Associations row 1: \"Extension\" holds \"?\", which only \"Associated File\" may hold; the "
         "setup "
         "could not read this row.",
         CheckedField::Associations, 0},
    };
    for (const Case& c : cases) {
        model::Project p = passingProject();
        c.breakIt(p);
        const std::optional<CheckFailure> failure = firstFailedCheck(p);
        ASSERT_TRUE(failure.has_value()) << c.message;
        EXPECT_EQ(failure->message, c.message);
        EXPECT_EQ(failure->field, c.field);
        EXPECT_EQ(failure->row, std::optional<std::size_t>(c.row));
    }
}

TEST_F(UncarriedCharacters, TheEarlierChecksComeFirst) {
    model::Project p = passingProject();
    p.settings.appName.clear();
    p.ini[0].key = "?";
    EXPECT_EQ(firstFailedCheck(p)->message, "Application name must be specified.");
}

}  // namespace
}  // namespace corvane::builder
