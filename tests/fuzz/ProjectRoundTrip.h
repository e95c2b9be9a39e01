#pragma once

// The promise the project reader and writer make together, whatever bytes a .zan file holds:
// reading never throws, and what the writer writes of the project reads back as the same
// project (written once more, the bytes do not change). Shared by the mutation test of the
// unit suite and the coverage-guided fuzzer.

#include <filesystem>
#include <string>

#include "model/Project.h"
#include "platform/ProfileFile.h"
#include "platform/TextEncoding.h"
#include "project/ProjectFileReader.h"
#include "project/ProjectFileWriter.h"

namespace corvane::test {

// Reads bytes as the project file in folder and answers what the writer makes of the project.
inline std::string readAndWriteProject(const std::string& bytes, const std::filesystem::path& folder,
                                       const std::string& programFolder) {
    model::Project project(programFolder, "/home/author/Setup.exe");
    project::readProjectProfile(project, platform::ProfileFile::parse(platform::decodeProfileText(bytes)),
                                folder);
    return project::projectProfile(project).text();
}

// Empty when bytes keep the promise; else what broke it.
inline std::string projectRoundTripProblem(const std::string& bytes, const std::filesystem::path& folder,
                                           const std::string& programFolder) {
    const std::string written = readAndWriteProject(bytes, folder, programFolder);
    const std::string again = readAndWriteProject(written, folder, programFolder);
    if (again == written) return {};
    std::size_t at = 0;
    while (at < written.size() && at < again.size() && written[at] == again[at])
        ++at;
    return "the written project reads back differently from byte " + std::to_string(at) + ":\n" +
           written.substr(at > 80 ? at - 80 : 0, 200) + "\n---- read back and written again ----\n" +
           again.substr(at > 80 ? at - 80 : 0, 200);
}

}  // namespace corvane::test
