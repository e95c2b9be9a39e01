// Uninstall.exe: replays Uninstall.log from its own folder backwards. A running program cannot
// delete its own file, so the uninstaller first copies itself to the temporary folder and
// starts the copy. The copy removes everything but the original program, tells the original
// how it went and waits for it to end, then deletes it and the folders left empty.
// The original's exit code is the outcome: 0 removed, 1 cancelled, 2 no uninstall log.
// Switches: /S (silent); "_?=folder" runs in place on that folder.

// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <shellapi.h>

#include "Text.h"
#include "UninstallLog.h"

using namespace corvane::rt;

namespace {

constexpr int kRemoved = 0, kCancelled = 1, kNoLog = 2;
// How long the copy waits for the original to end before it leaves the original's file to
// the next restart.
constexpr DWORD kParentWaitMs = 30000;

struct Options {
    bool silent = false;
    std::wstring folder;      // _?=folder
    std::wstring original;    // /ORIGINAL=path of the program the copy was made from
    HANDLE parent = nullptr;  // /WAIT=handle: the original process
    HANDLE outcome[3] = {};   // /DONE=h0,h1,h2: events for removed, cancelled, no log
};

HANDLE handleFrom(const std::wstring& text) {
    std::uint64_t value = 0;
    return parseUnsigned(text, value) ? reinterpret_cast<HANDLE>(value) : nullptr;
}

Options parseCommandLine() {
    Options o;
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args && i < count; ++i) {
        const std::wstring a = args[i];
        if (equalsNoCase(a, L"/S"))
            o.silent = true;
        else if (a.rfind(L"_?=", 0) == 0)
            o.folder = a.substr(3);
        else if (a.rfind(L"/ORIGINAL=", 0) == 0)
            o.original = a.substr(10);
        else if (a.rfind(L"/WAIT=", 0) == 0)
            o.parent = handleFrom(a.substr(6));
        else if (a.rfind(L"/DONE=", 0) == 0) {
            const std::vector<std::wstring> parts = splitFields(a.substr(6), L',');
            for (std::size_t k = 0; k < 3 && k < parts.size(); ++k)
                o.outcome[k] = handleFrom(parts[k]);
        }
    }
    if (args) LocalFree(args);
    while (o.folder.size() > 3 && o.folder.back() == L'\\')
        o.folder.pop_back();
    return o;
}

// Runs the removal from a copy in the temporary folder and returns its outcome, or -1 when the
// copy cannot be started (the caller then removes in place).
int runFromTemporaryCopy(const std::wstring& self, const std::wstring& folder, bool silent) {
    wchar_t temp[MAX_PATH];
    if (!GetTempPathW(MAX_PATH, temp)) return -1;
    const std::wstring copy =
        std::wstring(temp) + L"corvane-uninstall-" + decimal(GetCurrentProcessId()) + L".exe";
    if (!CopyFileW(self.c_str(), copy.c_str(), FALSE)) return -1;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE me = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me, SYNCHRONIZE, TRUE, 0);
    HANDLE events[3];
    for (HANDLE& e : events)
        e = CreateEventW(&inherit, TRUE, FALSE, nullptr);
    std::wstring command = L"\"" + copy + L"\"" + (silent ? L" /S" : L"") + L" /WAIT=" +
                           decimal(reinterpret_cast<std::uint64_t>(me)) + L" /DONE=" +
                           decimal(reinterpret_cast<std::uint64_t>(events[0])) + L"," +
                           decimal(reinterpret_cast<std::uint64_t>(events[1])) + L"," +
                           decimal(reinterpret_cast<std::uint64_t>(events[2])) + L" \"/ORIGINAL=" + self +
                           L"\" \"_?=" + folder + L"\"";
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                        &pi)) {
        DeleteFileW(copy.c_str());
        return -1;
    }
    CloseHandle(pi.hThread);
    const HANDLE wait[4] = {events[0], events[1], events[2], pi.hProcess};
    const DWORD which = WaitForMultipleObjects(4, wait, FALSE, INFINITE);
    CloseHandle(pi.hProcess);
    // A copy that ended without a word failed in some unforeseen way.
    return which < WAIT_OBJECT_0 + 3 ? int(which - WAIT_OBJECT_0) : kNoLog;
}

void openAddress(const std::wstring& address) {
    SHELLEXECUTEINFOW info{sizeof info};
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    info.lpFile = address.c_str();
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExW(&info);
}

int finish(const Options& options, int outcome) {
    if (options.outcome[outcome]) SetEvent(options.outcome[outcome]);
    return outcome;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Options options = parseCommandLine();
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    if (options.folder.empty()) {
        options.folder = self.substr(0, self.rfind(L'\\'));
        const int outcome = runFromTemporaryCopy(self, options.folder, options.silent);
        if (outcome >= 0) return outcome;
        options.original = self;  // no copy: remove in place, this file at the next restart
    }

    const std::wstring logPath = options.folder + L"\\Uninstall.log";
    UninstallLog log;
    const bool loaded = log.load(logPath);
    const std::wstring name = loaded ? log.first(corvane::contract::LogKind::Name) : std::wstring();
    const std::wstring caption =
        formatText(log.text(L"UninstallCaption", L"%1 Uninstall"), {name.empty() ? L"Setup" : name});
    if (!loaded) {
        if (!options.silent)
            MessageBoxW(
                nullptr,
                formatText(
                    log.text(L"UninstallNoLog",
                             L"The uninstall information was not found. %1 cannot be removed automatically."),
                    {name})
                    .c_str(),
                caption.c_str(), MB_OK | MB_ICONERROR);
        return finish(options, kNoLog);
    }
    if (!options.silent &&
        MessageBoxW(nullptr, formatText(log.text(L"UninstallConfirm", L"Remove %1?"), {name}).c_str(),
                    caption.c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES)
        return finish(options, kCancelled);

    // The log goes first so the installation folder can be removed with the other folders.
    DeleteFileW(logPath.c_str());
    const UndoResult result = undoRecords(log.records(), options.original);
    if (!options.silent) {
        const wchar_t* key = result.deferred.empty() ? L"UninstallDone" : L"UninstallDeferred";
        MessageBoxW(nullptr, formatText(log.text(key, L"%1 was removed."), {name}).c_str(), caption.c_str(),
                    MB_OK | MB_ICONINFORMATION);
        const std::wstring address = log.first(corvane::contract::LogKind::WebPage);
        if (!address.empty()) openAddress(address);
    }
    finish(options, kRemoved);

    // The original program ends once it has the outcome; then its file and folder can go.
    if (options.parent) {
        WaitForSingleObject(options.parent, kParentWaitMs);
        CloseHandle(options.parent);
    }
    removeLater(log.records(), options.original);
    if (GetFileAttributesW(options.original.c_str()) != INVALID_FILE_ATTRIBUTES)
        MoveFileExW(options.original.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    // This copy lives in the temporary folder: gone at the next restart where that is allowed.
    if (self != options.original) MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    return kRemoved;
}
