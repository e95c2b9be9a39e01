#pragma once

// What "Create Setup" checks before anything is written. The checks read the project as the
// editor holds it, unsaved edits included, and stop at the first failure; the editor shows its
// message, brings its page group and tab to the front and focuses the control, the command line
// prints the message.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace corvane::model {
class Project;
}

namespace corvane::builder {

// What a failed check is about. The editor knows where each is shown (page group, tab and
// control); the checks know nothing of the editor.
enum class CheckedField {
    // Settings, each edited in one control.
    AppName,
    AppVersion,
    CompanyName,
    WebSite,
    Support,
    SetupFile,
    Wizard,
    Header,
    Languages,  // the language selection
    DefaultLanguage,
    LicenseFiles,  // the license list; row names the language's row
    ReadmeFiles,   // the readme list; row names the language's row
    InstallDir,
    Subkey,
    RegistryValueName,
    IncludeUninstaller,
    UninstallAddress,
    ProgramGroup,
    LaunchFileName,
    ViewReadmeFileName,
    VisitSiteAddress,
    // Lists; row names the row at fault, when there is one.
    Files,
    FileSource,  // a Files row's source: missing or unreadable
    Shortcuts,
    Registry,
    IniValues,
    Associations,
    Dlls,
};

struct CheckFailure {
    std::string message;  // e.g. "Application name must be specified."
    CheckedField field;
    std::optional<std::size_t> row = std::nullopt;
};

// A Files row whose source cannot be packed now.
struct SourceProblem {
    std::size_t row;
    std::string path;  // as the file system was asked, relative paths resolved
    bool missing;      // not found; otherwise it exists and cannot be read
    // "File not found:" or "File access denied:", a carriage return and the path.
    std::string message() const;
};

// Every Files row whose source is missing or unreadable, in list order.
std::vector<SourceProblem> sourceProblems(const model::Project& project);

// The first check the project fails, or nothing when it may be built. Bitmap paths are resolved
// as the build will open them (relative to the project file's folder). After the checks of the
// settings come those that keep a setup from building that could not install: every row the
// setup can read (UncarriedCharacters.h); with "Include Uninstaller" a row that installs
// <InstallDir>\Uninstall.exe; every target path by the setup's own rules (TargetPathChecks.h);
// every member and value within the setup's size limit (MemberSizes.h); and last every source
// there to be read (the first of sourceProblems).
std::optional<CheckFailure> firstFailedCheck(const model::Project& project);

}  // namespace corvane::builder
