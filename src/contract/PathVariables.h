#pragma once

// The path variables: names in angle brackets inside the description's paths and values, which
// Setup.exe expands on the end user's machine (the editor and the builder never do). Spelling and
// letter case are part of the contract: "<SentTo>" and "<AllUserProfile>" are spelled so, and
// "<installdir>" is no variable at all.
//
// Most name a folder. <AppName>, <AppVersion> and <CompanyName> stand for the settings of those
// names; in a path they keep only the characters a file name may hold (fileNamePart below).

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "contract/DescriptionKeys.h"

namespace corvane::contract {

enum class PathVariable : unsigned char {
    InstallDir,
    ProgramFiles,
    CommonFiles,
    WindowsDir,
    SystemDir,
    TempDir,
    FontsDir,
    MyDocuments,
    SystemDrive,
    CurrentDir,
    SentTo,
    Favorites,
    Templates,
    AppData,
    LocalAppData,
    LocalSettings,
    UserProfile,
    AllUserProfile,
    Desktop,
    StartMenu,
    ProgramsDir,
    StartUp,
    CommonDesktop,
    CommonStartMenu,
    CommonProgramsDir,
    CommonStartUp,
    ProgramGroup,
    QuickLaunch,
    CommonFavorites,
    CommonAppData,
    CommonMyDocuments,
    CommonTemplates,
    ProgramsMenu,
    AppName,
    AppVersion,
    CompanyName,
};

inline constexpr std::size_t kPathVariableCount = 36;

// Names without the brackets, indexed by PathVariable.
inline constexpr std::array<std::string_view, kPathVariableCount> kPathVariableNames{
    "InstallDir",        "ProgramFiles",    "CommonFiles",
    "WindowsDir",        "SystemDir",       "TempDir",
    "FontsDir",          "MyDocuments",     "SystemDrive",
    "CurrentDir",        "SentTo",          "Favorites",
    "Templates",         "AppData",         "LocalAppData",
    "LocalSettings",     "UserProfile",     "AllUserProfile",
    "Desktop",           "StartMenu",       "ProgramsDir",
    "StartUp",           "CommonDesktop",   "CommonStartMenu",
    "CommonProgramsDir", "CommonStartUp",   "ProgramGroup",
    "QuickLaunch",       "CommonFavorites", "CommonAppData",
    "CommonMyDocuments", "CommonTemplates", "ProgramsMenu",
    "AppName",           "AppVersion",      "CompanyName",
};
static_assert(kPathVariableNames.size() == static_cast<std::size_t>(PathVariable::CompanyName) + 1);

constexpr std::string_view nameOf(PathVariable variable) {
    return kPathVariableNames[static_cast<std::size_t>(variable)];
}

// "<InstallDir>" and so on, as the author types it.
inline std::string tokenOf(PathVariable variable) {
    return '<' + std::string(nameOf(variable)) + '>';
}

// The setting a variable stands for, or nothing for a folder.
constexpr std::optional<Setting> settingOf(PathVariable variable) {
    switch (variable) {
        case PathVariable::AppName:
            return Setting::AppName;
        case PathVariable::AppVersion:
            return Setting::AppVersion;
        case PathVariable::CompanyName:
            return Setting::CompanyName;
        default:
            return std::nullopt;
    }
}

// The variable of a name (without brackets), compared exactly.
template <class Char>
constexpr std::optional<PathVariable> findPathVariable(std::basic_string_view<Char> name) {
    for (std::size_t i = 0; i < kPathVariableCount; ++i) {
        const std::string_view known = kPathVariableNames[i];
        bool same = name.size() == known.size();
        for (std::size_t k = 0; same && k < name.size(); ++k)
            same = static_cast<unsigned long>(name[k]) == static_cast<unsigned char>(known[k]);
        if (same) return static_cast<PathVariable>(i);
    }
    return std::nullopt;
}

// What the editor offers, in offered order: the Files page's destination folders (every folder
// but <ProgramsMenu>), the shortcut destinations, and the variables an INI value may hold.
inline constexpr std::array<PathVariable, 32> kFileDestinationVariables{
    PathVariable::InstallDir,        PathVariable::ProgramFiles,    PathVariable::CommonFiles,
    PathVariable::WindowsDir,        PathVariable::SystemDir,       PathVariable::TempDir,
    PathVariable::FontsDir,          PathVariable::MyDocuments,     PathVariable::SystemDrive,
    PathVariable::CurrentDir,        PathVariable::SentTo,          PathVariable::Favorites,
    PathVariable::Templates,         PathVariable::AppData,         PathVariable::LocalAppData,
    PathVariable::LocalSettings,     PathVariable::UserProfile,     PathVariable::AllUserProfile,
    PathVariable::Desktop,           PathVariable::StartMenu,       PathVariable::ProgramsDir,
    PathVariable::StartUp,           PathVariable::CommonDesktop,   PathVariable::CommonStartMenu,
    PathVariable::CommonProgramsDir, PathVariable::CommonStartUp,   PathVariable::ProgramGroup,
    PathVariable::QuickLaunch,       PathVariable::CommonFavorites, PathVariable::CommonAppData,
    PathVariable::CommonMyDocuments, PathVariable::CommonTemplates,
};

inline constexpr std::array<PathVariable, 5> kShortcutDestinationVariables{
    PathVariable::ProgramGroup, PathVariable::ProgramsMenu, PathVariable::StartMenu,
    PathVariable::Desktop,      PathVariable::QuickLaunch,
};

inline constexpr std::array<PathVariable, 4> kIniValueVariables{
    PathVariable::AppName,
    PathVariable::AppVersion,
    PathVariable::CompanyName,
    PathVariable::InstallDir,
};

}  // namespace corvane::contract
