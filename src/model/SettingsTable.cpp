#include "model/SettingsTable.h"

#include <stdexcept>

namespace corvane::model {

namespace {

using S = ProjectSettings;

const std::array<SettingField, kSettingCount> kFields{{
    {"AppName", &S::appName},
    {"AppVersion", &S::appVersion},
    {"CompanyName", &S::companyName},
    {"WebSite", &S::webSite},
    {"Support", &S::support},
    {"SetupFile", &S::setupFile},
    {"CompressionType", &S::compressionType, kNormalCompression},
    {"Silent", &S::silent},
    {"Wizard", &S::wizard},
    {"Header", &S::header},
    {"DefaultLanguage", &S::defaultLanguage, kNoChoice},
    {"Protect", &S::protect},
    {"Password", &S::password},
    {"License", &S::license},
    {"Accept", &S::accept},
    {"Readme", &S::readme},
    {"InstallDir", &S::installDir},
    {"GetFromRegistry", &S::getFromRegistry},
    {"RootKey", &S::rootKey, 2},
    {"Subkey", &S::subkey},
    {"Value", &S::value},
    {"Uninstall", &S::uninstall},
    {"ShowPorgrams", &S::showPrograms},
    {"UninstallPage", &S::uninstallPage},
    {"UninstallAddress", &S::uninstallAddress},
    {"ProgramGroup", &S::programGroup},
    {"AllUsersMenu", &S::allUsersMenu},
    {"Restart", &S::restart},
    {"LaunchFile", &S::launchFile},
    {"LaunchFileName", &S::launchFileName},
    {"LaunchCecked", &S::launchChecked},
    {"ViewReadme", &S::viewReadme},
    {"ViewReadmeFileName", &S::viewReadmeFileName},
    {"ViewReadmeCecked", &S::viewReadmeChecked},
    {"VisitSite", &S::visitSite},
    {"VisitSiteAddress", &S::visitSiteAddress},
    {"VisitSiteCecked", &S::visitSiteChecked},
}};

}  // namespace

const std::array<SettingField, kSettingCount>& settingFields() {
    return kFields;
}

const SettingField& settingField(std::string_view key) {
    for (const SettingField& f : kFields)
        if (f.key == key) return f;
    throw std::out_of_range("unknown setting " + std::string(key));
}

std::string storedValue(const ProjectSettings& settings, const SettingField& field) {
    struct Visitor {
        const ProjectSettings& s;
        std::string operator()(TextField m) const { return s.*m; }
        std::string operator()(BoolField m) const { return s.*m ? "1" : "0"; }
        std::string operator()(IntField m) const { return std::to_string(s.*m); }
    };
    return std::visit(Visitor{settings}, field.field);
}

}  // namespace corvane::model
