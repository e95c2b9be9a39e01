#include "PathVariables.h"

// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <shlobj.h>

#include "DescriptionReader.h"
#include "Text.h"

namespace corvane::rt {

namespace {

struct CsidlToken {
    const wchar_t* name;
    int csidl;
};

constexpr CsidlToken kCsidlTokens[] = {
    {L"ProgramFiles", CSIDL_PROGRAM_FILES},
    {L"CommonFiles", CSIDL_PROGRAM_FILES_COMMON},
    {L"FontsDir", CSIDL_FONTS},
    {L"MyDocuments", CSIDL_PERSONAL},
    {L"SentTo", CSIDL_SENDTO},
    {L"Favorites", CSIDL_FAVORITES},
    {L"Templates", CSIDL_TEMPLATES},
    {L"AppData", CSIDL_APPDATA},
    {L"LocalAppData", CSIDL_LOCAL_APPDATA},
    {L"LocalSettings", CSIDL_LOCAL_APPDATA},
    {L"UserProfile", CSIDL_PROFILE},
    {L"Desktop", CSIDL_DESKTOPDIRECTORY},
    {L"StartMenu", CSIDL_STARTMENU},
    {L"ProgramsDir", CSIDL_PROGRAMS},
    {L"StartUp", CSIDL_STARTUP},
    {L"CommonDesktop", CSIDL_COMMON_DESKTOPDIRECTORY},
    {L"CommonStartMenu", CSIDL_COMMON_STARTMENU},
    {L"CommonProgramsDir", CSIDL_COMMON_PROGRAMS},
    {L"CommonStartUp", CSIDL_COMMON_STARTUP},
    {L"CommonFavorites", CSIDL_COMMON_FAVORITES},
    {L"CommonAppData", CSIDL_COMMON_APPDATA},
    {L"CommonMyDocuments", CSIDL_COMMON_DOCUMENTS},
    {L"CommonTemplates", CSIDL_COMMON_TEMPLATES},
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

// A setting used inside a path keeps only what a file name may hold.
std::wstring forFileName(std::wstring_view text) {
    std::wstring out;
    for (const wchar_t c : text)
        if (c >= 32 && !wcschr(L"\\/:*?\"<>|", c)) out += c;
    return trimmed(out);
}

std::wstring environment(const wchar_t* name) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(name, buf, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(buf, n) : std::wstring();
}

}  // namespace

PathVariables::PathVariables(const Description& description, std::wstring setupFolder)
    : m_description(description), m_setupFolder(withoutTrailingSlash(std::move(setupFolder))) {}

std::wstring PathVariables::programGroupFolder() const {
    const int menu = m_description.flag(L"AllUsersMenu") ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS;
    std::wstring group, error;
    expand(m_description.text(L"ProgramGroup"), true, group, error);
    // The group is one folder name, or a few nested ones; nothing that climbs out of the menu.
    std::wstring clean;
    for (const std::wstring& part : splitFields(group, L'\\')) {
        const std::wstring p = forFileName(part);
        if (p.empty() || p == L"." || p == L"..") continue;
        clean += L'\\' + p;
    }
    if (clean.empty()) clean = L'\\' + forFileName(m_description.text(L"AppName"));
    return shellFolder(menu) + clean;
}

bool PathVariables::folder(std::wstring_view name, bool forPath, std::wstring& out) const {
    for (const CsidlToken& t : kCsidlTokens)
        if (name == t.name) {
            out = shellFolder(t.csidl);
            return !out.empty();
        }
    wchar_t buf[MAX_PATH];
    if (name == L"InstallDir")
        out = m_installDir;
    else if (name == L"WindowsDir")
        out = GetSystemWindowsDirectoryW(buf, MAX_PATH) ? buf : L"";
    else if (name == L"SystemDir")
        out = GetSystemDirectoryW(buf, MAX_PATH) ? buf : L"";
    else if (name == L"TempDir")
        out = GetTempPathW(MAX_PATH, buf) ? buf : L"";
    else if (name == L"SystemDrive") {
        out = environment(L"SystemDrive");
        if (out.empty() && GetSystemWindowsDirectoryW(buf, MAX_PATH)) out.assign(buf, 2);
        return !out.empty();
    } else if (name == L"CurrentDir")
        out = m_setupFolder;
    else if (name == L"AllUserProfile") {
        out = environment(L"ALLUSERSPROFILE");
        if (out.empty()) out = shellFolder(CSIDL_COMMON_APPDATA);
    } else if (name == L"QuickLaunch") {
        out = shellFolder(CSIDL_APPDATA) + L"\\Microsoft\\Internet Explorer\\Quick Launch";
    } else if (name == L"ProgramGroup")
        out = programGroupFolder();
    else if (name == L"ProgramsMenu")
        out = shellFolder(m_description.flag(L"AllUsersMenu") ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS);
    else if (name == L"AppName" || name == L"AppVersion" || name == L"CompanyName") {
        const std::wstring v = m_description.text(name);
        out = forPath ? forFileName(v) : v;
        return true;
    } else
        return false;
    out = withoutTrailingSlash(out);
    return !out.empty();
}

bool PathVariables::expand(std::wstring_view text, bool forPath, std::wstring& out,
                           std::wstring& error) const {
    out.clear();
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != L'<') {
            out += text[i];
            continue;
        }
        const std::size_t close = text.find(L'>', i);
        if (close == std::wstring_view::npos) {
            out += text.substr(i);
            break;
        }
        const std::wstring_view name = text.substr(i + 1, close - i - 1);
        std::wstring value;
        if (!folder(name, forPath, value)) {
            if (!forPath) {
                // In a value (registry data, an INI value) text in angle brackets may be meant
                // as such; only a path must name real folders.
                out += text.substr(i, close - i + 1);
                i = close;
                continue;
            }
            error = L"Unknown or unavailable path variable <" + std::wstring(name) + L"> in: " +
                    std::wstring(text);
            return false;
        }
        out += value;
        i = close;
    }
    return true;
}

bool PathVariables::expandText(std::wstring_view text, std::wstring& out, std::wstring& error) const {
    return expand(text, false, out, error);
}

bool PathVariables::expandPath(std::wstring_view text, std::wstring& out, std::wstring& error) const {
    std::wstring raw;
    if (!expand(trimmed(text), true, raw, error)) return false;
    if (!normalisePath(raw, out)) {
        error = L"Not a valid absolute path: " + raw + L" (from " + std::wstring(text) + L")";
        return false;
    }
    return true;
}

bool PathVariables::normalisePath(std::wstring_view path, std::wstring& out) {
    std::wstring p(trimmed(path));
    for (wchar_t& c : p)
        if (c == L'/') c = L'\\';
    std::wstring prefix;
    std::wstring_view rest;
    if (p.size() >= 3 && iswalpha(p[0]) && p[1] == L':' && p[2] == L'\\') {
        prefix = p.substr(0, 2);
        rest = std::wstring_view(p).substr(3);
    } else if (p.size() >= 3 && p[0] == L'\\' && p[1] == L'\\' && p[2] != L'?' && p[2] != L'.') {
        prefix = L"\\";
        rest = std::wstring_view(p).substr(2);
    } else {
        return false;
    }
    out = prefix;
    unsigned parts = 0;
    for (const std::wstring& part : splitFields(rest, L'\\')) {
        if (part.empty()) continue;
        // "." and ".." would climb out of the folder the description names; a trailing dot or
        // blank is silently dropped by Windows and would name another file.
        if (part == L"." || part == L".." || part.back() == L'.' || part.back() == L' ') return false;
        for (const wchar_t c : part)
            if (c < 32 || wcschr(L":*?\"<>|", c)) return false;
        out += L'\\' + part;
        ++parts;
    }
    if (prefix == L"\\" && parts < 2) return false;  // a UNC path needs server and share
    if (parts == 0) out += L'\\';
    return true;
}

}  // namespace corvane::rt
