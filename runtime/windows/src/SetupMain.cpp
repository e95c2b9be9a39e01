// Setup.exe: checks its own file, then installs silently (/S or Silent=1) or through the
// wizard. Switches: /S, /D=folder (last, may hold blanks), /LANG=name, /PASSWORD=text,
// /NORESTART, /LOG=file, /?, in any letter case; any other switch ends it with exit code 4
// before anything is changed. Exit code 0 only when everything was installed.

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
    L"Any other switch, or a language this setup does not carry, ends the setup before it changes "
    L"anything.\n\n"
    L"The password only gates the wizard; it does not encrypt the files in the setup.\n\n"
    L"Exit codes: 0 installed, 1 cancelled or wrong password, 2 damaged setup, 3 installation failed "
    L"(rolled back), 4 unusable switch.";

// Every message of the run, for /LOG=.
std::vector<std::wstring>* g_report = nullptr;

void writeStandardError(const std::wstring& text) {
    const std::string bytes = toUtf8(text + L"\r\n");
    DWORD written = 0;
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err && err != INVALID_HANDLE_VALUE)
        WriteFile(err, bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

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
    if (!ok) writeStandardError(L"Setup: cannot write the log " + path + L": " + systemError(failure));
}

class SilentObserver : public InstallObserver {
public:
    void status(const std::wstring&) override {}
    void progress(unsigned) override {}
};

// The switch with its value, when arg is "name=value" for that name (in any letter case).
bool valueOf(const std::wstring& arg, std::wstring_view name, std::wstring& value) {
    if (arg.size() < name.size() || !equalsNoCase(std::wstring_view(arg).substr(0, name.size()), name))
        return false;
    value = arg.substr(name.size());
    return true;
}

// Reads the switches (letter case aside, as Windows programs do). Anything else on the line, or a
// switch without the value it needs, goes into refused: the setup then stops with exit code 4
// before it changes anything, rather than doing something other than asked.
SetupOptions parseCommandLine(const wchar_t* commandLine, std::wstring& refused) {
    SetupOptions options;
    std::wstring line(commandLine);
    // /D= takes the rest of the line, so a folder with blanks needs no quotes; a launcher that
    // quotes the whole switch ("/D=C:\My App") is understood too.
    const std::wstring lower = lowered(line);
    std::size_t d = lower.find(L" /d=");
    std::size_t skip = 4;
    if (d == std::wstring::npos) {
        d = lower.find(L" \"/d=");
        skip = 5;
    }
    if (d != std::wstring::npos) {
        std::wstring folder = trimmed(line.substr(d + skip));
        if (!folder.empty() && folder.front() == L'"') folder.erase(folder.begin());
        if (!folder.empty() && folder.back() == L'"') folder.pop_back();
        options.installDir = folder;
        if (folder.empty()) refused = L"The switch /D= needs a folder.";
        line.resize(d);
    }
    int count = 0;
    wchar_t** args = CommandLineToArgvW(line.c_str(), &count);
    for (int i = 1; args && i < count; ++i) {
        const std::wstring a = args[i];
        std::wstring value;
        const wchar_t* problem = nullptr;
        if (equalsNoCase(a, L"/S")) {
            options.silent = true;
        } else if (equalsNoCase(a, L"/NORESTART")) {
            options.noRestart = true;
        } else if (a == L"/?") {
            options.help = true;
        } else if (valueOf(a, L"/LANG=", value)) {
            options.language = value;
            if (value.empty()) problem = L"The switch /LANG= needs a language name.";
        } else if (valueOf(a, L"/PASSWORD=", value)) {
            options.password = value;  // a setup's password may be empty
        } else if (valueOf(a, L"/LOG=", value)) {
            options.logPath = value;
            if (value.empty()) problem = L"The switch /LOG= needs a file name.";
        } else {
            if (refused.empty())
                refused = L"Unknown switch: " + a + L". Run the setup with /? to see the switches it knows.";
            continue;
        }
        if (problem && refused.empty()) refused = problem;
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
        writeStandardError(L"Setup: " + message);
        return;
    }
    const std::wstring name = session.description().text(Setting::AppName);
    const std::wstring caption = name.empty() ? L"Setup" : formatText(session.text(L"SetupCaption"), {name});
    MessageBoxW(nullptr, message.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace corvane::rt

namespace {
int runSetup(HINSTANCE instance, SetupOptions& options, const std::wstring& refusedSwitch);
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    std::wstring refused;
    SetupOptions options = parseCommandLine(GetCommandLineW(), refused);
    if (options.help) {
        MessageBoxW(nullptr, kUsage, L"Setup", MB_OK | MB_ICONINFORMATION);
        return kExitSuccess;
    }
    std::vector<std::wstring> report;
    g_report = &report;
    const int code = runSetup(instance, options, refused);
    if (!options.logPath.empty()) writeReport(options.logPath, report, code);
    return code;
}

namespace {

// A switch the setup cannot follow is said on standard error, where a script looks, and in a box
// unless the run is silent; nothing has been changed yet.
int refuseSwitch(const SetupSession& session, const SetupOptions& options, const std::wstring& message) {
    if (!options.silent) writeStandardError(L"Setup: " + message);
    reportError(session, options, message);
    return kExitBadArguments;
}

int runSetup(HINSTANCE instance, SetupOptions& options, const std::wstring& refusedSwitch) {
    std::vector<std::wstring>& report = *g_report;
    std::wstring exe(32768, L'\0');
    exe.resize(GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size())));
    SetupSession session;
    std::wstring error;
    if (!session.open(exe, error)) {
        reportError(session, options, error);
        return kExitDamaged;
    }
    // Checked once the setup is open: a setup built silent is silent here too, and the box has
    // the application's caption.
    if (session.description().flag(Setting::Silent)) options.silent = true;
    if (!refusedSwitch.empty()) return refuseSwitch(session, options, refusedSwitch);
    if (!options.language.empty()) {
        session.chooseLanguage(options.language);
        if (session.language().empty()) {
            std::wstring offered;
            for (const std::wstring& language : session.languages())
                offered += (offered.empty() ? L"" : L", ") + language;
            return refuseSwitch(session, options,
                                L"This setup has no language " + options.language + L"; it offers " +
                                    (offered.empty() ? L"none" : offered) + L".");
        }
    }
    if (session.language().empty()) session.chooseLanguage(session.defaultLanguage());
    return options.silent ? runSilent(session, options, report)
                          : runWizard(instance, session, options, report);
}

}  // namespace
