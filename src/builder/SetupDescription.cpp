#include "builder/SetupDescription.h"

#include <array>
#include <cassert>
#include <string_view>
#include <system_error>

#include "builder/PasswordHash.h"
#include "model/Project.h"
#include "model/SettingsTable.h"
#include "platform/TextCase.h"
#include "project/FormatLimits.h"
#include "project/RowFields.h"

namespace corvane::builder {

namespace {

// The Settings keys in the order the runtime's description lists them. SetupFile and
// CompressionType steer the build; Wizard, Header and the languages travel in the cabinet.
constexpr std::array<std::string_view, 33> kDescriptionSettings{
    "AppName",
    "AppVersion",
    "CompanyName",
    "WebSite",
    "Support",
    "Silent",
    "DefaultLanguage",
    "Protect",
    "Password",
    "License",
    "Accept",
    "Readme",
    "InstallDir",
    "GetFromRegistry",
    "RootKey",
    "Subkey",
    "Value",
    "Uninstall",
    "ShowPorgrams",
    "UninstallPage",
    "UninstallAddress",
    "ProgramGroup",
    "AllUsersMenu",
    "Restart",
    "LaunchFile",
    "LaunchFileName",
    "LaunchCecked",
    "ViewReadme",
    "ViewReadmeFileName",
    "ViewReadmeCecked",
    "VisitSite",
    "VisitSiteAddress",
    "VisitSiteCecked",
};

PasswordSalt productSalt(const model::Project& project) {
    const model::ProjectSettings& s = project.settings;
    return productPasswordSalt(s.appName + '\n' + s.appVersion + '\n' + s.companyName + '\n' + s.installDir);
}

std::string stored(std::string text) {
    return project::withoutLineBreaks(std::move(text));
}

}  // namespace

SetupDescriptionWriter::SetupDescriptionWriter(std::filesystem::path path) : m_path(std::move(path)) {
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
    if (ec) throw platform::ProfileWriteError("Unable to write to " + m_path.string());
}

void SetupDescriptionWriter::writeSettings(const model::Project& project, std::uint64_t stubSize) {
    for (const std::string_view key : kDescriptionSettings) {
        // The runtime gets the default language by name, not by its position in the editor.
        std::string value = key == "DefaultLanguage"
                                ? project.defaultLanguageName()
                                : model::storedValue(project.settings, model::settingField(key));
        // The setup carries a hash of the password, and nothing while protection is off.
        if (key == "Password")
            value = project.settings.protect ? passwordHash(value, m_salt ? m_salt() : productSalt(project))
                                             : std::string();
        m_profile.write("Settings", key, stored(value));
    }
    m_profile.write("Settings", "FileSize", std::to_string(stubSize));
}

void SetupDescriptionWriter::writeFileLine(const model::FileEntry& row, std::uint64_t cabinetLength) {
    const std::string line = stored(row.installTo + '?' + std::to_string(cabinetLength) + '?' + row.ifExists +
                                    '?' + row.uninstall);
    // Counting on from where this line's last copy stopped keeps many identical rows linear.
    // Lines equal up to letter case share a count, as they share a key in the INI file.
    int& next = m_nextOccurrence[platform::foldedCopy(line)];
    if (next == 0) next = 2;
    std::string key = line;
    while (m_profile.value("Files", key).has_value())
        key = line + '?' + std::to_string(next++);
    m_profile.write("Files", key, "");
}

void SetupDescriptionWriter::writeOtherSections(const model::Project& project) {
    for (const model::ShortcutEntry& s : project.shortcuts) {
        // The first field is the shortcut's full path: folder and name joined by a backslash.
        const std::string key = s.destination + '\\' + s.name + '?' + s.target + '?' + s.description + '?' +
                                s.parameters + '?' + s.workingDir + '?' + s.iconFile + '?' + s.iconIndex +
                                '?' + s.show;
        m_profile.write("Shortcuts", stored(key), "");
    }
    for (const auto& e : project.registry)
        m_profile.write("Registry", stored(project::joinRow(e)), "");
    for (const auto& e : project.ini)
        m_profile.write("INI", stored(project::joinRow(e)), "");
    for (const auto& e : project.associations)
        m_profile.write("Associations", stored(project::joinRow(e)), "");
    for (const auto& e : project.dlls)
        m_profile.write("DLL", stored(project::joinRow(e)), "");
}

void SetupDescriptionWriter::close() {
    assert(!m_path.empty());
    m_profile.save(m_path);
}

}  // namespace corvane::builder
