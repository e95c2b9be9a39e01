#pragma once

// What "Create Setup" checks before anything is written. The checks read the project as the
// editor holds it, unsaved edits included, and stop at the first failure; the editor shows its
// message, brings its page group and tab to the front and focuses the control, the command line
// prints the message.

#include <optional>
#include <string>

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
};

// The first check the project fails, or nothing when it may be built. Bitmap paths are resolved
// as the build will open them (relative to the project file's folder).
std::optional<CheckFailure> firstFailedCheck(const model::Project& project);

}  // namespace corvane::builder
