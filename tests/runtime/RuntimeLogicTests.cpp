// The setup runtime's rules that need no installation: path checks and expansion, reading the
// description, laying out the cabinets, the uninstall log's escaping and the language texts.
// Built with the runtime's compiler and run under wine: wmain returns the number of failures.

#include <windows.h>

#include <cstdio>

#include "DescriptionReader.h"
#include "LanguageStrings.h"
#include "PageTexts.h"
#include "PasswordCheck.h"
#include "PathExpander.h"
#include "SetupPayload.h"
#include "TargetPathCases.h"
#include "Text.h"
#include "UninstallLog.h"
#include "contract/TargetPaths.h"

using namespace corvane::rt;
using corvane::contract::LogKind;
using corvane::contract::Setting;

namespace {

int g_failures = 0;

void expect(bool condition, const char* what, int line) {
    if (condition) return;
    std::printf("FAIL line %d: %s\n", line, what);
    ++g_failures;
}
#define EXPECT(c) expect((c), #c, __LINE__)

std::wstring normalised(const wchar_t* path) {
    std::wstring out;
    return PathExpander::normalisePath(path, out) ? out : L"<refused>";
}

void pathChecks() {
    EXPECT(normalised(L"C:\\Program Files\\App") == L"C:\\Program Files\\App");
    EXPECT(normalised(L"  c:/Program Files//App\\  ") == L"c:\\Program Files\\App");
    EXPECT(normalised(L"C:\\") == L"C:\\");
    EXPECT(normalised(L"\\\\server\\share\\dir") == L"\\\\server\\share\\dir");
    // Climbing out, relative, drive-relative, device and odd names are refused.
    EXPECT(normalised(L"C:\\App\\..\\Windows") == L"<refused>");
    EXPECT(normalised(L"C:\\App\\.\\x") == L"<refused>");
    EXPECT(normalised(L"App\\x") == L"<refused>");
    EXPECT(normalised(L"C:App") == L"<refused>");
    EXPECT(normalised(L"\\\\?\\C:\\x") == L"<refused>");
    EXPECT(normalised(L"\\\\server") == L"<refused>");
    EXPECT(normalised(L"C:\\a<b") == L"<refused>");
    EXPECT(normalised(L"C:\\a\\b:stream") == L"<refused>");
    EXPECT(normalised(L"C:\\dir.\\x") == L"<refused>");
    // Device names, with or without an extension, in any part; a server may be called so.
    EXPECT(normalised(L"C:\\App\\nul.txt") == L"<refused>");
    EXPECT(normalised(L"C:\\LPT9\\x") == L"<refused>");
    EXPECT(normalised(L"C:\\App\\COM\u00b2") == L"<refused>");
    EXPECT(normalised(L"C:\\App\\COM10") == L"C:\\App\\COM10");
    EXPECT(normalised(L"\\\\con\\share\\x") == L"\\\\con\\share\\x");
}

// The table the builder's tests hold the build to: Setup.exe refuses exactly these rows.
void targetPathCases() {
    Description d;
    std::wstring error;
    EXPECT(d.parse("[Settings]\r\nAppName=My: App\r\nFileSize=10\r\n", error));
    PathExpander v(d, L"D:\\Media");
    v.setInstallDir(L"C:\\Apps\\Mine");
    for (const corvane::test::TargetPathCase& c : corvane::test::kTargetPathCases) {
        // As Setup.exe reads a Files line: the destination trimmed, then expanded and checked.
        const std::wstring destination = trimmed(fromUtf8(c.destination));
        std::wstring out;
        const bool installs = v.expandPath(destination, out, error) &&
                              corvane::contract::namesAFile(std::wstring_view(destination));
        if (installs != c.installs) std::printf("  case: %s\n", c.destination);
        EXPECT(installs == c.installs);
    }
}

void expansionChecks() {
    Description d;
    std::wstring error;
    EXPECT(d.parse("[Settings]\r\nAppName=My: App/2\r\nAppVersion=1.0\r\nCompanyName=Me\r\nFileSize=10\r\n",
                   error));
    PathExpander v(d, L"D:\\Media");
    v.setInstallDir(L"C:\\Apps\\Mine");
    std::wstring out;
    EXPECT(v.expandPath(L"<InstallDir>\\<AppName>.txt", out, error) && out == L"C:\\Apps\\Mine\\My App2.txt");
    EXPECT(v.expandText(L"<AppName> <AppVersion>", out, error) && out == L"My: App/2 1.0");
    EXPECT(v.expandPath(L"<CurrentDir>\\x", out, error) && out == L"D:\\Media\\x");
    EXPECT(!v.expandPath(L"<Nowhere>\\x", out, error) && error.find(L"<Nowhere>") != std::wstring::npos);
    EXPECT(!v.expandPath(L"<InstallDir>\\..\\..\\x", out, error));
    EXPECT(v.expandText(L"<none> and <AppVersion>", out, error) &&
           out == L"<none> and 1.0");  // values keep it
    EXPECT(v.expandText(L"open <", out, error) && out == L"open <");

    // A program group that names itself must not expand for ever.
    Description looped;
    EXPECT(looped.parse("[Settings]\r\nAppName=Loop\r\nProgramGroup=<ProgramGroup>\\x\r\nFileSize=1\r\n",
                        error));
    PathExpander l(looped, L"D:\\Media");
    EXPECT(l.programGroupFolder().size() > 5);
}

void descriptionChecks() {
    Description d;
    std::wstring error;
    const char* text =
        "\xEF\xBB\xBF[settings]\r\n"
        "AppName = \"Quoted\" \r\n"
        "Password=a=b\r\n"
        "FileSize=4096\r\n"
        "[Files]\r\n"
        "<InstallDir>\\a.txt?120?Overwrite?Yes=\r\n"
        "<InstallDir>\\a.txt?120?Overwrite?Yes?2=\r\n"
        "<InstallDir>\\b.txt?7?skip?no=\r\n"
        "[Registry]\r\n"
        "HKEY_CURRENT_USER?Software\\X?N?Dword?0x10?No?Yes=\r\n"
        "[Shortcuts]\r\n"
        "<Desktop>\\S?<InstallDir>\\a.txt?d?p?w?i?3?Hide=\r\n";
    EXPECT(d.parse(text, error));
    EXPECT(d.text(Setting::AppName) == L"Quoted");
    EXPECT(d.text(Setting::Password) == L"a=b");
    EXPECT(d.stubSize == 4096);
    EXPECT(d.files.size() == 3);
    EXPECT(d.files.size() == 3 && d.files[1].length == 120 && d.files[1].overwrite && d.files[1].uninstall);
    EXPECT(d.files.size() == 3 && !d.files[2].overwrite && !d.files[2].uninstall);
    EXPECT(d.registry.size() == 1 && d.registry[0].isDword && !d.registry[0].overwrite);
    EXPECT(d.shortcuts.size() == 1 && d.shortcuts[0].iconIndex == 3 &&
           d.shortcuts[0].show == SW_SHOWMINNOACTIVE);

    const char* broken[] = {
        "[Settings]\r\nFileSize=1\r\n[Files]\r\n<InstallDir>\\a?12x?Overwrite?Yes=\r\n",
        "[Settings]\r\nFileSize=1\r\n[Files]\r\n<InstallDir>\\a?12?Overwrite=\r\n",
        "[Settings]\r\nFileSize=1\r\n[Registry]\r\nHKEY_CURRENT_USER?S?N?Binary?1?Yes?Yes=\r\n",
        "[Settings]\r\nFileSize=1\r\n[Shortcuts]\r\n<Desktop>\\S?a?b=\r\n",
        // A flag is Yes or No and If Exists Overwrite or Skip, in any letter case; nothing else.
        "[Settings]\r\nFileSize=1\r\n[Registry]\r\nHKEY_CURRENT_USER?S?N?String?1?Yes?true=\r\n",
        "[Settings]\r\nFileSize=1\r\n[INI]\r\n<InstallDir>\\a.ini?S?K?V?1?No=\r\n",
        "[Settings]\r\nFileSize=1\r\n[Files]\r\n<InstallDir>\\a?12?Replace?Yes=\r\n",
        "[Settings]\r\nFileSize=-5\r\n",
        "[Settings]\r\nFileSize=99999999999999999999999\r\n",
    };
    for (const char* b : broken) {
        Description bad;
        EXPECT(!bad.parse(b, error));
    }
    Description bad;
    EXPECT(!bad.parse(broken[0], error) && error.find(L"(line 4, [Files]") != std::wstring::npos);

    // "?" in a line's free-text field and "=" anywhere in a row come through as written.
    Description carried;
    const char* carriedText =
        "[Settings]\r\nFileSize=1\r\n"
        "[Shortcuts]\r\n<Desktop>\\Ask?<InstallDir>\\a.exe?Need help? "
        "Ask?/x=1?<InstallDir>?<InstallDir>\\a.exe?2?Normal=\r\n"
        "[Registry]\r\nHKEY_CURRENT_USER?Software\\X?Url?String?https://example.com/?a=b?Yes?No=\r\n"
        "[INI]\r\n<InstallDir>\\a.ini?S?K?x=1?y?Yes?No=\r\n"
        "[DLL]\r\n<InstallDir>\\a=b.dll=\r\n";
    EXPECT(carried.parse(carriedText, error));
    EXPECT(carried.shortcuts.size() == 1 && carried.shortcuts[0].description == L"Need help? Ask" &&
           carried.shortcuts[0].parameters == L"/x=1" && carried.shortcuts[0].iconIndex == 2);
    EXPECT(carried.registry.size() == 1 && carried.registry[0].data == L"https://example.com/?a=b" &&
           carried.registry[0].overwrite && !carried.registry[0].uninstall);
    EXPECT(carried.ini.size() == 1 && carried.ini[0].value == L"x=1?y" && !carried.ini[0].uninstall);
    EXPECT(carried.dlls.size() == 1 && carried.dlls[0] == L"<InstallDir>\\a=b.dll");

    // Lines read as the build's profile reader reads them: no comment lines, and a "[" opens a
    // section only when a "]" closes it.
    Description lines;
    EXPECT(
        lines.parse("[Settings]\r\nFileSize=1\r\n[Associations]\r\n  ;ext?<InstallDir>\\a.exe=\r\n"
                    "[odd?<InstallDir>\\b.exe=\r\n#x?<InstallDir>\\c.exe=\r\n",
                    error));
    EXPECT(lines.associations.size() == 3 && lines.associations[0].extension == L";ext" &&
           lines.associations[1].extension == L"[odd" &&
           lines.associations[2].file == L"<InstallDir>\\c.exe");
}

void layoutChecks() {
    std::vector<ByteRange> cabs;
    std::wstring error;
    const ByteRange description{1000 + 30 + 40, 500};
    EXPECT(layOutCabinets(1000, {30, 40}, description, cabs, error) && cabs.size() == 2 &&
           cabs[1].offset == 1030);
    EXPECT(!layOutCabinets(1000, {30, 39}, description, cabs, error));  // a gap
    EXPECT(!layOutCabinets(1000, {30, 41}, description, cabs, error));  // an overlap
    EXPECT(!layOutCabinets(2000, {}, description, cabs, error));        // stub past the payload
    // Lengths chosen to wrap a 64-bit sum must not pass.
    EXPECT(!layOutCabinets(1000, {0xFFFFFFFFFFFFFFF0ull, 0x60}, description, cabs, error));
}

void logChecks() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path = std::wstring(temp) + L"corvane-log-test.log";
    UninstallLog log;
    log.add(LogKind::File, {L"C:\\odd\\name\twith tab\\and\\\\double.txt"});
    log.add(LogKind::Text, {L"UninstallDone", L"Zeile eins\r\nZeile zwei — готово"});
    log.add(LogKind::IniValue, {L"C:\\x.ini", L"", L"key"});
    EXPECT(log.save(path));
    UninstallLog back;
    EXPECT(back.load(path));
    EXPECT(back.records().size() == 3);
    if (back.records().size() == 3) {
        EXPECT(back.records()[0].fields[0] == log.records()[0].fields[0]);
        EXPECT(back.text(L"UninstallDone", L"") == L"Zeile eins\r\nZeile zwei — готово");
        EXPECT(back.records()[2].fields.size() == 3 && back.records()[2].fields[1].empty());
    }
    DeleteFileW(path.c_str());
    EXPECT(!back.load(path));
}

void languageChecks() {
    LanguageStrings s;
    EXPECT(s.parse("[Language]\nName=Test\n[Strings]\nWelcomeTitle=Hallo %1\\nzwei\nFinishSite=\n"));
    EXPECT(s.name() == L"Test");
    EXPECT(s.text(L"welcometitle") == L"Hallo %1\r\nzwei");
    EXPECT(s.text(L"FinishSite") == L"Visit the &web site");  // empty falls back to English
    EXPECT(formatText(s.text(L"SetupCaption"), {L"App"}) == L"App Setup");
}

void numberChecks() {
    std::uint32_t v = 0;
    EXPECT(parseDword(L"4294967295", v) && v == 0xFFFFFFFFu);
    EXPECT(parseDword(L"-1", v) && v == 0xFFFFFFFFu);
    EXPECT(parseDword(L"0x1F", v) && v == 31);
    EXPECT(!parseDword(L"4294967296", v));
    EXPECT(!parseDword(L"12abc", v));
    EXPECT(!parseDword(L"", v));
}

// The expected key was computed by Python's hashlib.pbkdf2_hmac over the password's UTF-8 bytes,
// so the build's hash (libcrypto) and the setup's check (bcrypt.dll) meet in one known value.
void passwordChecks() {
    const std::wstring salt = L"000102030405060708090a0b0c0d0e0f";
    const std::wstring key = L"870877cdce4be9a3428582b0290040fb66ee11c4b7b5b7c76ab051c096634fb0";
    const std::wstring stored = L"pbkdf2-sha256:1000:" + salt + L":" + key;
    EXPECT(passwordMatches(L"Sesam \u00f6ffne", stored));
    EXPECT(!passwordMatches(L"Sesam offne", stored));
    EXPECT(!passwordMatches(L"", stored));
    // Anything but a well-formed hash matches nothing, the plain password least of all.
    EXPECT(!passwordMatches(L"Sesam \u00f6ffne", L"Sesam \u00f6ffne"));
    EXPECT(!passwordMatches(L"", L""));
    EXPECT(!passwordMatches(L"Sesam \u00f6ffne", L"pbkdf2-sha256:0:" + salt + L":" + key));
    EXPECT(!passwordMatches(L"Sesam \u00f6ffne", L"pbkdf2-sha256:99999999999:" + salt + L":" + key));
    EXPECT(!passwordMatches(L"Sesam \u00f6ffne", L"pbkdf2-sha1:1000:" + salt + L":" + key));
    EXPECT(!passwordMatches(L"Sesam \u00f6ffne", L"pbkdf2-sha256:1000:" + salt + L":" + key.substr(2)));
    EXPECT(!passwordMatches(L"Sesam \u00f6ffne", L"pbkdf2-sha256:1000:xyz:" + key));
}

// The property sheet keeps pointers to these texts: they must stay put as more arrive, and a
// text past the capacity must not land outside the array.
void pageTextChecks() {
    PageTexts<2> texts;
    const wchar_t* caption = texts.keep(L"Setup - Demo");
    const wchar_t* title = texts.keep(std::wstring(200, L'T'));
    EXPECT(texts.keep(L"one too many")[0] == L'\0');
    EXPECT(texts.size() == 2);
    EXPECT(std::wstring(caption) == L"Setup - Demo");
    EXPECT(std::wstring(title) == std::wstring(200, L'T'));
}

}  // namespace

int wmain() {
    pathChecks();
    targetPathCases();
    expansionChecks();
    descriptionChecks();
    layoutChecks();
    logChecks();
    languageChecks();
    numberChecks();
    passwordChecks();
    pageTextChecks();
    std::printf(g_failures ? "%d failure(s)\n" : "PASS\n", g_failures);
    return g_failures;
}
