#include "model/EntryRules.h"

#include <gtest/gtest.h>

namespace corvane::model {
namespace {

struct TargetCase {
    const char* target;
    const char* name;
    const char* workingDir;
};

class TargetFill : public ::testing::TestWithParam<TargetCase> {};

TEST_P(TargetFill, NameAndWorkingFolderComeFromTheTarget) {
    EXPECT_EQ(shortcutNameFromTarget(GetParam().target), GetParam().name);
    EXPECT_EQ(workingDirFromTarget(GetParam().target), GetParam().workingDir);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TargetFill,
    ::testing::Values(TargetCase{"<InstallDir>\\Bin\\Tool.exe", "Tool", "<InstallDir>\\Bin"},
                      TargetCase{"C:\\Tool.exe", "Tool", "C:\\"},  // the root keeps its backslash
                      TargetCase{"My.Tool.exe", "My", ""},
                      TargetCase{"<InstallDir>\\Readme.txt", "Readme", "<InstallDir>"},
                      TargetCase{"<InstallDir>\\LICENSE", "", "<InstallDir>"},  // no dot: no name
                      TargetCase{"C:Tool.exe", "Tool", "C:"}, TargetCase{"\\Tool.exe", "Tool", "\\"},
                      TargetCase{"\\\\server\\share\\a.b.c", "a", "\\\\server\\share"},
                      TargetCase{"a\\\\b.exe", "b", "a\\\\"}, TargetCase{"dir\\.hidden", "", "dir"}));

struct NumberCase {
    const char* text;
    char separator;
    bool passes;
};

class DwordText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(DwordText, ReadsAsANumberInTheUsersFormat) {
    EXPECT_EQ(readsAsDecimalNumber(GetParam().text, GetParam().separator), GetParam().passes)
        << '"' << GetParam().text << "\" with separator '" << GetParam().separator << '\'';
}

INSTANTIATE_TEST_SUITE_P(PointLocale, DwordText,
                         ::testing::Values(NumberCase{"16", '.', true}, NumberCase{"1.5", '.', true},
                                           NumberCase{"-3", '.', true}, NumberCase{"2E3", '.', true},
                                           NumberCase{"2e-3", '.', true}, NumberCase{" +7 ", '.', true},
                                           NumberCase{".5", '.', true}, NumberCase{"4294967296", '.', true},
                                           NumberCase{"0x10", '.', false}, NumberCase{"16h", '.', false},
                                           NumberCase{"1,000", '.', false}, NumberCase{"1 000", '.', false},
                                           NumberCase{"", '.', false}, NumberCase{"  ", '.', false},
                                           NumberCase{"-", '.', false}, NumberCase{"2E", '.', false},
                                           NumberCase{"1e999", '.', false}, NumberCase{"1,5", '.', false}));

INSTANTIATE_TEST_SUITE_P(CommaLocale, DwordText,
                         ::testing::Values(NumberCase{"16", ',', true}, NumberCase{"1,5", ',', true},
                                           NumberCase{"-3", ',', true}, NumberCase{"2E3", ',', true},
                                           NumberCase{"1.5", ',', false}, NumberCase{"1.000", ',', false},
                                           NumberCase{"0x10", ',', false}, NumberCase{"", ',', false}));

TEST(Extension, WithoutItsDotAndNotEmpty) {
    EXPECT_TRUE(isAcceptableExtension("txt"));
    EXPECT_TRUE(isAcceptableExtension("tar.gz"));
    EXPECT_TRUE(isAcceptableExtension(" a b"));
    EXPECT_FALSE(isAcceptableExtension(".txt"));
    EXPECT_FALSE(isAcceptableExtension(""));
}

}  // namespace
}  // namespace corvane::model
