#pragma once

#include <filesystem>
#include <optional>

#include "platform/ProfileFile.h"
#include "project/StoredLanguages.h"

namespace corvane::model {
class Project;
}

namespace corvane::project {

// Replaces the project's contents with those of the .zan file at path. Source files of Files
// rows are measured again, relative paths taken from the project file's folder; a row whose file
// cannot be opened is kept as stored and marked sourceMissing. With Uninstall on, the uninstaller
// row takes this program folder's Uninstall.exe. The checked languages follow the file names the
// project stores (StoredLanguages.h); when the program folder's languages have changed since it
// was saved, what changed is returned for the author to be told. Throws std::runtime_error naming
// the file when it cannot be read. Leaves projectPath and the modified flag to the caller.
std::optional<LanguageChange> readProjectFile(model::Project& project, const std::filesystem::path& path);

// The same from an already parsed profile; projectFolder anchors relative source paths.
std::optional<LanguageChange> readProjectProfile(model::Project& project,
                                                 const platform::ProfileFile& profile,
                                                 const std::filesystem::path& projectFolder);

}  // namespace corvane::project
