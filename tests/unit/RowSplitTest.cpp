// How list rows come apart: "?" in each row's free-text field and "=" anywhere are carried
// through a save and a load, while rows that hold neither read exactly as the plain rule reads
// them. The setup runtime includes the same rule; its own tests run under wine.

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "model/Project.h"
#include "platform/ProfileFile.h"
#include "project/FormatLimits.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"
#include "project/RowFields.h"

namespace corvane::project {
namespace {

using Fields = std::vector<std::string>;

Fields split(std::string_view row, std::size_t count, std::size_t freeField) {
    return contract::rows::splitRow(row, count, freeField);
}

TEST(RowSplit, RowsWithoutSurplusSeparatorsReadAsTheyAlwaysDid) {
    // Every field up to the next "?"; missing separators leave middle fields empty.
    EXPECT_EQ(split("a?b?c", 3, 1), (Fields{"a", "b", "c"}));
    EXPECT_EQ(split("a?b", 9, 3), (Fields{"a", "", "", "", "", "", "", "", "b"}));
    EXPECT_EQ(split("", 2, 0), (Fields{"", ""}));
    EXPECT_EQ(split("only", 1, 0), (Fields{"only"}));
    // A free field at the end keeps the surplus, as the last field always did.
    EXPECT_EQ(split("a?b?c?d", 2, 1), (Fields{"a", "b?c?d"}));
}

TEST(RowSplit, SurplusSeparatorsBelongToTheFreeField) {
    EXPECT_EQ(split("a?Need help??d?e", 4, 1), (Fields{"a", "Need help?", "d", "e"}));
    EXPECT_EQ(split("?x??y?", 3, 0), (Fields{"?x?", "y", ""}));
    EXPECT_EQ(split("HKCU?S?N?String?https://x/?a=b&c?d?Yes?No", 7, 4),
              (Fields{"HKCU", "S", "N", "String", "https://x/?a=b&c?d", "Yes", "No"}));
}

TEST(RowSplit, TheRowOfALineRunsToItsLastEquals) {
    EXPECT_EQ(contract::readProfileLine(std::string_view("a?b=c?d=")).row, "a?b=c?d");
    EXPECT_EQ(contract::readProfileLine(std::string_view("plain")).row, "plain");
    // No line is a comment: rows beginning with ";" or "#", or with a "[" that no "]" closes,
    // are rows like any other.
    const platform::ProfileFile file = platform::ProfileFile::parse(
        "[R]\r\n  a?x=1?b=  \r\nplain?row=\r\nKey=Value\r\n=lead=\r\n;x?c=\r\n#y?d=\r\n[z?e=\r\n"
        "[S]\r\nPassword=a=b\r\n");
    EXPECT_EQ(file.rowKeys("R"), (Fields{"a?x=1?b", "plain?row", "Key", "=lead", ";x?c", "#y?d", "[z?e"}));
    EXPECT_EQ(file.readString("S", "Password"), "a=b");  // settings keep the first "="
}

class CarriedRows : public ::testing::Test {
protected:
    CarriedRows() { test::writeFile(m_work / "a?b=c.txt", "abc"); }
    model::Project makeProject() const {
        return model::Project(m_program.folder(), "/home/author/Setup.exe");
    }

    test::TempDir m_program;
    test::TempDir m_work;
};

TEST_F(CarriedRows, FreeTextsWithQuestionMarksAndEqualsSurviveSaveAndLoad) {
    model::Project p = makeProject();
    p.files = {{(m_work / "a?b=c.txt").string(), "3", "<InstallDir>\\a=b.txt", "Overwrite", "Yes"}};
    p.shortcuts = {{"<Desktop>", "Help", "<InstallDir>\\a.exe", "Need help? Ask us?", "/mode=fast",
                    "<InstallDir>", "", "0", "Normal"}};
    p.registry.push_back(
        {"HKEY_CURRENT_USER", "Software\\X", "Url", "String", "https://example.com/?a=b", "Yes", "No"});
    p.ini = {{"<InstallDir>\\a.ini", "Main", "Command", "run.exe /x=1 /?", "Yes", "Yes"}};
    p.associations = {{"x=y", "<InstallDir>\\what?.exe"}};
    p.dlls = {{"<InstallDir>\\a=b.dll"}};
    EXPECT_TRUE(findFormatLimitProblems(p).empty());

    const auto path = m_work / "p.zan";
    writeProjectFile(p, path);
    model::Project back = makeProject();
    readProjectFile(back, path);
    EXPECT_EQ(back.files, p.files);
    EXPECT_EQ(back.shortcuts, p.shortcuts);
    EXPECT_EQ(back.registry, p.registry);
    EXPECT_EQ(back.ini, p.ini);
    EXPECT_EQ(back.associations, p.associations);
    EXPECT_EQ(back.dlls, p.dlls);
}

TEST_F(CarriedRows, AQuestionMarkOutsideTheFreeFieldIsStillReported) {
    model::Project p = makeProject();
    p.shortcuts = {{"<Desktop>", "Help", "<InstallDir>\\a.exe", "", "/?", "", "", "0", "Normal"}};
    p.ini = {{"a.ini", "Sec?", "Key", "v", "Yes", "Yes"}};
    const std::vector<FormatLimitProblem> problems = findFormatLimitProblems(p);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].section, "Shortcuts");
    EXPECT_EQ(problems[1].section, "INI");
    EXPECT_EQ(uncarriedQuestionMark(p.shortcuts[0]), std::optional<std::size_t>(4));  // parameters
}

}  // namespace
}  // namespace corvane::project
