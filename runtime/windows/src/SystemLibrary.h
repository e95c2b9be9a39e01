#pragma once

// Where Setup.exe and Uninstall.exe take their DLLs from. Both run elevated from a folder that
// other programs of the user can write to (a downloads folder, the temporary folder), and
// Windows looks for a DLL that is not a KnownDLL in the program's own folder first. So:
// - the programs import only KnownDLLs, which Windows maps from its own copies (the list, with
//   the reason for each, is in tests/runtime/KnownImports.sh, which checks it);
// - the process starts in startWithSystemLibraries (ProcessStart.cpp), which restricts the search
//   for every DLL loaded later to System32 before the C runtime, a constructor or wWinMain runs;
// - every other system DLL (cabinet, bcrypt, comctl32, msftedit, riched20) is loaded by name
//   from System32 only, through loadSystemLibrary;
// - an installed server is loaded by its full path, with its own dependencies taken from its
//   folder and System32, never from the folder the setup was started in.
// runtime/README.md lists what is loaded and from where.

#include <windows.h>

#include <string>

namespace corvane::rt {

// Restricts the DLL search of this process to System32. Windows 7 without update KB2533623
// lacks the means: there the current folder at least leaves the search, and
// loadSystemLibrary names System32 in full.
void restrictLibrarySearch();

// A DLL of Windows (a bare name such as L"cabinet.dll") from System32, or nullptr.
HMODULE loadSystemLibrary(const wchar_t* name);

// An installed DLL by its full path; what it imports comes from its own folder and System32.
// nullptr with GetLastError() when it cannot be loaded.
HMODULE loadInstalledLibrary(const std::wstring& path);

// A function of a loaded DLL, typed as its declaration: systemFunction<decltype(FDICreate)>(...).
// nullptr when the DLL is missing or does not have it.
template <class F>
F* systemFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace corvane::rt
