#include "project/Lifecycle.h"

#include <system_error>

#include "model/Project.h"
#include "model/ProjectSettings.h"

namespace corvane::project {

namespace {

std::string fileNameOf(std::string_view projectPath) {
    return std::filesystem::path(std::string(projectPath)).filename().string();
}

std::string reexpressed(const std::string& authorPath, const std::filesystem::path& fromFolder,
                        const std::filesystem::path& toFolder) {
    const std::filesystem::path given(authorPath);
    if (authorPath.empty() || given.is_absolute()) return authorPath;
    const std::filesystem::path target = (fromFolder / given).lexically_normal();
    // "/a/b/" and "/a/b" are one folder; without the trailing separator lexically_relative agrees.
    const std::filesystem::path below =
        target.lexically_relative((toFolder / "").lexically_normal().parent_path());
    const bool staysBelow = !below.empty() && *below.begin() != ".." && *below.begin() != ".";
    return (staysBelow ? below : target).string();
}

}  // namespace

std::string windowCaption(std::string_view projectPath) {
    if (projectPath == model::kNewProjectPath) return std::string(kApplicationTitle);
    return std::string(kApplicationTitle) + " - " + fileNameOf(projectPath);
}

std::string unsavedChangesQuestion(std::string_view projectPath) {
    return "Save changes to project \"" + fileNameOf(projectPath) + "\"?";
}

std::string proposedProjectFileName(const model::ProjectSettings& settings) {
    return settings.appName + " " + settings.appVersion + ".zan";
}

std::string withProjectExtension(std::string chosen) {
    if (std::filesystem::path(chosen).extension() != ".zan") chosen += ".zan";
    return chosen;
}

bool reexpressRelativePaths(model::Project& project, const std::filesystem::path& fromFolder,
                            const std::filesystem::path& toFolder) {
    if ((fromFolder / "").lexically_normal() == (toFolder / "").lexically_normal()) return false;
    bool changed = false;
    auto move = [&](std::string& path) {
        std::string moved = reexpressed(path, fromFolder, toFolder);
        if (moved != path) changed = true;
        path = std::move(moved);
    };
    for (model::FileEntry& row : project.files)
        move(row.source);
    for (model::LanguageDocEntry& row : project.licenses)
        move(row.file);
    for (model::LanguageDocEntry& row : project.readmes)
        move(row.file);
    move(project.settings.wizard);
    move(project.settings.header);
    move(project.settings.setupFile);
    return changed;
}

std::filesystem::path longPathForm(const std::filesystem::path& argument) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(argument, ec);
    if (ec) absolute = argument;
    return absolute.lexically_normal();
}

}  // namespace corvane::project
