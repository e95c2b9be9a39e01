#pragma once

// zansetup.ini as Setup.exe reads it: the Settings section and one line per file, shortcut,
// registry value, INI value, association and OCX/DLL. A list line is its fields joined by "?"
// as the key, with an empty value. Files lines may carry further fields after the fourth
// (the builder adds "?2", "?3"... to keep coinciding lines apart); they are ignored.
//
// The description comes from a file the user downloaded: every line is checked, and a line
// that cannot be read stops the setup before anything is installed.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

    std::wstring text(std::wstring_view key) const;
    bool flag(std::wstring_view key) const { return text(key) == L"1"; }
    int integer(std::wstring_view key, int fallback) const;

    std::vector<FileLine> files;
    std::vector<ShortcutLine> shortcuts;
    std::vector<RegistryLine> registry;
    std::vector<IniLine> ini;
    std::vector<AssociationLine> associations;
    std::vector<std::wstring> dlls;
    std::uint64_t stubSize = 0;

private:
    std::vector<std::pair<std::wstring, std::wstring>> m_settings;
};

}  // namespace corvane::rt
