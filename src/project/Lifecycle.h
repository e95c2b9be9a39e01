#pragma once

// The window-free rules of the project commands (New, Open, Save, Save As, Exit): the caption,
// the unsaved-changes question, the name Save As proposes and the extension it adds, and the
// long form of a path given on the command line. The editor wires them to its dialogs.

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane::model {
class Project;
struct ProjectSettings;
}  // namespace corvane::model

namespace corvane::project {

inline constexpr std::string_view kApplicationTitle = "Corvane";

// "Corvane" for a project never saved or opened, else "Corvane - <file name with extension>".
std::string windowCaption(std::string_view projectPath);

// "Save changes to project "<file name>"?" ("NewProject" for a project never saved).
std::string unsavedChangesQuestion(std::string_view projectPath);

// The name Save As proposes: AppName, a blank, AppVersion and ".zan", without a folder.
std::string proposedProjectFileName(const model::ProjectSettings& settings);

// The chosen Save As name as it is when its extension is exactly ".zan" (letter case included),
// else with ".zan" appended: Report.txt becomes Report.txt.zan, Demo.ZAN becomes Demo.ZAN.zan.
std::string withProjectExtension(std::string chosen);

// Save As into another folder: every relative author-machine path (file sources, license and
// readme documents, bitmaps, setup file) is re-expressed against the new folder so that it still
// names the same file. It stays relative when that file lies below toFolder and becomes absolute
// otherwise; absolute paths are left as they are. Both folders must be absolute. True when a
// path changed.
bool reexpressRelativePaths(model::Project& project, const std::filesystem::path& fromFolder,
                            const std::filesystem::path& toFolder);

// A command-line path in long form: absolute, "." and ".." folded away lexically, symbolic
// links left as they are.
std::filesystem::path longPathForm(const std::filesystem::path& argument);

}  // namespace corvane::project
