#pragma once

// Registry helpers shared by Setup.exe and Uninstall.exe. Both are 64-bit programs and always
// name the 64-bit view, so HKLM\Software is the machine's own and never WOW6432Node.

#include <windows.h>

#include <string>
#include <string_view>

namespace corvane::rt {

constexpr REGSAM kRegView = KEY_WOW64_64KEY;

// An open registry key, closed when it goes out of scope. open and create return the
// registry's own result code; on failure the key stays closed.
class RegKey {
public:
    RegKey() = default;
    ~RegKey() { close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    LONG open(HKEY root, const std::wstring& subkey, REGSAM access) {
        close();
        const LONG rc = RegOpenKeyExW(root, subkey.c_str(), 0, access, &m_key);
        if (rc != ERROR_SUCCESS) m_key = nullptr;
        return rc;
    }
    LONG create(HKEY root, const std::wstring& subkey, REGSAM access) {
        close();
        const LONG rc =
            RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, access, nullptr, &m_key, nullptr);
        if (rc != ERROR_SUCCESS) m_key = nullptr;
        return rc;
    }
    void close() {
        if (m_key) RegCloseKey(m_key);
        m_key = nullptr;
    }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

// "HKEY_LOCAL_MACHINE" or "HKLM" and so on; nullptr for anything else.
HKEY rootKeyFromName(std::wstring_view name);
std::wstring shortRootName(HKEY root);

bool readString(HKEY root, const std::wstring& subkey, const std::wstring& name, std::wstring& value);
// Removes the key when it holds neither values nor subkeys, then its parents while they are
// empty too and no shorter than created: the part of the path that setup itself created.
void deleteKeyIfEmpty(HKEY root, std::wstring subkey, std::wstring_view created);
// The shortest prefix of subkey that does not exist yet (empty when the key exists).
std::wstring firstMissingKey(HKEY root, const std::wstring& subkey);

}  // namespace corvane::rt
