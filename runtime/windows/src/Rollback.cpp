#include "Rollback.h"

#include "Registry.h"
#include "Text.h"
#include "UninstallLog.h"

namespace corvane::rt {

namespace {

bool isFolder(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A free name beside path for its kept copy; on the same volume, so moving it is a rename.
std::wstring asideName(const std::wstring& path) {
    std::wstring candidate = path + L".corvane-old";
    for (unsigned n = 2; GetFileAttributesW(candidate.c_str()) != INVALID_FILE_ATTRIBUTES; ++n)
        candidate = path + L".corvane-old" + decimal(n);
    return candidate;
}

void deleteFile(const std::wstring& path) {
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        MoveFileExW(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
}

}  // namespace

Rollback::~Rollback() = default;

bool Rollback::touched(Kind kind, const std::wstring& path, HKEY root, const std::wstring& name) const {
    for (const Entry& e : m_entries)
        if (e.kind == kind && e.root == root && equalsNoCase(e.path, path) && equalsNoCase(e.name, name))
            return true;
    return false;
}

bool Rollback::keep(const std::wstring& path, bool move, std::wstring& error) {
    if (touched(Kind::File, path)) return true;
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (isFolder(attributes)) {
        error = L"Cannot install " + path + L": a folder of that name exists";
        return false;
    }
    Entry e{Kind::File, path};
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        e.backup = asideName(path);
        const bool ok = move ? MoveFileExW(path.c_str(), e.backup.c_str(), 0) != 0
                             : CopyFileW(path.c_str(), e.backup.c_str(), TRUE) != 0;
        if (!ok) {
            error = L"Cannot replace " + path + L": it cannot be kept aside (error " +
                    decimal(GetLastError()) + L")";
            return false;
        }
    }
    m_entries.push_back(std::move(e));
    return true;
}

bool Rollback::replacing(const std::wstring& path, std::wstring& error) {
    return keep(path, true, error);
}
bool Rollback::modifying(const std::wstring& path, std::wstring& error) {
    return keep(path, false, error);
}

void Rollback::createdFolder(const std::wstring& folder) {
    m_entries.push_back({Kind::Folder, folder});
}

void Rollback::writingValue(HKEY root, const std::wstring& subkey, const std::wstring& name) {
    if (touched(Kind::Value, subkey, root, name)) return;
    Entry e{Kind::Value, subkey, {}, root, name};
    RegKey key;
    if (key.open(root, subkey, KEY_QUERY_VALUE | kRegView) == ERROR_SUCCESS) {
        DWORD size = 0;
        if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &e.type, nullptr, &size) == ERROR_SUCCESS) {
            e.data.resize(size);
            e.existed = RegQueryValueExW(key.get(), name.c_str(), nullptr, &e.type, e.data.data(), &size) ==
                        ERROR_SUCCESS;
            e.data.resize(size);
        }
    }
    m_entries.push_back(std::move(e));
}

void Rollback::createdKey(HKEY root, const std::wstring& subkey, const std::wstring& created) {
    m_entries.push_back({Kind::Key, subkey, {}, root, created});
}

void Rollback::registeredServer(const std::wstring& path) {
    // A server whose file was there before keeps its registration: the restored file sits at
    // the same path the registration names.
    for (const Entry& e : m_entries)
        if (e.kind == Kind::File && equalsNoCase(e.path, path) && e.backup.empty()) {
            m_entries.push_back({Kind::Server, path});
            return;
        }
}

void Rollback::commit() {
    for (const Entry& e : m_entries)
        if (e.kind == Kind::File && !e.backup.empty()) deleteFile(e.backup);
    m_entries.clear();
}

void Rollback::undo() {
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        const Entry& e = *it;
        switch (e.kind) {
            case Kind::File:
                deleteFile(e.path);
                if (!e.backup.empty())
                    MoveFileExW(e.backup.c_str(), e.path.c_str(), MOVEFILE_REPLACE_EXISTING);
                break;
            case Kind::Folder:
                RemoveDirectoryW(e.path.c_str());
                break;
            case Kind::Value: {
                RegKey key;
                if (key.open(e.root, e.path, KEY_SET_VALUE | kRegView) != ERROR_SUCCESS) break;
                if (e.existed)
                    RegSetValueExW(key.get(), e.name.c_str(), 0, e.type, e.data.data(), DWORD(e.data.size()));
                else
                    RegDeleteValueW(key.get(), e.name.c_str());
                break;
            }
            case Kind::Key:
                deleteKeyIfEmpty(e.root, e.path, e.name);
                break;
            case Kind::Server:
                unregisterServer(e.path);
                break;
        }
    }
    m_entries.clear();
}

}  // namespace corvane::rt
