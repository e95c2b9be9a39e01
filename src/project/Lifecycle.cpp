#include "project/Lifecycle.h"

#include <system_error>

#include "model/Project.h"
#include "model/ProjectSettings.h"

namespace corvane::project {

namespace {

std::string fileNameOf(std::string_view projectPath) {
    return std::filesystem::path(std::string(projectPath)).filename().string();
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

std::filesystem::path longPathForm(const std::filesystem::path& argument) {
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(argument, ec);
    if (ec) absolute = argument;
    return absolute.lexically_normal();
}

}  // namespace corvane::project
