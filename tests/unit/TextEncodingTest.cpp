#include "platform/TextEncoding.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

TEST(TextEncoding, RecognisesOnlyWellFormedUtf8) {
    EXPECT_TRUE(isValidUtf8("plain ascii"));
    EXPECT_TRUE(isValidUtf8("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"));
    EXPECT_FALSE(isValidUtf8("\xE9"));              // a Latin-1 byte alone
    EXPECT_FALSE(isValidUtf8("\xC0\xAF"));          // overlong "/"
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));      // a surrogate
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
    EXPECT_FALSE(isValidUtf8("\xE2\x82"));          // cut short
}

TEST(TextEncoding, MapsEveryWindows1252Byte) {
    EXPECT_EQ(windows1252ToUtf8("\x80\x8A\x9F"), "\xE2\x82\xAC\xC5\xA0\xC5\xB8");
    EXPECT_EQ(windows1252ToUtf8("\x81\x8D"), "\xC2\x81\xC2\x8D");  // undefined bytes stay C1 controls
    EXPECT_EQ(windows1252ToUtf8("\xA0\xFF"), "\xC2\xA0\xC3\xBF");
    std::string all;
    for (int c = 1; c < 256; ++c)
        all += static_cast<char>(c);
    EXPECT_TRUE(isValidUtf8(windows1252ToUtf8(all)));
}

}  // namespace
}  // namespace corvane::platform
