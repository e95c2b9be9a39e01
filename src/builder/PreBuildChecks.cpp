#include "builder/PreBuildChecks.h"

#include <filesystem>
#include <system_error>

#include "builder/MemberSizes.h"
#include "builder/RowValueChecks.h"
#include "builder/TargetPathChecks.h"
#include "builder/UncarriedCharacters.h"
#include "model/Project.h"
#include "platform/FileProbe.h"
#include "platform/TextCase.h"

namespace corvane::builder {

namespace {

bool namesExistingFile(const model::Project& project, const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(project.resolvePath(path), ec);
}

// A document list without rows counts as one whose "(Default)" row has no file.
bool defaultDocumentMissing(const std::vector<model::LanguageDocEntry>& list) {
    return list.empty() || list.front().file.empty();
}

bool installsUninstaller(const model::Project& project) {
    for (const model::FileEntry& row : project.files)
        if (platform::equalsIgnoringCase(row.installTo, model::kUninstallerInstallTo)) return true;
    return false;
}

// Two checked languages of one name (English.lng and English.US.lng are both English) would be
// packed as the same member, English.lng, and the setup would keep only one of them.
std::optional<CheckFailure> languageNamedTwice(const model::Project& project) {
    const std::vector<model::LanguageFile> languages = project.selectedLanguageFiles();
    for (std::size_t i = 0; i < languages.size(); ++i)
        for (std::size_t j = i + 1; j < languages.size(); ++j)
            if (platform::equalsIgnoringCase(languages[i].name, languages[j].name))
                return CheckFailure{"Two checked languages are both named " + languages[i].name + " (" +
                                        languages[i].fileName + " and " + languages[j].fileName +
                                        "); a setup carries one language of a name. Uncheck one of them.",
                                    CheckedField::Languages};
    return std::nullopt;
}

}  // namespace

std::string SourceProblem::message() const {
    return (missing ? "File not found:\r" : "File access denied:\r") + path;
}

std::vector<SourceProblem> sourceProblems(const model::Project& project) {
    std::vector<SourceProblem> problems;
    for (std::size_t i = 0; i < project.files.size(); ++i) {
        const std::filesystem::path path = project.resolvePath(project.files[i].source);
        const platform::FileProbe probe = platform::probeFile(path);
        if (!probe.readable())
            problems.push_back({i, path.string(), probe.state == platform::FileProbe::State::Missing});
    }
    return problems;
}

std::optional<CheckFailure> firstFailedCheck(const model::Project& project) {
    const model::ProjectSettings& s = project.settings;
    // "Empty" means no characters at all: a name of blanks passes, as it always has.
    if (s.appName.empty()) return CheckFailure{"Application name must be specified.", CheckedField::AppName};
    if (s.setupFile.empty())
        return CheckFailure{"Setup File name must be specified.", CheckedField::SetupFile};
    if (!namesExistingFile(project, s.wizard))
        return CheckFailure{"Wizard Bitmap must be specified.", CheckedField::Wizard};
    if (!namesExistingFile(project, s.header))
        return CheckFailure{"Header Bitmap must be specified.", CheckedField::Header};
    if (project.defaultLanguageName().empty())
        return CheckFailure{"Default Language must be specified.", CheckedField::DefaultLanguage};
    if (auto failure = languageNamedTwice(project)) return failure;
    if (s.license && defaultDocumentMissing(project.licenses))
        return CheckFailure{"License File for (Default) language must be specified.",
                            CheckedField::LicenseFiles};
    if (s.readme && defaultDocumentMissing(project.readmes))
        return CheckFailure{"Readme File for (Default) language must be specified.",
                            CheckedField::ReadmeFiles};
    if (s.installDir.empty())
        return CheckFailure{"Default Installation Path must be specified.", CheckedField::InstallDir};
    if (project.files.empty()) return CheckFailure{"Project contains no files.", CheckedField::Files};
    if (s.launchFile && s.launchFileName.empty())
        return CheckFailure{"Program File for launching must be specified.", CheckedField::LaunchFileName};
    if (s.viewReadme && s.viewReadmeFileName.empty())
        return CheckFailure{"Readme File for viewing must be specified.", CheckedField::ViewReadmeFileName};
    if (s.visitSite && s.visitSiteAddress.empty())
        return CheckFailure{"Web Address must be specified.", CheckedField::VisitSiteAddress};
    if (auto failure = firstUncarriedCharacter(project)) return failure;
    // A setup announcing an uninstaller it does not carry leaves Add/Remove Programs pointing at
    // a missing file on every machine it installs on.
    if (s.uninstall && !installsUninstaller(project))
        return CheckFailure{
            "Include Uninstaller is checked, but no file installs <InstallDir>\\Uninstall.exe. "
            "Clear \"Include Uninstaller\" and check it again to add the uninstaller.",
            CheckedField::IncludeUninstaller};
    if (auto failure = firstRefusedTargetPath(project)) return failure;
    if (auto failure = firstRefusedRowValue(project)) return failure;
    if (auto failure = firstOversizedMember(project)) return failure;
    const std::vector<SourceProblem> problems = sourceProblems(project);
    if (!problems.empty())
        return CheckFailure{problems.front().message(), CheckedField::FileSource, problems.front().row};
    return std::nullopt;
}

}  // namespace corvane::builder
