#pragma once

// What Setup.exe requires of the values in registry, INI and association lines, beyond their
// paths (TargetPaths.h). Setup.exe refuses a line that breaks these before it changes anything;
// the builder applies the same code to the project's rows first. Like TargetPaths.h, templates
// over the character type, and every character the rules look at is ASCII.
//  - A registry root is one of HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE,
//    HKEY_USERS or their short forms HKCR, HKCU, HKLM, HKU, in any letter case, blanks around.
//  - A type is String or Dword, in any letter case.
//  - A subkey keeps something once blanks and "\" at its ends are dropped.
//  - Dword data is a whole number: decimal from -2147483648 to 4294967295, or "0x" and one to
//    eight hexadecimal digits; blanks around. "1.5", "2E3" and "16h" are not.
//  - An INI value's section and key are not empty or blank.
//  - An extension, with or without its leading ".", has at least one character after the dot and
//    no blank, control character or any of \ / : * ? " < > |.
//  - A flag (a file's Uninstall, a registry or INI value's Overwrite and Uninstall) is Yes or No,
//    and a file's If Exists is Overwrite or Skip, in any letter case, blanks around. The editor
//    shows a flag by this same rule, so what it shows is what the setup does; anything else is
//    refused, not taken for No.

#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

#include "contract/Blanks.h"
#include "contract/DescriptionKeys.h"

namespace corvane::contract {

enum class RegistryRoot : unsigned char { ClassesRoot, CurrentUser, LocalMachine, Users };
enum class RegistryType : unsigned char { String, Dword };

template <class Char>
constexpr std::optional<RegistryRoot> registryRootNamed(std::basic_string_view<Char> name) {
    name = trimBlanks(name);
    struct Named {
        std::string_view longName, shortName;
        RegistryRoot root;
    };
    constexpr Named kRoots[] = {{"HKEY_CLASSES_ROOT", "HKCR", RegistryRoot::ClassesRoot},
                                {"HKEY_CURRENT_USER", "HKCU", RegistryRoot::CurrentUser},
                                {"HKEY_LOCAL_MACHINE", "HKLM", RegistryRoot::LocalMachine},
                                {"HKEY_USERS", "HKU", RegistryRoot::Users}};
    for (const Named& n : kRoots)
        if (equalsAsciiNoCase(name, n.longName) || equalsAsciiNoCase(name, n.shortName)) return n.root;
    return std::nullopt;
}

// "String" or "Dword", in any letter case, blanks around.
template <class Char>
constexpr std::optional<RegistryType> registryTypeNamed(std::basic_string_view<Char> name) {
    name = trimBlanks(name);
    if (equalsAsciiNoCase(name, "String")) return RegistryType::String;
    if (equalsAsciiNoCase(name, "Dword")) return RegistryType::Dword;
    return std::nullopt;
}

// The subkey as Setup.exe opens it: no blanks and no "\" at either end.
template <class Char>
constexpr std::basic_string_view<Char> cleanSubkey(std::basic_string_view<Char> subkey) {
    subkey = trimBlanks(subkey);
    while (!subkey.empty() && subkey.front() == Char('\\'))
        subkey.remove_prefix(1);
    while (!subkey.empty() && subkey.back() == Char('\\'))
        subkey.remove_suffix(1);
    return subkey;
}

template <class Char>
constexpr bool parseDword(std::basic_string_view<Char> text, std::uint32_t& value) {
    text = trimBlanks(text);
    if (text.size() > 2 && text[0] == Char('0') && (text[1] == Char('x') || text[1] == Char('X'))) {
        text.remove_prefix(2);
        if (text.size() > 8) return false;
        std::uint32_t r = 0;
        for (const Char c : text) {
            unsigned d;
            if (c >= Char('0') && c <= Char('9'))
                d = unsigned(c - Char('0'));
            else if (c >= Char('a') && c <= Char('f'))
                d = unsigned(c - Char('a')) + 10;
            else if (c >= Char('A') && c <= Char('F'))
                d = unsigned(c - Char('A')) + 10;
            else
                return false;
            r = r * 16 + d;
        }
        value = r;
        return true;
    }
    const bool negative = !text.empty() && text[0] == Char('-');
    if (negative) text.remove_prefix(1);
    if (text.empty() || text.size() > 19) return false;
    std::uint64_t n = 0;
    for (const Char c : text) {
        if (c < Char('0') || c > Char('9')) return false;
        n = n * 10 + std::uint64_t(c - Char('0'));
    }
    if (negative ? n > 0x80000000ull : n > 0xFFFFFFFFull) return false;
    value = negative ? std::uint32_t(0u - std::uint32_t(n)) : std::uint32_t(n);
    return true;
}

// Yes or No: true or false; nothing for any other text.
template <class Char>
constexpr std::optional<bool> yesOrNo(std::basic_string_view<Char> flag) {
    flag = trimBlanks(flag);
    if (equalsAsciiNoCase(flag, "Yes")) return true;
    if (equalsAsciiNoCase(flag, "No")) return false;
    return std::nullopt;
}

// A file's If Exists: true for Overwrite, false for Skip; nothing for any other text.
template <class Char>
constexpr std::optional<bool> overwritesExisting(std::basic_string_view<Char> ifExists) {
    ifExists = trimBlanks(ifExists);
    if (equalsAsciiNoCase(ifExists, "Overwrite")) return true;
    if (equalsAsciiNoCase(ifExists, "Skip")) return false;
    return std::nullopt;
}

template <class Char>
constexpr bool isUsableExtension(std::basic_string_view<Char> extension) {
    if (!extension.empty() && extension.front() == Char('.')) extension.remove_prefix(1);
    if (extension.empty()) return false;
    using Unit = std::make_unsigned_t<Char>;  // a UTF-8 byte above 127 is no control character
    for (const Char c : extension) {
        const Unit u = Unit(c);
        if (u <= 32 || (u < 128 && std::string_view("\\/:*?\"<>|").find(char(u)) != std::string_view::npos))
            return false;
    }
    return true;
}

}  // namespace corvane::contract
