#include "builder/BuildInputs.h"

#include "model/Project.h"
#include "platform/FileProbe.h"

namespace corvane::builder {

namespace fs = std::filesystem;

std::vector<BuildInput> buildInputs(const model::Project& project, const std::string& programFolder) {
    using Kind = BuildInput::Kind;
    std::vector<BuildInput> inputs;
    std::error_code ec;
    if (!project.projectPath.empty() && fs::is_regular_file(project.projectPath, ec))
        inputs.push_back({Kind::ProjectFile, "the project file", project.projectPath});
    inputs.push_back({Kind::Stub, "the setup stub", fs::path(programFolder) / "Setup.exe"});
    for (std::size_t k = 0; k < project.files.size(); ++k)
        inputs.push_back({Kind::Source, "the source of Files row " + std::to_string(k + 1),
                          project.resolvePath(project.files[k].source)});
    for (const model::LanguageFile& language : project.selectedLanguageFiles())
        inputs.push_back({Kind::Member, "the language file of " + language.name,
                          fs::path(programFolder) / "Languages" / language.fileName});
    for (const auto& [list, kind] :
         {std::pair{&project.licenses, "license"}, std::pair{&project.readmes, "readme"}})
        for (const model::LanguageDocEntry& row : *list)
            if (!row.file.empty())
                inputs.push_back({Kind::Member, std::string("the ") + kind + " file for " + row.language,
                                  project.resolvePath(row.file)});
    inputs.push_back({Kind::Member, "the Wizard bitmap", project.resolvePath(project.settings.wizard)});
    inputs.push_back({Kind::Member, "the Header bitmap", project.resolvePath(project.settings.header)});
    return inputs;
}

std::optional<std::string> setupReplacesInput(const std::vector<BuildInput>& inputs,
                                              const fs::path& setupFile) {
    const std::optional<platform::FileIdentity> output = platform::fileIdentity(setupFile);
    if (!output) return std::nullopt;  // nothing there yet, so nothing to replace
    for (const BuildInput& input : inputs)
        if (platform::fileIdentity(input.path) == output)
            return "The setup file " + setupFile.string() + " is " + input.what + " (" + input.path.string() +
                   "); building would replace it with the setup. Choose another setup file.";
    return std::nullopt;
}

}  // namespace corvane::builder
