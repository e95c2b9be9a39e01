// Where Setup.exe and Uninstall.exe begin (the linker's entry point). Before anything of the
// program runs, the C runtime's start-up and the constructors included, the search for DLLs is
// restricted to System32 (SystemLibrary.h says why); then the C runtime starts as usual and
// calls wWinMain. Only Windows' own work comes first: mapping the imported DLLs, all of them
// KnownDLLs, and the C runtime's thread-local storage callback, which loads nothing.

#include <windows.h>

#include "SystemLibrary.h"

extern "C" int WinMainCRTStartup();

extern "C" int startWithSystemLibraries() {
    corvane::rt::restrictLibrarySearch();
    return WinMainCRTStartup();
}
