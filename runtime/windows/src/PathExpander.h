#pragma once

// The path variables of the description (<InstallDir>, <ProgramFiles>, <AppName>...; the names
// are the contract's, contract/PathVariables.h) expanded to the folders and settings of this
// machine, and target paths checked by the contract's rules (contract/TargetPaths.h), the same
// code the builder runs before it builds a setup.
//
// Decisions worth knowing:
//  - <CurrentDir> is the folder that holds the setup file, not the process's working folder,
//    which depends on how the setup was started.
//  - <ProgramsMenu> is the per-user or the all-users Programs menu, as AllUsersMenu says;
//    <ProgramGroup> is that menu plus the ProgramGroup setting.
//  - <LocalSettings> is LocalAppData (the old folder of that name is a hidden junction now).
//  - <QuickLaunch> is built from AppData: wine does not know the known folder.
//  - In paths, <AppName>, <AppVersion> and <CompanyName> lose the characters a file name may
//    not hold; in values (registry data, INI values) they stand as typed.
//  - In a path an unknown name is an error: "<Foo>" would name no real folder. In a value it
//    stays as written.

#include <string>
#include <string_view>

#include "contract/PathVariables.h"

namespace corvane::rt {

class Description;

class PathExpander {
public:
    explicit PathExpander(const Description& description, std::wstring setupFolder);

    void setInstallDir(std::wstring folder) { m_installDir = std::move(folder); }
    const std::wstring& installDir() const { return m_installDir; }
    std::wstring programGroupFolder() const;

    // Expands every variable; false with the offending name in error.
    bool expandText(std::wstring_view text, std::wstring& out, std::wstring& error) const;
    // Expands and checks a target path: absolute (drive or UNC), no "." or ".." parts, no
    // characters or device names a path may not hold. Slashes become backslashes, repeated ones
    // collapse.
    bool expandPath(std::wstring_view text, std::wstring& out, std::wstring& error) const;

    // Checks and normalises an absolute path the user typed (the installation folder).
    static bool normalisePath(std::wstring_view path, std::wstring& out);

private:
    bool resolve(contract::PathVariable variable, bool forPath, std::wstring& out) const;

    const Description& m_description;
    std::wstring m_setupFolder;
    std::wstring m_installDir;
};

}  // namespace corvane::rt
