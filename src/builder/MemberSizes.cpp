#include "builder/MemberSizes.h"

#include <system_error>
#include <tuple>
#include <utility>

#include "contract/DescriptionKeys.h"
#include "contract/DescriptionLimits.h"
#include "model/Project.h"
#include "model/SettingsTable.h"

namespace corvane::builder {

namespace {

using contract::Setting;

// The text settings of the description and where the author edits each. The others are
// booleans, numbers, the password's hash and the language's name: all short.
constexpr std::pair<Setting, CheckedField> kTextSettings[] = {
    {Setting::AppName, CheckedField::AppName},
    {Setting::AppVersion, CheckedField::AppVersion},
    {Setting::CompanyName, CheckedField::CompanyName},
    {Setting::WebSite, CheckedField::WebSite},
    {Setting::Support, CheckedField::Support},
    {Setting::InstallDir, CheckedField::InstallDir},
    {Setting::Subkey, CheckedField::Subkey},
    {Setting::Value, CheckedField::RegistryValueName},
    {Setting::UninstallAddress, CheckedField::UninstallAddress},
    {Setting::ProgramGroup, CheckedField::ProgramGroup},
    {Setting::LaunchFileName, CheckedField::LaunchFileName},
    {Setting::ViewReadmeFileName, CheckedField::ViewReadmeFileName},
    {Setting::VisitSiteAddress, CheckedField::VisitSiteAddress},
};

}  // namespace

std::vector<DescriptionMember> descriptionMembers(const model::Project& project,
                                                  const std::string& programFolder) {
    std::vector<DescriptionMember> members;
    // The file the catalogue found, which for English.US.lng is not "English" + ".lng"; the
    // setup knows the language by the member's name.
    for (const model::LanguageFile& language : project.selectedLanguageFiles())
        members.push_back({std::filesystem::path(programFolder) / "Languages" / language.fileName,
                           language.name + ".lng", "Language file", CheckedField::Languages});
    for (const auto& [list, prefix, what, field] :
         {std::tuple{&project.licenses, "L", "License File for ", CheckedField::LicenseFiles},
          std::tuple{&project.readmes, "R", "Readme File for ", CheckedField::ReadmeFiles}})
        for (std::size_t i = 0; i < list->size(); ++i) {
            const model::LanguageDocEntry& row = (*list)[i];
            if (!row.file.empty())
                members.push_back({project.resolvePath(row.file), prefix + row.language + ".rtf",
                                   what + row.language + " language", field, i});
        }
    members.push_back(
        {{}, std::string(contract::member::kDescription), "The setup description", CheckedField::Files});
    members.push_back({project.resolvePath(project.settings.wizard),
                       std::string(contract::member::kWizardBitmap), "Wizard Bitmap", CheckedField::Wizard});
    members.push_back({project.resolvePath(project.settings.header),
                       std::string(contract::member::kHeaderBitmap), "Header Bitmap", CheckedField::Header});
    return members;
}

std::string memberLimitText() {
    return std::to_string(contract::kMaxDescriptionMemberBytes) + " bytes (" +
           std::to_string(contract::kMaxDescriptionMemberBytes >> 20) + " MiB)";
}

std::optional<CheckFailure> firstOversizedMember(const model::Project& project) {
    for (const DescriptionMember& member : descriptionMembers(project, project.programFolder())) {
        if (member.source.empty()) continue;
        std::error_code ec;
        const std::uintmax_t size = std::filesystem::file_size(member.source, ec);
        // A file that cannot be measured is reported by the build, which has to open it.
        if (ec || size <= contract::kMaxDescriptionMemberBytes) continue;
        return CheckFailure{
            member.what + " " + member.source.string() + " is " + std::to_string(size) +
                " bytes long; a setup carries language files, documents and bitmaps of at most " +
                memberLimitText() + ".",
            member.field, member.row};
    }
    for (const auto& [setting, field] : kTextSettings) {
        const std::string_view key = contract::keyOf(setting);
        const std::size_t size = model::storedValue(project.settings, model::settingField(key)).size();
        if (size > contract::kMaxDescriptionMemberBytes)
            return CheckFailure{std::string(key) + " is " + std::to_string(size) +
                                    " bytes long; the setup description a setup carries holds at most " +
                                    memberLimitText() + ".",
                                field};
    }
    return std::nullopt;
}

}  // namespace corvane::builder
