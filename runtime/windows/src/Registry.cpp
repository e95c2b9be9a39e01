#include "Registry.h"

#include "Text.h"
#include "contract/RowValues.h"

namespace corvane::rt {

HKEY rootKeyFromName(std::wstring_view name) {
    const std::optional<contract::RegistryRoot> root = contract::registryRootNamed(name);
    if (!root) return nullptr;
    switch (*root) {
        case contract::RegistryRoot::ClassesRoot:
            return HKEY_CLASSES_ROOT;
        case contract::RegistryRoot::CurrentUser:
            return HKEY_CURRENT_USER;
        case contract::RegistryRoot::LocalMachine:
            return HKEY_LOCAL_MACHINE;
        case contract::RegistryRoot::Users:
            return HKEY_USERS;
    }
    return nullptr;
}

std::wstring shortRootName(HKEY root) {
    if (root == HKEY_CLASSES_ROOT) return L"HKCR";
    if (root == HKEY_CURRENT_USER) return L"HKCU";
    if (root == HKEY_USERS) return L"HKU";
    return L"HKLM";
}

bool readString(HKEY root, const std::wstring& subkey, const std::wstring& name, std::wstring& value) {
    RegKey key;
    if (key.open(root, subkey, KEY_QUERY_VALUE | kRegView) != ERROR_SUCCESS) return false;
    DWORD type = 0, size = 0;
    bool ok = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
              (type == REG_SZ || type == REG_EXPAND_SZ) && size < (1u << 20);
    if (ok) {
        std::wstring buf(size / sizeof(wchar_t) + 1, L'\0');
        ok = RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(buf.data()),
                              &size) == ERROR_SUCCESS;
        buf.resize(wcsnlen(buf.c_str(), buf.size()));
        value = buf;
    }
    return ok;
}

void deleteKeyIfEmpty(HKEY root, std::wstring subkey, std::wstring_view created) {
    while (!subkey.empty() && !created.empty() && subkey.size() >= created.size()) {
        RegKey key;
        if (key.open(root, subkey, KEY_READ | kRegView) != ERROR_SUCCESS) return;
        DWORD subkeys = 0, values = 0;
        const bool empty = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                            &values, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
                           subkeys == 0 && values == 0;
        key.close();  // before the key itself is deleted
        if (!empty || RegDeleteKeyExW(root, subkey.c_str(), kRegView, 0) != ERROR_SUCCESS) return;
        const std::size_t slash = subkey.rfind(L'\\');
        if (slash == std::wstring::npos) return;
        subkey.resize(slash);
    }
}

std::wstring firstMissingKey(HKEY root, const std::wstring& subkey) {
    std::size_t end = 0;
    for (;;) {
        end = subkey.find(L'\\', end + 1);
        const std::wstring prefix = subkey.substr(0, end);
        if (RegKey key; key.open(root, prefix, KEY_READ | kRegView) != ERROR_SUCCESS) return prefix;
        if (end == std::wstring::npos) return {};
    }
}

}  // namespace corvane::rt
