#include "project/ProfileValues.h"

#include <gtest/gtest.h>

namespace corvane::project {
namespace {

TEST(ProfileValues, IntegersInDecimalAndThreeHexForms) {
    EXPECT_EQ(parseProfileInteger("42"), 42);
    EXPECT_EQ(parseProfileInteger("-1"), -1);
    EXPECT_EQ(parseProfileInteger("+7"), 7);
    EXPECT_EQ(parseProfileInteger("0x1F"), 31);
    EXPECT_EQ(parseProfileInteger("0X1f"), 31);
    EXPECT_EQ(parseProfileInteger("$10"), 16);
    EXPECT_EQ(parseProfileInteger("-$10"), -16);
    EXPECT_EQ(parseProfileInteger("$FFFFFFFF"), -1);
    EXPECT_EQ(parseProfileInteger("2147483647"), 2147483647);
    EXPECT_EQ(parseProfileInteger("-2147483648"), INT32_MIN);
    for (const char* bad : {"", "-", "$", "0x", "2147483648", "$100000000", "1 2", "12a", "a", "0x-1", "1.5"})
        EXPECT_EQ(parseProfileInteger(bad), std::nullopt) << bad;
}

TEST(ProfileValues, BooleansAreNonZeroIntegers) {
    EXPECT_TRUE(parseProfileBoolean("1"));
    EXPECT_TRUE(parseProfileBoolean("-1"));
    EXPECT_TRUE(parseProfileBoolean("$A"));
    EXPECT_FALSE(parseProfileBoolean("0"));
    EXPECT_FALSE(parseProfileBoolean("0x0"));
    EXPECT_FALSE(parseProfileBoolean("true"));
    EXPECT_FALSE(parseProfileBoolean(""));
}

}  // namespace
}  // namespace corvane::project
