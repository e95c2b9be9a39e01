#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace corvane::platform {
namespace {

using test::crlf;

TEST(ProfileFileWrite, FollowsThePrivateProfileWriterRules) {
    ProfileFile ini;
    ini.write("Settings", "AppName", "Old");
    ini.write("Files", "a?1?b", "");
    ini.write("SETTINGS", "appname", "New");       // same key: replaced in place, first spelling kept
    ini.write("settings", "Later", "x");           // new key: end of its section, not of the file
    ini.write("Files", "A?1?B", "");               // equal up to case: stored once
    ini.write("Registry", "k", " spaced \"v\" ");  // written exactly as given
    EXPECT_EQ(ini.text(), crlf({"[Settings]", "AppName=New", "Later=x", "[Files]", "a?1?b=", "[Registry]",
                                "k= spaced \"v\" "}));
}

TEST(ProfileFileRead, TrimsBlanksAndOnePairOfQuotes) {
    const ProfileFile ini = ProfileFile::parse(crlf({
        "  [ Settings ]  ",
        "  AppName  =  My App  ",
        "Quoted=\"  inner  \"",
        "Single='x'",
        "Mixed=\"x'",
        "Twice=\"\"x\"\"",
        "Lone=\"",
        "Empty=",
        "NoEquals",
    }));
    EXPECT_EQ(ini.readString("settings", "appname"), "My App");
    EXPECT_EQ(ini.readString("Settings", "Quoted"), "  inner  ");
    EXPECT_EQ(ini.readString("Settings", "Single"), "x");
    EXPECT_EQ(ini.readString("Settings", "Mixed"), "\"x'");
    EXPECT_EQ(ini.readString("Settings", "Twice"), "\"x\"");
    EXPECT_EQ(ini.readString("Settings", "Lone"), "\"");
    EXPECT_EQ(ini.value("Settings", "Empty"), std::optional<std::string>(""));
    EXPECT_EQ(ini.value("Settings", "NoEquals"), std::optional<std::string>(""));
    EXPECT_EQ(ini.value("Settings", "Missing"), std::nullopt);
    EXPECT_EQ(ini.readString("Nowhere", "AppName", "fallback"), "fallback");
}

TEST(ProfileFileRead, ListsKeysInFileOrderWhateverTheLineEnds) {
    for (const std::string_view eol : {"\r\n", "\n", "\r"}) {
        std::string text;
        for (const char* line : {"[files]", "b?2=", "", "a?1=", "[Other]", "x=1", "[FILES]", "c?3="})
            text += std::string(line) + std::string(eol);
        const ProfileFile ini = ProfileFile::parse(text);
        // A second section of the same name is not reached, as with the Windows functions.
        EXPECT_EQ(ini.keys("Files"), (std::vector<std::string>{"b?2", "a?1"})) << "line end " << eol.size();
    }
}

TEST(ProfileFileRead, OddLinesDoNotDerailTheParse) {
    const ProfileFile ini = ProfileFile::parse(
        "orphan=before any section\n[A]\n[not a section\n=no key\nk=v=w\nk=second\n[B]x\ny=1\n[]\nz=2");
    EXPECT_EQ(ini.keys("A"), (std::vector<std::string>{"[not a section", "k", "k"}));
    EXPECT_EQ(ini.readString("A", "k"), "v=w");  // the first of two equal keys answers
    EXPECT_EQ(ini.readString("B", "y"), "1");    // text after "]" is ignored
    EXPECT_EQ(ini.readString("", "z"), "2");
    EXPECT_FALSE(ini.value("A", "orphan").has_value());
}

TEST(ProfileFileRead, RoundTripsWhatItWrites) {
    ProfileFile ini;
    for (int i = 0; i < 50; ++i)
        ini.write(i % 2 ? "Even" : "Odd", "key" + std::to_string(i % 7), std::to_string(i));
    const ProfileFile back = ProfileFile::parse(ini.text());
    EXPECT_EQ(back.text(), ini.text());
    EXPECT_EQ(back.readString("Odd", "KEY6"), "48");
}

TEST(ProfileFileWrite, LeavesTheLinesItDoesNotWriteAsTheyWere) {
    // A row whose free field holds " = ": trimming the key before the first "=" would change it.
    ProfileFile ini =
        ProfileFile::parse(crlf({"[Registry]", "HKCU?Software?N?String?x = y?Yes?Yes=", "[Settings]",
                                 " AppName = Old ", "Keep = as is"}));
    ini.write("settings", "appname", "New");
    EXPECT_EQ(ini.text(), crlf({"[Registry]", "HKCU?Software?N?String?x = y?Yes?Yes=", "[Settings]",
                                "AppName=New", "Keep = as is"}));
    EXPECT_EQ(ProfileFile::parse(ini.text()).rowKeys("Registry"),
              (std::vector<std::string>{"HKCU?Software?N?String?x = y?Yes?Yes"}));
}

TEST(ProfileFileLoad, DecodesWindows1252AndDropsAByteOrderMark) {
    test::TempDir dir;
    test::writeFile(dir / "ansi.zan", "[Settings]\r\nAppName=Caf\xE9 \x80 \x9C\r\n");
    test::writeFile(dir / "utf8.zan", "\xEF\xBB\xBF[Settings]\r\nAppName=Caf\xC3\xA9\r\n");
    EXPECT_EQ(ProfileFile::load(dir / "ansi.zan").readString("Settings", "AppName"),
              "Caf\xC3\xA9 \xE2\x82\xAC \xC5\x93");
    EXPECT_EQ(ProfileFile::load(dir / "utf8.zan").readString("Settings", "AppName"), "Caf\xC3\xA9");
    EXPECT_THROW(ProfileFile::load(dir / "missing.zan"), std::runtime_error);
    EXPECT_THROW(ProfileFile::load(dir.path()), std::runtime_error);
}

}  // namespace
}  // namespace corvane::platform
