// Uninstall.exe: replays Uninstall.log from its own folder backwards. A running program cannot
// delete its own file, so the uninstaller first copies itself to the temporary folder and
// starts the copy, which waits for the original to end and then removes everything, the
// original included. Switches: /S (silent); "_?=folder" runs in place on that folder (the copy
// is started so).

#include <windows.h>
#include <shellapi.h>

#include "Text.h"
#include "UninstallLog.h"

using namespace corvane::rt;

namespace {

struct Options {
    bool silent = false;
    std::wstring folder;     // _?=folder
    HANDLE parent = nullptr; // /WAIT=handle: the original process, to wait for
};

Options parseCommandLine() {
    Options o;
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        const std::wstring a = args[i];
        if (equalsNoCase(a, L"/S")) o.silent = true;
        else if (a.rfind(L"_?=", 0) == 0) o.folder = a.substr(3);
        else if (a.rfind(L"/WAIT=", 0) == 0) {
            std::uint64_t value = 0;
            if (parseUnsigned(a.substr(6), value)) o.parent = reinterpret_cast<HANDLE>(value);
        }
    }
    if (args) LocalFree(args);
    while (o.folder.size() > 3 && o.folder.back() == L'\\') o.folder.pop_back();
    return o;
}

// Starts a copy of this program from the temporary folder; true when it runs.
bool startTemporaryCopy(const std::wstring& self, const std::wstring& folder, bool silent) {
    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp)) return false;
    const std::wstring copy = std::wstring(temp) + L"corvane-uninstall-" + decimal(GetCurrentProcessId()) + L".exe";
    if (!CopyFileW(self.c_str(), copy.c_str(), FALSE)) return false;
    HANDLE me = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me, SYNCHRONIZE, TRUE, 0);
    std::wstring command = L"\"" + copy + L"\"" + (silent ? L" /S" : L"") + L" /WAIT=" +
                           decimal(reinterpret_cast<std::uint64_t>(me)) + L" \"_?=" + folder + L"\"";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        DeleteFileW(copy.c_str());
        return false;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

void openAddress(const std::wstring& address) {
    SHELLEXECUTEINFOW info{sizeof info};
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = address.c_str();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&info);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Options options = parseCommandLine();
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    const bool inPlace = !options.folder.empty();
    if (!inPlace) {
        options.folder = self.substr(0, self.rfind(L'\\'));
        if (startTemporaryCopy(self, options.folder, options.silent)) return 0;
    }
    if (options.parent) {
        WaitForSingleObject(options.parent, 30000);
        CloseHandle(options.parent);
    }

    const std::wstring logPath = options.folder + L"\\Uninstall.log";
    UninstallLog log;
    const bool loaded = log.load(logPath);
    const std::wstring name = loaded ? log.first(L'N') : std::wstring();
    const std::wstring caption = formatText(log.text(L"UninstallCaption", L"%1 Uninstall"), {name.empty() ? L"Setup" : name});
    if (!loaded) {
        if (!options.silent)
            MessageBoxW(nullptr, formatText(log.text(L"UninstallNoLog", L"The uninstall information was not found. %1 cannot be removed automatically."), {name}).c_str(),
                        caption.c_str(), MB_OK | MB_ICONERROR);
        return 2;
    }
    if (!options.silent &&
        MessageBoxW(nullptr, formatText(log.text(L"UninstallConfirm", L"Remove %1?"), {name}).c_str(), caption.c_str(),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return 1;

    // The log goes first so the installation folder can be removed with the other folders.
    DeleteFileW(logPath.c_str());
    const UndoResult result = undoRecords(log.records());
    if (inPlace && self.rfind(options.folder + L"\\", 0) != 0) MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);

    if (!options.silent) {
        const wchar_t* key = result.deferred.empty() ? L"UninstallDone" : L"UninstallDeferred";
        MessageBoxW(nullptr, formatText(log.text(key, L"%1 was removed."), {name}).c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
        const std::wstring address = log.first(L'W');
        if (!address.empty()) openAddress(address);
    }
    return 0;
}
