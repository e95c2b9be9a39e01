// A witness for the wine suites, built twice with the runtime's compiler.
// As a DLL (CORVANE_PLANTED_LIBRARY), planted under the names of system DLLs beside a setup: a
// process that loads it leaves "<the DLL's path>.ran" beside it.
// As a program, offered by a setup's finish page: it writes the file name of the program that
// started it to "<its own path>.parent" (explorer.exe when the desktop's shell started it).
#include <windows.h>
// after windows.h, which it needs
#include <tlhelp32.h>

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

#else

int main() {
    PROCESSENTRY32W entry{sizeof entry};
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    DWORD parent = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
    const wchar_t* name = L"(unknown)";
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
        if (entry.th32ProcessID == parent) {
            name = entry.szExeFile;
            break;
        }
    wchar_t path[MAX_PATH + 16];
    besideSelf(nullptr, L".parent", path);
    leave(path, name);
    return 0;
}

#endif
