#pragma once

// Destinations of Files rows that Setup.exe refuses and some it installs, shared by the
// builder's tests (the build must refuse exactly these) and the runtime's logic tests under
// wine (Setup.exe refuses exactly these). Plain C++, compiled by both compilers.
//
// The setups these rows come from have AppName "My: App" and install to C:\Apps\Mine.

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
    {"<InstallDir>\\\xC3\x9C"
     "ber \xC3\xA4.txt",
     true},
};

}  // namespace corvane::test
