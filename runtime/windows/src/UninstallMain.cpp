// Uninstall.exe: replays Uninstall.log from its own folder backwards. A running program cannot
// delete its own file, so the uninstaller first copies itself into a folder of its own in the
// temporary folder and starts the copy. The copy removes everything but the original program,
// tells the original how it went and waits for it to end, then deletes it and the folders left
// empty; the copy and its folder go at the next restart.
// The original's exit code is the outcome: 0 removed, 1 cancelled, 2 no uninstall log.
// Switches: /S (silent); "_?=folder" runs in place on that folder.

// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <ntsecapi.h>
#include <sddl.h>
#include <shellapi.h>

#include "FinishActions.h"
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

// The copy's folder lets in administrators and SYSTEM, and the copy inherits that. An elevated
// run leaves the user out, so the user's other, unelevated programs can neither change the copy
// nor put a DLL beside it. A run that is not elevated adds its own user, who could not use the
// folder otherwise.
std::wstring copyFolderAccess(HANDLE token, bool elevated) {
    const std::wstring administrators = L"D:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
    if (elevated) return administrators;
    alignas(TOKEN_USER) BYTE user[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    DWORD size = 0;
    wchar_t* sid = nullptr;
    if (!GetTokenInformation(token, TokenUser, user, sizeof user, &size) ||
        !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(user)->User.Sid, &sid))
        return administrators;
    const std::wstring access = administrators + L"(A;OICI;FA;;;" + sid + L")";
    LocalFree(sid);
    return access;
}

// Creates a new folder with a random name for the copy, with copyFolderAccess, and returns it
// open. Elevated, it lies in Windows' own temporary folder, where other users may add files and
// folders but can neither list, rename nor delete what is not theirs: nobody unelevated can put
// another folder in its place. Not elevated, it lies in the user's temporary folder. A folder of
// that name already there is never used, and while the handle is open (it shares no delete
// access) nobody can rename the folder.
HANDLE makeCopyFolder(std::wstring& folder) {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return INVALID_HANDLE_VALUE;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool elevated = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
                          elevation.TokenIsElevated;
    const std::wstring access = copyFolderAccess(token, elevated);
    CloseHandle(token);
    wchar_t base[MAX_PATH + 1];
    const DWORD length =
        elevated ? GetSystemWindowsDirectoryW(base, MAX_PATH) : GetTempPathW(MAX_PATH + 1, base);
    std::uint64_t random = 0;
    if (!length || length > MAX_PATH || !RtlGenRandom(&random, sizeof random)) return INVALID_HANDLE_VALUE;
    folder = std::wstring(base) + (elevated ? L"\\Temp\\" : L"") + L"corvane-uninstall-" + decimal(random);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(access.c_str(), SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return INVALID_HANDLE_VALUE;
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor, FALSE};
    const bool made = CreateDirectoryW(folder.c_str(), &attributes);
    LocalFree(descriptor);
    return made ? CreateFileW(folder.c_str(), READ_CONTROL, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                              nullptr)
                : INVALID_HANDLE_VALUE;
}

// Starts the copy on the original's folder and waits for its outcome.
int runCopy(const std::wstring& copy, const std::wstring& self, const std::wstring& folder, bool silent) {
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
    if (!CreateProcessW(copy.c_str(), command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    CloseHandle(pi.hThread);
    const HANDLE wait[4] = {events[0], events[1], events[2], pi.hProcess};
    const DWORD which = WaitForMultipleObjects(4, wait, FALSE, INFINITE);
    CloseHandle(pi.hProcess);
    // A copy that ended without a word failed in some unforeseen way.
    return which < WAIT_OBJECT_0 + 3 ? int(which - WAIT_OBJECT_0) : kNoLog;
}

// Runs the removal from a copy in a folder of its own and returns its outcome, or -1 when the
// copy cannot be made or started (the caller then removes in place). The copy only ever starts
// from the file this run wrote into the folder this run created, both held open until the copy
// has answered: the file shares neither write nor delete access, so it cannot be changed or
// replaced meanwhile.
int runFromTemporaryCopy(const std::wstring& self, const std::wstring& folder, bool silent) {
    std::wstring place;
    const HANDLE placeHeld = makeCopyFolder(place);
    if (placeHeld == INVALID_HANDLE_VALUE) return -1;
    const std::wstring copy = place + L"\\Uninstall.exe";
    const HANDLE copyHeld =
        CopyFileW(self.c_str(), copy.c_str(), TRUE)
            ? CreateFileW(copy.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
            : INVALID_HANDLE_VALUE;
    const int outcome = copyHeld != INVALID_HANDLE_VALUE ? runCopy(copy, self, folder, silent) : -1;
    if (copyHeld != INVALID_HANDLE_VALUE) CloseHandle(copyHeld);
    CloseHandle(placeHeld);
    if (outcome < 0) {
        DeleteFileW(copy.c_str());
        RemoveDirectoryW(place.c_str());
    }
    return outcome;
}

int finish(const Options& options, int outcome) {
    if (options.outcome[outcome]) SetEvent(options.outcome[outcome]);
    return outcome;
}

// Removes what the log in options.folder records and returns the outcome.
int uninstall(const Options& options) {
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
        if (!address.empty()) openWithShell(address);
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
    return kRemoved;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Options options = parseCommandLine();
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    const std::wstring selfFolder = self.substr(0, self.rfind(L'\\'));
    if (options.folder.empty()) {
        options.folder = selfFolder;
        const int outcome = runFromTemporaryCopy(self, options.folder, options.silent);
        if (outcome >= 0) return outcome;
        options.original = self;  // no copy: remove in place, this file at the next restart
    }
    const int outcome = uninstall(options);
    // A copy, whatever the outcome, goes at the next restart where that is allowed, and so does
    // the folder made for it: a running program cannot delete its own file.
    if (!options.original.empty() && self != options.original) {
        MoveFileExW(self.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
        if (selfFolder.find(L"\\corvane-uninstall-") != std::wstring::npos)
            MoveFileExW(selfFolder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
    return outcome;
}
