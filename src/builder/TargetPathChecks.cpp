#include "builder/TargetPathChecks.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "builder/BuildTimeVariables.h"
#include "contract/TargetPaths.h"
#include "model/Project.h"
#include "project/FormatLimits.h"

namespace corvane::builder {

namespace {

// A path as the message shows it: control characters made visible.
std::string shown(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 32) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string detailOf(const contract::PathCheck<char>& check) {
    switch (check.problem) {
        case contract::PathProblem::UnknownVariable:
            return ": <" + check.detail + ">";
        case contract::PathProblem::ForbiddenCharacter:
            if (check.detail == "\t") return ": a tab";
            if (static_cast<unsigned char>(check.detail[0]) < 32) return ": a control character";
            return ": \"" + check.detail + "\"";
        case contract::PathProblem::TrailingDotOrBlank:
        case contract::PathProblem::DeviceName:
            return ": \"" + check.detail + "\"";
        default:
            return {};
    }
}

struct ListPlace {
    const char* list;     // as the message names it
    const char* subject;  // what the path is, e.g. "destination"
    CheckedField field;
};

std::optional<CheckFailure> refused(const ListPlace& place, std::size_t row, const std::string& text,
                                    const std::string& problem) {
    std::string message =
        std::string(place.list) + " row " + std::to_string(row + 1) + ": the " + place.subject;
    message += text.empty() ? " " : " \"" + shown(text) + "\" ";
    return CheckFailure{message + problem + ".", place.field, row};
}

// What is wrong with the text as Setup.exe will read it from the description, by its rules.
std::optional<std::string> problemOf(const std::string& text, const BuildTimeVariables& variables) {
    const std::string stored = project::withoutLineBreaks(text);
    const contract::PathCheck<char> result = contract::expandTargetPath(std::string_view(stored), variables);
    if (result.ok()) return std::nullopt;
    return std::string(contract::describe(result.problem)) + detailOf(result);
}

std::optional<CheckFailure> check(const ListPlace& place, std::size_t row, const std::string& text,
                                  const BuildTimeVariables& variables) {
    if (auto problem = problemOf(text, variables)) return refused(place, row, text, *problem);
    return std::nullopt;
}

}  // namespace

std::optional<CheckFailure> firstRefusedTargetPath(const model::Project& project) {
    const BuildTimeVariables variables(project.settings, BuildTimeVariables::ForPaths);
    const model::ProjectSettings& s = project.settings;
    // The folder Setup.exe proposes: one it cannot expand leaves a silent installation nowhere to go.
    // The finish page's offers: one it cannot expand does nothing when the user takes it.
    const struct {
        bool used;
        const std::string& path;
        const char* subject;
        CheckedField field;
    } settingPaths[] = {
        {true, s.installDir, "The default installation path", CheckedField::InstallDir},
        {s.launchFile && !s.restart, s.launchFileName, "The program to launch", CheckedField::LaunchFileName},
        {s.viewReadme && !s.restart, s.viewReadmeFileName, "The readme to view",
         CheckedField::ViewReadmeFileName},
    };
    for (const auto& setting : settingPaths)
        if (auto problem = setting.used ? problemOf(setting.path, variables) : std::nullopt)
            return CheckFailure{
                std::string(setting.subject) + " \"" + shown(setting.path) + "\" " + *problem + ".",
                setting.field};
    const ListPlace files{"Files", "destination", CheckedField::Files};
    for (std::size_t i = 0; i < project.files.size(); ++i) {
        const std::string& destination = project.files[i].installTo;
        // The build stores the file under the last part of its destination; without one there is
        // nothing to store it under, and Setup.exe would have no file name to write.
        if (contract::trimBlanks(std::string_view(destination)).empty())
            return refused(files, i, {}, "is empty; it must end in the file's name");
        if (!contract::namesAFile(std::string_view(destination)))
            return refused(files, i, destination, "ends in \"\\\" and names no file");
        if (auto failure = check(files, i, destination, variables)) return failure;
    }
    for (std::size_t i = 0; i < project.shortcuts.size(); ++i) {
        const model::ShortcutEntry& s = project.shortcuts[i];
        // The description joins folder and name into the shortcut's full path.
        if (auto failure = check({"Shortcuts", "shortcut", CheckedField::Shortcuts}, i,
                                 s.destination + '\\' + s.name, variables))
            return failure;
    }
    for (std::size_t i = 0; i < project.ini.size(); ++i)
        if (auto failure = check({"INI Files", "INI file", CheckedField::IniValues}, i,
                                 project.ini[i].iniFile, variables))
            return failure;
    for (std::size_t i = 0; i < project.associations.size(); ++i)
        if (auto failure = check({"File Associations", "associated file", CheckedField::Associations}, i,
                                 project.associations[i].associatedFile, variables))
            return failure;
    for (std::size_t i = 0; i < project.dlls.size(); ++i)
        if (auto failure =
                check({"OCX, DLL", "file", CheckedField::Dlls}, i, project.dlls[i].file, variables))
            return failure;
    return std::nullopt;
}

}  // namespace corvane::builder
