#pragma once

// What one run of Setup.exe changed, kept so that a failure can put the machine back as it
// was. The uninstall log says what the program owns; this journal says what the run touched,
// whatever the uninstall flags: every file, folder, key and value it created, and the old
// contents of everything it replaced. A replaced file is moved aside (or, when it is edited in
// place like an INI file, copied aside) and only deleted once the whole run has succeeded, so
// a failed upgrade leaves the previous installation exactly as it was.
//
// Only the first touch of a file or value counts: a second write of the same path in one run
// changes nothing about what undoing must restore.

#include <windows.h>

#include <string>
#include <vector>

namespace corvane::rt {

class Rollback {
public:
    Rollback() = default;
    Rollback(const Rollback&) = delete;
    Rollback& operator=(const Rollback&) = delete;
    ~Rollback();

    // Before a file is written anew: an existing one is moved aside. A folder in its place is
    // an error, reported before anything moves.
    bool replacing(const std::wstring& path, std::wstring& error);
    // Before a file is changed in place: an existing one is copied aside.
    bool modifying(const std::wstring& path, std::wstring& error);
    void createdFolder(const std::wstring& folder);
    // Before a registry value is written: remembers whether it existed, and its type and data.
    void writingValue(HKEY root, const std::wstring& subkey, const std::wstring& name);
    // A key of which created is the first part that did not exist.
    void createdKey(HKEY root, const std::wstring& subkey, const std::wstring& created);
    // A server registered by this run; one whose file the run brought is unregistered again.
    void registeredServer(const std::wstring& path);

    // The run succeeded: the copies kept aside are deleted.
    void commit();
    // The run failed: everything is undone, newest first.
    void undo();

private:
    enum class Kind { File, Folder, Value, Key, Server };
    struct Entry {
        Kind kind;
        std::wstring path;    // file, folder or subkey
        std::wstring backup;  // File: the kept copy, empty when the run created the file
        HKEY root = nullptr;
        std::wstring name;  // Value: its name; Key: the first created part
        bool existed = false;
        DWORD type = 0;
        std::vector<BYTE> data;
    };

    bool keep(const std::wstring& path, bool move, std::wstring& error);
    bool touched(Kind kind, const std::wstring& path, HKEY root = nullptr,
                 const std::wstring& name = {}) const;

    std::vector<Entry> m_entries;
};

}  // namespace corvane::rt
