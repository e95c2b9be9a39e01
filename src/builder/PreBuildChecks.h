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

// The page groups of the editor's page tree, numbered as showPage takes them.
enum class PageGroup { General = 1, Dialogs = 2, Files = 3, System = 4, Finish = 5 };

struct CheckFailure {
    std::string message;  // e.g. "Application name must be specified."
    PageGroup group;
    std::string tab;      // the tab's caption within the group, e.g. "Bitmaps"
    std::string control;  // the object name of the control to focus, e.g. "AppNameEd"
    std::optional<std::size_t> row = std::nullopt;  // the Files row to select, for a check about one row
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
// settings come two that keep a setup from building without what it announces: with
// "Include Uninstaller" a row must install <InstallDir>\Uninstall.exe, and every source must be
// there to be read (the first of sourceProblems).
std::optional<CheckFailure> firstFailedCheck(const model::Project& project);

}  // namespace corvane::builder
