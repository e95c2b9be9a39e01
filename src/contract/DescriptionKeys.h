#pragma once

// The setup description, zansetup.ini, as the builder writes it and Setup.exe reads it: its
// sections, the keys of its Settings section in the order they are written, and the names of
// the description cabinet's fixed members. Plain standard C++ without exceptions: the host build
// and the mingw runtime compile this same header, so the two can never spell a key apart.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "contract/Blanks.h"

namespace corvane::contract {

// The Settings keys, in written order. FileSize (the stub's length) comes last.
enum class Setting : unsigned char {
    AppName,
    AppVersion,
    CompanyName,
    WebSite,
    Support,
    Silent,
    DefaultLanguage,
    Protect,
    Password,
    License,
    Accept,
    Readme,
    InstallDir,
    GetFromRegistry,
    RootKey,
    Subkey,
    Value,
    Uninstall,
    ShowPrograms,
    UninstallPage,
    UninstallAddress,
    ProgramGroup,
    AllUsersMenu,
    Restart,
    LaunchFile,
    LaunchFileName,
    LaunchChecked,
    ViewReadme,
    ViewReadmeFileName,
    ViewReadmeChecked,
    VisitSite,
    VisitSiteAddress,
    VisitSiteChecked,
    FileSize,
};

inline constexpr std::size_t kSettingCount = 34;

// The stored key of each Setting. Four keep the spelling that setups in the field carry
// (ShowPorgrams, LaunchCecked, ViewReadmeCecked, VisitSiteCecked).
inline constexpr std::array<std::string_view, kSettingCount> kSettingKeys{
    "AppName",
    "AppVersion",
    "CompanyName",
    "WebSite",
    "Support",
    "Silent",
    "DefaultLanguage",
    "Protect",
    "Password",
    "License",
    "Accept",
    "Readme",
    "InstallDir",
    "GetFromRegistry",
    "RootKey",
    "Subkey",
    "Value",
    "Uninstall",
    "ShowPorgrams",
    "UninstallPage",
    "UninstallAddress",
    "ProgramGroup",
    "AllUsersMenu",
    "Restart",
    "LaunchFile",
    "LaunchFileName",
    "LaunchCecked",
    "ViewReadme",
    "ViewReadmeFileName",
    "ViewReadmeCecked",
    "VisitSite",
    "VisitSiteAddress",
    "VisitSiteCecked",
    "FileSize",
};
static_assert(kSettingKeys.size() == static_cast<std::size_t>(Setting::FileSize) + 1);

constexpr std::string_view keyOf(Setting setting) {
    return kSettingKeys[static_cast<std::size_t>(setting)];
}

// Private-profile keys compare without regard to letter case; keys are ASCII, so folding the
// ASCII letters is the whole rule. Works for the runtime's UTF-16 text and the host's UTF-8.
template <class Char>
constexpr bool equalsAsciiNoCase(std::basic_string_view<Char> text, std::string_view ascii) {
    if (text.size() != ascii.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto fold = [](unsigned long c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (fold(static_cast<unsigned long>(text[i])) != fold(static_cast<unsigned char>(ascii[i])))
            return false;
    }
    return true;
}

template <class Char>
constexpr std::optional<Setting> findSetting(std::basic_string_view<Char> key) {
    for (std::size_t i = 0; i < kSettingCount; ++i)
        if (equalsAsciiNoCase(key, kSettingKeys[i])) return static_cast<Setting>(i);
    return std::nullopt;
}

// How a Settings value reads back: blanks around it dropped, then one pair of enclosing quotes
// (" or ') removed, as private-profile readers do.
template <class Char>
constexpr std::basic_string_view<Char> settingValueAsRead(std::basic_string_view<Char> raw) {
    std::basic_string_view<Char> v = trimBlanks(raw);
    if (v.size() >= 2 && (v.front() == Char('"') || v.front() == Char('\'')) && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return v;
}

// Sections, in file order.
namespace section {
inline constexpr std::string_view kSettings = "Settings";
inline constexpr std::string_view kFiles = "Files";
inline constexpr std::string_view kShortcuts = "Shortcuts";
inline constexpr std::string_view kRegistry = "Registry";
inline constexpr std::string_view kIni = "INI";
inline constexpr std::string_view kAssociations = "Associations";
inline constexpr std::string_view kDll = "DLL";
}  // namespace section

// Fixed members of the description cabinet. Languages travel as "<name>.lng", the documents as
// "L<language>.rtf" and "R<language>.rtf".
namespace member {
inline constexpr std::string_view kDescription = "zansetup.ini";
inline constexpr std::string_view kWizardBitmap = "zanwizard.bmp";
inline constexpr std::string_view kHeaderBitmap = "zanheader.bmp";
}  // namespace member

}  // namespace corvane::contract
