#include "DescriptionReader.h"

#include <windows.h>

#include "Text.h"
#include "contract/DescriptionKeys.h"
#include "contract/RowFormat.h"
#include "contract/RowValues.h"

namespace corvane::rt {

namespace rows = contract::rows;

namespace {

// A line's Overwrite and Uninstall flags, by the rule the editor and the build apply.
bool flags(const std::wstring& overwriteField, const std::wstring& uninstallField, bool& overwrite,
           bool& uninstall) {
    const std::optional<bool> o = contract::yesOrNo(std::wstring_view(overwriteField));
    const std::optional<bool> u = contract::yesOrNo(std::wstring_view(uninstallField));
    if (!o || !u) return false;
    overwrite = *o;
    uninstall = *u;
    return true;
}

int showCommand(const std::wstring& field) {
    const std::wstring f = trimmed(field);
    if (equalsNoCase(f, L"Maximize")) return SW_SHOWMAXIMIZED;
    // SW_HIDE is not a documented shortcut state; a minimised window is the nearest one.
    if (equalsNoCase(f, L"Minimize") || equalsNoCase(f, L"Hide")) return SW_SHOWMINNOACTIVE;
    return SW_SHOWNORMAL;
}

bool isSection(const std::wstring& section, std::string_view name) {
    return contract::equalsAsciiNoCase(std::wstring_view(section), name);
}

}  // namespace

int Description::integer(contract::Setting setting, int fallback) const {
    const std::wstring& v = text(setting);
    const bool negative = !v.empty() && v[0] == L'-';
    std::uint64_t n = 0;
    if (!parseUnsigned(std::wstring_view(v).substr(negative ? 1 : 0), n) || n > 0x7FFFFFFF) return fallback;
    return negative ? -int(n) : int(n);
}

bool Description::parse(std::string_view bytes, std::wstring& error) {
    const std::wstring content = fromUtf8(bytes);
    std::wstring section;
    std::array<bool, contract::kSettingCount> seen{};
    std::size_t start = 0;
    unsigned lineNumber = 0;
    auto bad = [&](const std::wstring& line, const wchar_t* why) {
        error = L"The setup description cannot be read (line " + decimal(lineNumber) + L", [" + section +
                L"]: " + why + L"): " + line;
        return false;
    };
    while (start <= content.size()) {
        std::size_t end = content.find_first_of(L"\r\n", start);
        if (end == std::wstring::npos) end = content.size();
        // Lines read as the build's profile reader reads them: no comment lines, so a row that
        // begins with ";" is a row.
        const contract::ProfileLine<wchar_t> read =
            contract::readProfileLine(std::wstring_view(content).substr(start, end - start));
        const std::wstring line(read.text);
        // CR LF ends one line, so the line numbers in messages are the ones an editor shows.
        start = end + (content.compare(end, 2, L"\r\n") == 0 ? 2 : 1);
        ++lineNumber;
        if (read.kind == contract::LineKind::Nothing) continue;
        if (read.kind == contract::LineKind::Section) {
            section = std::wstring(read.name);
            continue;
        }
        if (isSection(section, contract::section::kSettings)) {
            const std::optional<contract::Setting> setting = contract::findSetting(read.key);
            // The first line of a key counts, as for the private-profile reader.
            if (!setting || seen[std::size_t(*setting)]) continue;
            seen[std::size_t(*setting)] = true;
            if (read.hasValue) m_settings[std::size_t(*setting)] = contract::settingValueAsRead(read.value);
            continue;
        }
        // A list line's row runs to its last "=" and may hold "?" in its free-text field.
        const std::wstring key(read.row);
        if (key.empty()) continue;
        const std::wstring_view row(key);
        const std::size_t separators = rows::separatorCount(row);
        if (isSection(section, contract::section::kFiles)) {
            const std::vector<std::wstring> f = splitFields(key, L'?');
            FileLine l;
            if (f.size() < 4 || !parseUnsigned(trimmed(f[1]), l.length))
                return bad(line, L"expected destination?length?if-exists?uninstall");
            l.destination = trimmed(f[0]);
            const std::optional<bool> overwrite = contract::overwritesExisting(std::wstring_view(f[2]));
            const std::optional<bool> uninstall = contract::yesOrNo(std::wstring_view(f[3]));
            if (!overwrite || !uninstall)
                return bad(line, L"if-exists is Overwrite or Skip, uninstall Yes or No");
            l.overwrite = *overwrite;
            l.uninstall = *uninstall;
            files.push_back(l);
        } else if (isSection(section, contract::section::kShortcuts)) {
            if (separators + 1 < rows::kShortcutLineFields) return bad(line, L"a shortcut has eight fields");
            const auto f = rows::splitRow(row, rows::kShortcutLineFields, rows::kShortcutLineFree);
            ShortcutLine s{f[0], f[1], f[2], f[3], f[4], f[5]};
            std::uint64_t index = 0;
            s.iconIndex = parseUnsigned(trimmed(f[6]), index) && index < 0x7FFFFFFF ? int(index) : 0;
            s.show = showCommand(f[7]);
            shortcuts.push_back(s);
        } else if (isSection(section, contract::section::kRegistry)) {
            if (separators + 1 < rows::kRegistryLineFields)
                return bad(line, L"a registry value has seven fields");
            const auto f = rows::splitRow(row, rows::kRegistryLineFields, rows::kRegistryLineFree);
            RegistryLine r{f[0], f[1], f[2], f[4]};
            const std::optional<contract::RegistryType> type =
                contract::registryTypeNamed(std::wstring_view(f[3]));
            if (!type) return bad(line, L"the type is neither String nor Dword");
            r.isDword = *type == contract::RegistryType::Dword;
            if (!flags(f[5], f[6], r.overwrite, r.uninstall))
                return bad(line, L"a flag is neither Yes nor No");
            registry.push_back(r);
        } else if (isSection(section, contract::section::kIni)) {
            if (separators + 1 < rows::kIniLineFields) return bad(line, L"an INI value has six fields");
            const auto f = rows::splitRow(row, rows::kIniLineFields, rows::kIniLineFree);
            IniLine i{f[0], f[1], f[2], f[3]};
            if (!flags(f[4], f[5], i.overwrite, i.uninstall))
                return bad(line, L"a flag is neither Yes nor No");
            ini.push_back(i);
        } else if (isSection(section, contract::section::kAssociations)) {
            if (separators + 1 < rows::kAssociationLineFields)
                return bad(line, L"an association has two fields");
            const auto f = rows::splitRow(row, rows::kAssociationLineFields, rows::kAssociationLineFree);
            associations.push_back({trimmed(f[0]), trimmed(f[1])});
        } else if (isSection(section, contract::section::kDll)) {
            dlls.push_back(trimmed(key));
        }
    }
    if (!parseUnsigned(text(contract::Setting::FileSize), stubSize)) {
        error = L"The setup description has no valid FileSize.";
        return false;
    }
    return true;
}

}  // namespace corvane::rt
