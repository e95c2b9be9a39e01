#pragma once

// The path variables the editor offers, in offered order. The setup runtime expands them on the
// end user's machine; the editor and the builder never do. Spelling and letter case are part of
// the contract with the runtime (<SentTo> and <AllUserProfile> are spelled so).

#include <array>
#include <string_view>

namespace corvane::model {

inline constexpr std::array<std::string_view, 32> kFolderVariables{
    "<InstallDir>",        "<ProgramFiles>",    "<CommonFiles>",
    "<WindowsDir>",        "<SystemDir>",       "<TempDir>",
    "<FontsDir>",          "<MyDocuments>",     "<SystemDrive>",
    "<CurrentDir>",        "<SentTo>",          "<Favorites>",
    "<Templates>",         "<AppData>",         "<LocalAppData>",
    "<LocalSettings>",     "<UserProfile>",     "<AllUserProfile>",
    "<Desktop>",           "<StartMenu>",       "<ProgramsDir>",
    "<StartUp>",           "<CommonDesktop>",   "<CommonStartMenu>",
    "<CommonProgramsDir>", "<CommonStartUp>",   "<ProgramGroup>",
    "<QuickLaunch>",       "<CommonFavorites>", "<CommonAppData>",
    "<CommonMyDocuments>", "<CommonTemplates>",
};

inline constexpr std::array<std::string_view, 5> kShortcutDestinations{
    "<ProgramGroup>", "<ProgramsMenu>", "<StartMenu>", "<Desktop>", "<QuickLaunch>",
};

inline constexpr std::array<std::string_view, 4> kIniValueVariables{
    "<AppName>",
    "<AppVersion>",
    "<CompanyName>",
    "<InstallDir>",
};

}  // namespace corvane::model
