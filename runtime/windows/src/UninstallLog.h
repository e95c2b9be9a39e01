#pragma once

// The uninstall log: what Setup.exe did, written beside Uninstall.exe as Uninstall.log, and
// replayed backwards by Uninstall.exe (and by Setup.exe itself to roll back a failed install).
//
// Format: UTF-8 text, one record per line, fields separated by tabs; a backslash escapes a
// tab (\t), a line break (\n, \r) and itself (\\). The first line is "CorvaneUninstallLog 1".
// The first field is the record's kind, one letter; the kinds and their fields are listed in
// contract/UninstallRecords.h.
//
// Only what setup created or was told to remove is logged, so undoing never touches what the
// user had before.

#include <string>
#include <string_view>
#include <vector>

#include "contract/UninstallRecords.h"

namespace corvane::rt {

struct LogRecord {
    contract::LogKind kind = contract::LogKind::Text;
    std::vector<std::wstring> fields;
};

class UninstallLog {
public:
    void add(contract::LogKind kind, std::initializer_list<std::wstring_view> fields);
    void append(const LogRecord& record) { m_records.push_back(record); }
    bool save(const std::wstring& path) const;
    bool load(const std::wstring& path);

    std::wstring text(std::wstring_view key, std::wstring_view fallback) const;
    std::wstring first(contract::LogKind kind) const;
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
