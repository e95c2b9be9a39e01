#pragma once

#include <filesystem>
#include <vector>

#include "platform/ProfileFile.h"
#include "project/FormatLimits.h"

namespace corvane::model {
class Project;
}

namespace corvane::project {

// The .zan text of a project, built in memory in the order the format prescribes.
platform::ProfileFile projectProfile(const model::Project& project);

// Saves the project at path, atomically: a failed save keeps any previous file whole and throws
// platform::ProfileWriteError ("Unable to write to <path>"). Returns the values that will not
// read back as they are (the file is written all the same). Leaves projectPath and modified to
// the caller.
std::vector<FormatLimitProblem> writeProjectFile(const model::Project& project,
                                                 const std::filesystem::path& path);

}  // namespace corvane::project
