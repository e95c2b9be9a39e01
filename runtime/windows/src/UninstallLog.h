#pragma once

// The uninstall log: what Setup.exe did, written beside Uninstall.exe as Uninstall.log, and
// replayed backwards by Uninstall.exe (and by Setup.exe itself to roll back a failed install).
//
// Format: UTF-8 text, one record per line, fields separated by tabs; a backslash escapes a
// tab (\t), a line break (\n, \r) and itself (\\). The first line is "CorvaneUninstallLog 1".
// The first field is the record's kind:
//
//   T key text                 a translated text for the uninstaller's messages
//   N name                     the application's name
//   W address                  the web page to open after uninstalling
//   D folder                   a folder setup created (removed if empty)
//   F file                     an installed file marked for uninstall
//   S file                     a shortcut
//   R root subkey name         a registry value marked for uninstall
//   K root subkey created      a key setup created; "created" is the first part that was new
//   E file                     an INI file setup created (removed once it holds no section)
//   I file section key         an INI value marked for uninstall
//   A root ext progid previous a file association; "previous" is the extension's old class
//   X file                     a registered OCX/DLL (unregistered before its file goes)
//   P root subkey              the Add/Remove Programs entry (removed last)
//
// Only what setup created or was told to remove is logged, so undoing never touches what the
// user had before.

#include <string>
#include <string_view>
#include <vector>

namespace corvane::rt {

struct LogRecord {
    wchar_t kind = 0;
    std::vector<std::wstring> fields;
};

class UninstallLog {
public:
    void add(wchar_t kind, std::initializer_list<std::wstring_view> fields);
    void append(const LogRecord& record) { m_records.push_back(record); }
    bool save(const std::wstring& path) const;
    bool load(const std::wstring& path);

    std::wstring text(std::wstring_view key, std::wstring_view fallback) const;
    std::wstring first(wchar_t kind) const;
    const std::vector<LogRecord>& records() const { return m_records; }
    void clear() { m_records.clear(); }

private:
    std::vector<LogRecord> m_records;
};

struct UndoResult {
    // Items that were in use: scheduled for removal at the next restart.
    std::vector<std::wstring> deferred;
};

// Undoes the records, newest first; the Add/Remove Programs entry goes last of all. A file
// named by later (the running uninstaller) is left for removeLater().
UndoResult undoRecords(const std::vector<LogRecord>& records, const std::wstring& later = {});
// Calls the file's DllUnregisterServer, when the file is there.
void unregisterServer(const std::wstring& path);
// Removes that file once it is free, then the folders setup created that are empty by now.
void removeLater(const std::vector<LogRecord>& records, const std::wstring& later);

}  // namespace corvane::rt
