// A witness for the wine suites, built with the runtime's compiler.
// As a DLL (CORVANE_PLANTED_LIBRARY), planted under the names of system DLLs beside a setup: a
// process that loads it leaves "<the DLL's path>.ran" beside it.
#include <windows.h>

namespace {

void leave(const wchar_t* path, const wchar_t* text) {
    const HANDLE h =
        CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(h, text, DWORD(lstrlenW(text) * sizeof(wchar_t)), &written, nullptr);
    CloseHandle(h);
}

void besideSelf(HMODULE self, const wchar_t* suffix, wchar_t (&path)[MAX_PATH + 16]) {
    const DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    lstrcpyW(path + length, suffix);
}

}  // namespace

#ifdef CORVANE_PLANTED_LIBRARY

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        wchar_t path[MAX_PATH + 16];
        besideSelf(self, L".ran", path);
        leave(path, L"");
    }
    return TRUE;
}

#endif
