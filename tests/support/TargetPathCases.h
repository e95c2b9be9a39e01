#pragma once

// Destinations of Files rows that Setup.exe refuses and some it installs, shared by the
// builder's tests (the build must refuse exactly these) and the runtime's logic tests under
// wine (Setup.exe refuses exactly these). Plain C++, compiled by both compilers.
//
// The setups these rows come from have AppName "My: App" and install to C:\Apps\Mine.

// Long names, spelled out so the table stays constant.
#define CORVANE_TEXT_10 "aaaaaaaaaa"
#define CORVANE_TEXT_50 CORVANE_TEXT_10 CORVANE_TEXT_10 CORVANE_TEXT_10 CORVANE_TEXT_10 CORVANE_TEXT_10
#define CORVANE_TEXT_200 CORVANE_TEXT_50 CORVANE_TEXT_50 CORVANE_TEXT_50 CORVANE_TEXT_50
#define CORVANE_TEXT_250 CORVANE_TEXT_200 CORVANE_TEXT_50
#define CORVANE_UMLAUTS_10 "\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC\xC3\xBC"
#define CORVANE_UMLAUTS_50 \
    CORVANE_UMLAUTS_10 CORVANE_UMLAUTS_10 CORVANE_UMLAUTS_10 CORVANE_UMLAUTS_10 CORVANE_UMLAUTS_10
#define CORVANE_UMLAUTS_200 CORVANE_UMLAUTS_50 CORVANE_UMLAUTS_50 CORVANE_UMLAUTS_50 CORVANE_UMLAUTS_50

namespace corvane::test {

struct TargetPathCase {
    const char* destination;  // UTF-8
    bool installs;
};

inline constexpr TargetPathCase kTargetPathCases[] = {
    // The hostile ones.
    {"..\\..\\evil.dll", false},
    {"<InstallDir>\\..\\..\\Windows\\system32\\x.dll", false},
    {"<AppDir>\\x.dll", false},
    {"<installdir>\\x.dll", false},  // letter case is part of a variable's name
    {"<InstallDir>\\a\"b|c", false},
    {"<InstallDir>\\bell\x07.txt", false},
    {"<InstallDir>\\a\tb.txt", false},
    {"<InstallDir>\\a:stream", false},
    {"<InstallDir>\\CON", false},
    {"<InstallDir>\\Logs\\com1.log", false},
    {"<InstallDir>\\dir.\\x.txt", false},
    {"", false},
    {"<InstallDir>\\Docs\\", false},
    {"<InstallDir>\\a<b.txt", false},
    {"\\\\server", false},
    {"C:x.txt", false},
    // Over Windows' limits in any installation folder: a 259-character folder.
    {"<InstallDir>\\" CORVANE_TEXT_250 "bbbbbbbbb\\x.txt", false},
    // What the setup installs must still build.
    {"<InstallDir>\\a=b.txt", true},
    {"<InstallDir>\\console.txt", true},
    {"<InstallDir>\\COM10.txt", true},
    {"<InstallDir>/Sub//Dir/x.txt", true},
    {"C:\\Tools\\x.exe", true},
    {"\\\\server\\share\\x.dll", true},
    {"<ProgramFiles>\\<AppName>\\x.dll", true},  // ":" is dropped from a name in a path
    {"<SystemDrive>\\x.txt", true},
    {"  <InstallDir>\\padded.txt  ", true},
    {"<InstallDir>\\" CORVANE_TEXT_200 "\\x.txt", true},
    // 200 two-byte letters: 200 characters for Windows, though 400 bytes of UTF-8.
    {"<InstallDir>\\" CORVANE_UMLAUTS_200 ".txt", true},
    {"<InstallDir>\\\xC3\x9C"
     "ber \xC3\xA4.txt",
     true},
};

}  // namespace corvane::test
