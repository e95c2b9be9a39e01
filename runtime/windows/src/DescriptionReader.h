#pragma once

// zansetup.ini as Setup.exe reads it: the Settings section and one line per file, shortcut,
// registry value, INI value, association and OCX/DLL. Keys and sections are the contract's
// (contract/DescriptionKeys.h); Settings keys it does not know are ignored. A list line is its fields joined
// by "?" as the key, with an empty value. Files lines may carry further fields after the fourth (the builder
// adds "?2", "?3"... to keep coinciding lines apart); they are ignored.
//
// The description comes from a file the user downloaded: every line is checked, and a line
// that cannot be read stops the setup before anything is installed.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "contract/DescriptionKeys.h"

namespace corvane::rt {

struct FileLine {
    std::wstring destination;
    std::uint64_t length = 0;
    bool overwrite = true;
    bool uninstall = true;
};

struct ShortcutLine {
    std::wstring path;  // folder and name
    std::wstring target, description, parameters, workingDir, iconFile;
    int iconIndex = 0;
    int show = 1;  // SW_SHOWNORMAL
};

struct RegistryLine {
    std::wstring rootKey, subkey, valueName, data;
    bool isDword = false;
    bool overwrite = true;
    bool uninstall = true;
};

struct IniLine {
    std::wstring file, section, key, value;
    bool overwrite = true;
    bool uninstall = true;
};

struct AssociationLine {
    std::wstring extension, file;
};

class Description {
public:
    bool parse(std::string_view bytes, std::wstring& error);

    // A Settings value as read; empty when the description lacks the key.
    const std::wstring& text(contract::Setting setting) const {
        return m_settings[static_cast<std::size_t>(setting)];
    }
    bool flag(contract::Setting setting) const { return text(setting) == L"1"; }
    int integer(contract::Setting setting, int fallback) const;

    std::vector<FileLine> files;
    std::vector<ShortcutLine> shortcuts;
    std::vector<RegistryLine> registry;
    std::vector<IniLine> ini;
    std::vector<AssociationLine> associations;
    std::vector<std::wstring> dlls;
    std::uint64_t stubSize = 0;

private:
    std::array<std::wstring, contract::kSettingCount> m_settings;
};

}  // namespace corvane::rt
