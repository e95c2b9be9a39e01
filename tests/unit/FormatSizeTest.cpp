#include "model/FormatSize.h"

#include <gtest/gtest.h>

namespace corvane::model {
namespace {

struct SizeCase {
    std::int64_t bytes;
    const char* text;
};

class FormatSizeTable : public ::testing::TestWithParam<SizeCase> {};

TEST_P(FormatSizeTable, UsesTheLargestUnitAtOrBelowTheCount) {
    EXPECT_EQ(formatSize(GetParam().bytes, "."), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Units, FormatSizeTable,
                         ::testing::Values(SizeCase{0, "0 Byte(s)"}, SizeCase{-5, "-5 Byte(s)"},
                                           SizeCase{1023, "1023 Byte(s)"}, SizeCase{1024, "1.00 KB"},
                                           SizeCase{1535, "1.50 KB"}, SizeCase{54784, "53.50 KB"},
                                           SizeCase{1048575, "1024.00 KB"}, SizeCase{1048576, "1.00 MB"},
                                           SizeCase{1073741823, "1024.00 MB"},
                                           SizeCase{1073741824, "1.00 GB"},
                                           SizeCase{5497558138880, "5120.00 GB"}),
                         [](const auto& info) {
                             const std::int64_t n = info.param.bytes;
                             return (n < 0 ? "minus" : "") + std::to_string(n < 0 ? -n : n);
                         });

TEST(FormatSize, TakesTheGivenDecimalSeparator) {
    EXPECT_EQ(formatSize(54784, ","), "53,50 KB");
    EXPECT_EQ(formatSize(1023, ","), "1023 Byte(s)");
    EXPECT_FALSE(userDecimalSeparator().empty());
}

}  // namespace
}  // namespace corvane::model
