#include "SystemLibrary.h"

namespace corvane::rt {

void restrictLibrarySearch() {
    // Looked up rather than imported: a program importing it would not start at all where it is
    // missing. kernel32 is loaded in every process, so naming it searches nothing.
    const auto restrict =
        systemFunction<BOOL(DWORD)>(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (!restrict || !restrict(LOAD_LIBRARY_SEARCH_SYSTEM32)) SetDllDirectoryW(L"");
}

HMODULE loadSystemLibrary(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return module;
    if (GetLastError() != ERROR_INVALID_PARAMETER) return nullptr;
    // A system without the search flags: System32 by its full path.
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (!length || length >= MAX_PATH) return nullptr;
    return LoadLibraryExW((std::wstring(folder) + L'\\' + name).c_str(), nullptr,
                          LOAD_WITH_ALTERED_SEARCH_PATH);
}

HMODULE loadInstalledLibrary(const std::wstring& path) {
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER)
        module = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    return module;
}

}  // namespace corvane::rt
