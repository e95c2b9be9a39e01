#include "ui/CheckPlaces.h"

namespace corvane::ui {

namespace {

constexpr int kGeneral = 1;
constexpr int kDialogs = 2;
constexpr int kFiles = 3;
constexpr int kSystem = 4;
constexpr int kFinish = 5;

}  // namespace

CheckPlace placeOf(builder::CheckedField field) {
    using F = builder::CheckedField;
    switch (field) {
        case F::AppName:
            return {kGeneral, "TabGeneral", "AppNameEd"};
        case F::AppVersion:
            return {kGeneral, "TabGeneral", "AppVersionEd"};
        case F::CompanyName:
            return {kGeneral, "TabGeneral", "CompanyNameEd"};
        case F::WebSite:
            return {kGeneral, "TabGeneral", "WebSiteEd"};
        case F::Support:
            return {kGeneral, "TabGeneral", "SupportEd"};
        case F::SetupFile:
            return {kGeneral, "TabGeneral", "SetupFileEd"};
        case F::Wizard:
            return {kGeneral, "TabBitmaps", "WizardEd"};
        case F::Header:
            return {kGeneral, "TabBitmaps", "HeaderEd"};
        case F::Languages:
            return {kDialogs, "TabLanguage", "CheckListBox1"};
        case F::DefaultLanguage:
            return {kDialogs, "TabLanguage", "ComboBox2"};
        case F::LicenseFiles:
            return {kDialogs, "TabLicense", "ListLicense"};
        case F::ReadmeFiles:
            return {kDialogs, "TabReadme", "ListReadme"};
        case F::InstallDir:
            return {kFiles, "TabInstallDir", "InstallDirEd"};
        case F::Subkey:
            return {kFiles, "TabInstallDir", "SubkeyEd"};
        case F::RegistryValueName:
            return {kFiles, "TabInstallDir", "ValueNameEd"};
        case F::IncludeUninstaller:
            return {kFiles, "TabFiles", "IncludeUninstallerCheck"};
        case F::UninstallAddress:
            return {kFiles, "TabUninstall", "UninstallAddressEd"};
        case F::ProgramGroup:
            return {kSystem, "TabShortcuts", "ProgramGroupEd"};
        case F::LaunchFileName:
            return {kFinish, "TabAfterInstallation", "LaunchFileNameCombo"};
        case F::ViewReadmeFileName:
            return {kFinish, "TabAfterInstallation", "ViewReadmeFileNameCombo"};
        case F::VisitSiteAddress:
            return {kFinish, "TabAfterInstallation", "VisitSiteAddressEd"};
        case F::Files:
        case F::FileSource:
            return {kFiles, "TabFiles", "ListView1"};
        case F::Shortcuts:
            return {kSystem, "TabShortcuts", "ShortcutsList"};
        case F::Registry:
            return {kSystem, "TabRegistry", "RegistryList"};
        case F::IniValues:
            return {kSystem, "TabIni", "IniList"};
        case F::Associations:
            return {kSystem, "TabAssociations", "AssociationsList"};
        case F::Dlls:
            return {kSystem, "TabDll", "DllList"};
    }
    return {kGeneral, "TabGeneral", "AppNameEd"};
}

}  // namespace corvane::ui
