// Setup.exe: checks its own file, then installs silently (/S or Silent=1) or through the
// wizard. Switches: /S, /D=folder (last, may hold blanks), /LANG=name, /PASSWORD=text,
// /NORESTART, /LOG=file, /?. Exit code 0 only when everything was installed.

#include <windows.h>
// after windows.h, which they need
#include <shellapi.h>

#include "ExitCodes.h"
#include "InstallActions.h"
#include "PasswordCheck.h"
#include "PathExpander.h"
#include "SetupSession.h"
#include "Text.h"
#include "WizardPages.h"

using namespace corvane::rt;
using corvane::contract::Setting;

namespace {

constexpr wchar_t kUsage[] =
    L"Setup switches:\n\n"
    L"/S \u2013 install silently, without the wizard\n"
    L"/D=folder \u2013 the installation folder (last on the line)\n"
    L"/LANG=name \u2013 the language, such as Deutsch\n"
    L"/PASSWORD=text \u2013 the password, for a silent installation\n"
    L"/NORESTART \u2013 never restart the computer\n"
    L"/LOG=file \u2013 write what was installed, replaced, skipped and failed\n"
    L"/? \u2013 show this list\n\n"
    L"The password only gates the wizard; it does not encrypt the files in the setup.\n\n"
    L"Exit codes: 0 installed, 1 cancelled or wrong password, 2 damaged setup, 3 installation failed "
    L"(rolled back), 4 unusable switch.";

// Every message of the run, for /LOG=.
std::vector<std::wstring>* g_report = nullptr;

// A log that was asked for and cannot be written is said on standard error, where a script that
// asked for it looks, with the system's reason; the exit code stays the installation's.
void writeReport(const std::wstring& path, const std::vector<std::wstring>& lines, int exitCode) {
    std::string text;
    for (const std::wstring& line : lines)
        text += toUtf8(line) + "\r\n";
    text += "Exit code: " + std::to_string(exitCode) + "\r\n";
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool ok = h != INVALID_HANDLE_VALUE;
    DWORD failure = ok ? ERROR_SUCCESS : GetLastError();
    if (ok) {
        ok = WriteFile(h, text.data(), DWORD(text.size()), &written, nullptr) && written == text.size();
        if (!ok) failure = GetLastError();
        ok = CloseHandle(h) && ok;
    }
    if (ok) return;
    const std::string message =
        toUtf8(L"Setup: cannot write the log " + path + L": " + systemError(failure) + L"\r\n");
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err && err != INVALID_HANDLE_VALUE)
        WriteFile(err, message.data(), DWORD(message.size()), &written, nullptr);
}

class SilentObserver : public InstallObserver {
public:
    void status(const std::wstring&) override {}
    void progress(unsigned) override {}
};

SetupOptions parseCommandLine(const wchar_t* commandLine) {
    SetupOptions options;
    std::wstring line(commandLine);
    // /D= takes the rest of the line, so a folder with blanks needs no quotes; a launcher that
    // quotes the whole switch ("/D=C:\My App") is understood too.
    std::size_t d = line.find(L" /D=");
    std::size_t skip = 4;
    if (d == std::wstring::npos) {
        d = line.find(L" \"/D=");
        skip = 5;
    }
    if (d != std::wstring::npos) {
        std::wstring folder = trimmed(line.substr(d + skip));
        if (!folder.empty() && folder.front() == L'"') folder.erase(folder.begin());
        if (!folder.empty() && folder.back() == L'"') folder.pop_back();
        options.installDir = folder;
        line.resize(d);
    }
    int count = 0;
    wchar_t** args = CommandLineToArgvW(line.c_str(), &count);
    for (int i = 1; args && i < count; ++i) {
        const std::wstring a = args[i];
        if (equalsNoCase(a, L"/S"))
            options.silent = true;
        else if (equalsNoCase(a, L"/NORESTART"))
            options.noRestart = true;
        else if (a.size() > 6 && equalsNoCase(a.substr(0, 6), L"/LANG="))
            options.language = a.substr(6);
        else if (a.size() > 10 && equalsNoCase(a.substr(0, 10), L"/PASSWORD="))
            options.password = a.substr(10);
        else if (a.size() > 5 && equalsNoCase(a.substr(0, 5), L"/LOG="))
            options.logPath = a.substr(5);
        else if (a == L"/?")
            options.help = true;
    }
    if (args) LocalFree(args);
    return options;
}

int runSilent(SetupSession& session, const SetupOptions& options, std::vector<std::wstring>& report) {
    const Description& d = session.description();
    std::wstring error;
    if (d.flag(Setting::Protect) && !passwordMatches(options.password, d.text(Setting::Password))) {
        reportError(session, options,
                    options.password.empty()
                        ? L"This setup is password protected: a silent installation needs /PASSWORD=."
                        : L"The password given with /PASSWORD= is not correct.");
        return kExitCancelled;
    }
    std::wstring folder = session.proposedInstallDir();
    if (!options.installDir.empty() && !PathExpander::normalisePath(options.installDir, folder)) {
        reportError(session, options, L"Not a valid installation folder: " + options.installDir);
        return kExitBadArguments;
    }
    if (folder.empty()) {
        reportError(session, options,
                    L"The installation folder cannot be determined: " + d.text(Setting::InstallDir));
        return kExitFailed;
    }
    PathExpander variables(d, session.setupFolder());
    variables.setInstallDir(folder);
    Installer installer(session.file(), d, session.cabinets(), session.fileSizes(), variables,
                        session.strings());
    SilentObserver observer;
    const bool ok = installer.prepare(error) && installer.run(observer, error);
    report.insert(report.end(), installer.report().begin(), installer.report().end());
    if (!ok) {
        reportError(session, options, error);
        return kExitFailed;
    }
    return kExitSuccess;
}

}  // namespace

namespace corvane::rt {

void reportError(const SetupSession& session, const SetupOptions& options, const std::wstring& message) {
    if (g_report) g_report->push_back(L"Error: " + message);
    if (options.silent) {
        // No window in a silent run: the message goes to the standard error of whoever
        // started the setup, for scripts and logs.
        const std::string bytes = toUtf8(L"Setup: " + message + L"\r\n");
        DWORD written = 0;
        HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
        if (err && err != INVALID_HANDLE_VALUE)
            WriteFile(err, bytes.data(), DWORD(bytes.size()), &written, nullptr);
        return;
    }
    const std::wstring name = session.description().text(Setting::AppName);
    const std::wstring caption = name.empty() ? L"Setup" : formatText(session.text(L"SetupCaption"), {name});
    MessageBoxW(nullptr, message.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace corvane::rt

namespace {
int runSetup(HINSTANCE instance, SetupOptions& options);
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    SetupOptions options = parseCommandLine(GetCommandLineW());
    if (options.help) {
        MessageBoxW(nullptr, kUsage, L"Setup", MB_OK | MB_ICONINFORMATION);
        return kExitSuccess;
    }
    std::vector<std::wstring> report;
    g_report = &report;
    const int code = runSetup(instance, options);
    if (!options.logPath.empty()) writeReport(options.logPath, report, code);
    return code;
}

namespace {

int runSetup(HINSTANCE instance, SetupOptions& options) {
    std::vector<std::wstring>& report = *g_report;
    std::wstring exe(32768, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size())));
    SetupSession session;
    std::wstring error;
    if (!session.open(exe, error)) {
        reportError(session, options, error);
        return kExitDamaged;
    }
    if (session.description().flag(Setting::Silent)) options.silent = true;
    if (!options.language.empty()) session.chooseLanguage(options.language);
    if (session.language().empty()) session.chooseLanguage(session.defaultLanguage());
    return options.silent ? runSilent(session, options, report)
                          : runWizard(instance, session, options, report);
}

}  // namespace
