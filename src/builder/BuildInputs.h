#pragma once

// Every file a build reads, with what it is to the project. The build refuses a setup file that
// is one of them (it would be replaced by the setup it feeds) and looks at the description's
// members before it starts, so an unusable document fails at once, not after every file was
// compressed.

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvane::model {
class Project;
}

namespace corvane::builder {

struct BuildInput {
    enum class Kind { ProjectFile, Stub, Source, Member };
    Kind kind;
    std::string what;  // e.g. "the source of Files row 2", "the license file for (Default)"
    std::filesystem::path path;
};

// The project file (when saved), Setup.exe, every Files row's source, and the description
// cabinet's members: the selected languages' files, the license and readme files, the bitmaps.
std::vector<BuildInput> buildInputs(const model::Project& project, const std::string& programFolder);

// The message for a setup file that is one of the inputs (the same file, however spelled), or
// nothing.
std::optional<std::string> setupReplacesInput(const std::vector<BuildInput>& inputs,
                                              const std::filesystem::path& setupFile);

}  // namespace corvane::builder
