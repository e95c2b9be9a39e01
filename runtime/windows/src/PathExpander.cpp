#include "PathExpander.h"

// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <shlobj.h>

#include "DescriptionReader.h"
#include "Text.h"
#include "contract/TargetPaths.h"

namespace corvane::rt {

namespace {

using contract::PathVariable;

struct CsidlFolder {
    PathVariable variable;
    int csidl;
};

constexpr CsidlFolder kCsidlFolders[] = {
    {PathVariable::ProgramFiles, CSIDL_PROGRAM_FILES},
    {PathVariable::CommonFiles, CSIDL_PROGRAM_FILES_COMMON},
    {PathVariable::FontsDir, CSIDL_FONTS},
    {PathVariable::MyDocuments, CSIDL_PERSONAL},
    {PathVariable::SentTo, CSIDL_SENDTO},
    {PathVariable::Favorites, CSIDL_FAVORITES},
    {PathVariable::Templates, CSIDL_TEMPLATES},
    {PathVariable::AppData, CSIDL_APPDATA},
    {PathVariable::LocalAppData, CSIDL_LOCAL_APPDATA},
    {PathVariable::LocalSettings, CSIDL_LOCAL_APPDATA},
    {PathVariable::UserProfile, CSIDL_PROFILE},
    {PathVariable::Desktop, CSIDL_DESKTOPDIRECTORY},
    {PathVariable::StartMenu, CSIDL_STARTMENU},
    {PathVariable::ProgramsDir, CSIDL_PROGRAMS},
    {PathVariable::StartUp, CSIDL_STARTUP},
    {PathVariable::CommonDesktop, CSIDL_COMMON_DESKTOPDIRECTORY},
    {PathVariable::CommonStartMenu, CSIDL_COMMON_STARTMENU},
    {PathVariable::CommonProgramsDir, CSIDL_COMMON_PROGRAMS},
    {PathVariable::CommonStartUp, CSIDL_COMMON_STARTUP},
    {PathVariable::CommonFavorites, CSIDL_COMMON_FAVORITES},
    {PathVariable::CommonAppData, CSIDL_COMMON_APPDATA},
    {PathVariable::CommonMyDocuments, CSIDL_COMMON_DOCUMENTS},
    {PathVariable::CommonTemplates, CSIDL_COMMON_TEMPLATES},
};

std::wstring shellFolder(int csidl) {
    wchar_t buf[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, buf)))
        return {};
    return buf;
}

std::wstring withoutTrailingSlash(std::wstring s) {
    while (s.size() > 3 && (s.back() == L'\\' || s.back() == L'/'))
        s.pop_back();
    return s;
}

std::wstring forFileName(std::wstring_view text) {
    return contract::fileNamePart(text);
}

std::wstring fromAscii(std::string_view text) {
    return std::wstring(text.begin(), text.end());
}

std::wstring environment(const wchar_t* name) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

}  // namespace

PathExpander::PathExpander(const Description& description, std::wstring setupFolder)
    : m_description(description), m_setupFolder(withoutTrailingSlash(std::move(setupFolder))) {}

std::wstring PathExpander::programGroupFolder() const {
    const int menu =
        m_description.flag(contract::Setting::AllUsersMenu) ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    std::wstring group, error;
    // <ProgramGroup> inside the group's own setting would expand itself for ever.
    contract::expandVariables(
        std::wstring_view(m_description.text(contract::Setting::ProgramGroup)),
        [this](PathVariable v, std::wstring& out) {
            return v != PathVariable::ProgramGroup && resolve(v, true, out);
        },
        false, group, error);
    // The group is one folder name, or a few nested ones; nothing that climbs out of the menu.
    std::wstring clean;
    for (const std::wstring& part : splitFields(group, L'\\')) {
        const std::wstring p = forFileName(part);
        if (p.empty() || p == L"." || p == L"..") continue;
        clean += L'\\' + p;
    }
    if (clean.empty()) clean = L'\\' + forFileName(m_description.text(contract::Setting::AppName));
    return shellFolder(menu) + clean;
}

bool PathExpander::resolve(PathVariable variable, bool forPath, std::wstring& out) const {
    for (const CsidlFolder& f : kCsidlFolders)
        if (variable == f.variable) {
            out = shellFolder(f.csidl);
            return !out.empty();
        }
    if (const std::optional<contract::Setting> setting = contract::settingOf(variable)) {
        const std::wstring& v = m_description.text(*setting);
        out = forPath ? forFileName(v) : v;
        return true;
    }
    wchar_t buf[MAX_PATH];
    switch (variable) {
        case PathVariable::InstallDir:
            out = m_installDir;
            break;
        case PathVariable::WindowsDir:
            out = GetSystemWindowsDirectoryW(buf, MAX_PATH) ? buf : L"";
            break;
        case PathVariable::SystemDir:
            out = GetSystemDirectoryW(buf, MAX_PATH) ? buf : L"";
            break;
        case PathVariable::TempDir:
            out = GetTempPathW(MAX_PATH, buf) ? buf : L"";
            break;
        case PathVariable::SystemDrive:
            out = environment(L"SystemDrive");
            if (out.empty() && GetSystemWindowsDirectoryW(buf, MAX_PATH)) out.assign(buf, 2);
            return !out.empty();
        case PathVariable::CurrentDir:
            out = m_setupFolder;
            break;
        case PathVariable::AllUserProfile:
            out = environment(L"ALLUSERSPROFILE");
            if (out.empty()) out = shellFolder(CSIDL_COMMON_APPDATA);
            break;
        case PathVariable::QuickLaunch:
            out = shellFolder(CSIDL_APPDATA) + L"\\Microsoft\\Internet Explorer\\Quick Launch";
            break;
        case PathVariable::ProgramGroup:
            out = programGroupFolder();
            break;
        case PathVariable::ProgramsMenu:
            out = shellFolder(m_description.flag(contract::Setting::AllUsersMenu) ? CSIDL_COMMON_PROGRAMS
                                                                                  : CSIDL_PROGRAMS);
            break;
        default:
            return false;
    }
    out = withoutTrailingSlash(out);
    return !out.empty();
}

bool PathExpander::expandText(std::wstring_view text, std::wstring& out, std::wstring& error) const {
    // In a value (registry data, an INI value) text in angle brackets may be meant as such; only
    // a path must name real folders.
    contract::expandVariables(
        text, [this](PathVariable v, std::wstring& value) { return resolve(v, false, value); }, true, out,
        error);
    return true;
}

bool PathExpander::expandPath(std::wstring_view text, std::wstring& out, std::wstring& error) const {
    const contract::PathCheck<wchar_t> check = contract::expandTargetPath(
        text, [this](PathVariable v, std::wstring& value) { return resolve(v, true, value); });
    if (check.problem == contract::PathProblem::UnknownVariable) {
        error = L"Unknown or unavailable path variable <" + check.detail + L"> in: " + std::wstring(text);
        return false;
    }
    if (!check.ok()) {
        error = L"Not a valid path (it " + fromAscii(contract::describe(check.problem)) + L"): " +
                std::wstring(text);
        return false;
    }
    out = check.path;
    return true;
}

bool PathExpander::normalisePath(std::wstring_view path, std::wstring& out) {
    contract::PathCheck<wchar_t> check = contract::normaliseTargetPath(path);
    if (!check.ok()) return false;
    out = std::move(check.path);
    return true;
}

}  // namespace corvane::rt
