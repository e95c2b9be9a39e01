#include "UninstallLog.h"

// windows.h first: the other Windows headers rely on its types.
#include <windows.h>

#include <shlobj.h>

#include "Registry.h"
#include "SystemLibrary.h"
#include "Text.h"

namespace corvane::rt {

using contract::LogKind;

namespace {

constexpr char kHeader[] = "CorvaneUninstallLog 1";

std::wstring escaped(std::wstring_view field) {
    std::wstring out;
    for (const wchar_t c : field) {
        if (c == L'\\')
            out += L"\\\\";
        else if (c == L'\t')
            out += L"\\t";
        else if (c == L'\n')
            out += L"\\n";
        else if (c == L'\r')
            out += L"\\r";
        else
            out += c;
    }
    return out;
}

std::vector<std::wstring> unescapedFields(std::wstring_view line) {
    std::vector<std::wstring> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const wchar_t c = line[i];
        if (c == L'\t')
            fields.emplace_back();
        else if (c == L'\\' && i + 1 < line.size()) {
            const wchar_t n = line[++i];
            fields.back() += n == L't' ? L'\t' : n == L'n' ? L'\n' : n == L'r' ? L'\r' : n;
        } else
            fields.back() += c;
    }
    return fields;
}

void removeFile(const std::wstring& path, UndoResult& result) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesW(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (DeleteFileW(path.c_str())) return;
    if (MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) result.deferred.push_back(path);
}

void removeIniValue(const std::vector<std::wstring>& f) {
    if (f.size() < 4) return;
    WritePrivateProfileStringW(f[2].c_str(), f[3].c_str(), nullptr, f[1].c_str());
    // A section left empty goes too.
    wchar_t probe[4];
    if (GetPrivateProfileSectionW(f[2].c_str(), probe, 4, f[1].c_str()) == 0)
        WritePrivateProfileStringW(f[2].c_str(), nullptr, nullptr, f[1].c_str());
}

void removeAssociation(const std::vector<std::wstring>& f) {
    if (f.size() < 5) return;
    const HKEY root = rootKeyFromName(f[1]);
    if (!root) return;
    const std::wstring classes = L"Software\\Classes\\";
    const std::wstring extKey = classes + f[2];
    std::wstring current;
    // The extension goes back to its old class only while it still names ours.
    if (readString(root, extKey, L"", current) && equalsNoCase(current, f[3])) {
        RegKey key;
        if (key.open(root, extKey, KEY_SET_VALUE | kRegView) == ERROR_SUCCESS) {
            if (f[4].empty())
                RegDeleteValueW(key.get(), nullptr);
            else
                RegSetValueExW(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(f[4].c_str()),
                               DWORD((f[4].size() + 1) * 2));
        }
    }
    if (RegKey key; key.open(root, extKey + L"\\OpenWithProgids", KEY_SET_VALUE | kRegView) == ERROR_SUCCESS)
        RegDeleteValueW(key.get(), f[3].c_str());
    deleteKeyIfEmpty(root, extKey + L"\\OpenWithProgids", extKey);
    if (!f[3].empty()) RegDeleteTreeW(root, (classes + f[3]).c_str());
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

}  // namespace

void unregisterServer(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return;
    OleInitialize(nullptr);
    if (HMODULE module = loadInstalledLibrary(path)) {
        using Entry = HRESULT(STDAPICALLTYPE*)();
        if (auto entry = reinterpret_cast<Entry>(
                reinterpret_cast<void*>(GetProcAddress(module, "DllUnregisterServer"))))
            entry();
        FreeLibrary(module);
    }
    OleUninitialize();
}

void UninstallLog::add(LogKind kind, std::initializer_list<std::wstring_view> fields) {
    LogRecord r{kind, {}};
    for (const std::wstring_view f : fields)
        r.fields.emplace_back(f);
    m_records.push_back(std::move(r));
}

bool UninstallLog::save(const std::wstring& path) const {
    std::string out = std::string(kHeader) + "\r\n";
    for (const LogRecord& r : m_records) {
        std::wstring line(1, wchar_t(r.kind));
        for (const std::wstring& f : r.fields)
            line += L'\t' + escaped(f);
        out += toUtf8(line) + "\r\n";
    }
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(h, out.data(), DWORD(out.size()), &written, nullptr) && written == out.size();
    return CloseHandle(h) && ok;
}

bool UninstallLog::load(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    std::string bytes;
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart < (64 << 20);
    if (ok) {
        bytes.resize(std::size_t(size.QuadPart));
        DWORD got = 0;
        ok = ReadFile(h, bytes.data(), DWORD(bytes.size()), &got, nullptr) && got == bytes.size();
    }
    CloseHandle(h);
    if (!ok || bytes.compare(0, sizeof kHeader - 1, kHeader) != 0) return false;
    const std::wstring text = fromUtf8(bytes);
    std::size_t start = text.find(L'\n');
    m_records.clear();
    while (start != std::wstring::npos && start < text.size()) {
        std::size_t end = text.find(L'\n', start + 1);
        std::wstring line =
            text.substr(start + 1, end == std::wstring::npos ? std::wstring::npos : end - start - 1);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        start = end;
        if (line.size() < 1) continue;
        std::vector<std::wstring> fields = unescapedFields(line);
        // A kind this version does not know is kept: a later setup may have written it.
        const wchar_t kind = fields[0].size() == 1 && fields[0][0] < 128 ? fields[0][0] : 0;
        fields.erase(fields.begin());
        if (kind) m_records.push_back({LogKind(kind), std::move(fields)});
    }
    return true;
}

std::wstring UninstallLog::text(std::wstring_view key, std::wstring_view fallback) const {
    for (const LogRecord& r : m_records)
        if (r.kind == LogKind::Text && r.fields.size() >= 2 && r.fields[0] == key) return r.fields[1];
    return std::wstring(fallback);
}

std::wstring UninstallLog::first(LogKind kind) const {
    for (const LogRecord& r : m_records)
        if (r.kind == kind && !r.fields.empty()) return r.fields[0];
    return {};
}

UndoResult undoRecords(const std::vector<LogRecord>& records, const std::wstring& later) {
    UndoResult result;
    for (auto it = records.rbegin(); it != records.rend(); ++it) {
        const std::vector<std::wstring>& f = it->fields;
        if (f.empty()) continue;
        switch (it->kind) {
            case LogKind::File:
                if (!later.empty() && equalsNoCase(f[0], later)) break;
                removeFile(f[0], result);
                break;
            case LogKind::Shortcut:
                removeFile(f[0], result);
                break;
            case LogKind::Folder:
                RemoveDirectoryW(f[0].c_str());
                break;
            case LogKind::IniFile: {
                wchar_t names[4];
                if (GetPrivateProfileSectionNamesW(names, 4, f[0].c_str()) == 0) removeFile(f[0], result);
                break;
            }
            case LogKind::RegistryValue:
                if (f.size() >= 3)
                    if (const HKEY root = rootKeyFromName(f[0])) {
                        if (RegKey key; key.open(root, f[1], KEY_SET_VALUE | kRegView) == ERROR_SUCCESS)
                            RegDeleteValueW(key.get(), f[2].c_str());
                    }
                break;
            case LogKind::RegistryKey:
                if (f.size() >= 3)
                    if (const HKEY root = rootKeyFromName(f[0])) deleteKeyIfEmpty(root, f[1], f[2]);
                break;
            case LogKind::IniValue:
                removeIniValue({L"", f[0], f.size() > 1 ? f[1] : L"", f.size() > 2 ? f[2] : L""});
                break;
            case LogKind::Association:
                removeAssociation({L"", f[0], f.size() > 1 ? f[1] : L"", f.size() > 2 ? f[2] : L"",
                                   f.size() > 3 ? f[3] : L""});
                break;
            case LogKind::Server:
                unregisterServer(f[0]);
                break;
            default:
                break;
        }
    }
    for (const LogRecord& r : records)
        if (r.kind == LogKind::ProgramsEntry && r.fields.size() >= 2)
            if (const HKEY root = rootKeyFromName(r.fields[0])) RegDeleteTreeW(root, r.fields[1].c_str());
    return result;
}

void removeLater(const std::vector<LogRecord>& records, const std::wstring& later) {
    UndoResult ignored;
    if (!later.empty()) removeFile(later, ignored);
    for (auto it = records.rbegin(); it != records.rend(); ++it)
        if (it->kind == LogKind::Folder && !it->fields.empty()) RemoveDirectoryW(it->fields[0].c_str());
}

}  // namespace corvane::rt
