#include "builder/SetupDescription.h"

#include <array>
#include <cassert>
#include <string_view>
#include <system_error>

#include "builder/PasswordHash.h"
#include "contract/DescriptionKeys.h"
#include "model/Project.h"
#include "model/SettingsTable.h"
#include "platform/TextCase.h"
#include "project/FormatLimits.h"
#include "project/RowFields.h"

namespace corvane::builder {

namespace {

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
    using contract::Setting;
    const std::string_view settings = contract::section::kSettings;
    // Every key the runtime reads, in the contract's order; each names the project setting of the
    // same key, but FileSize, the stub's length, which comes last. SetupFile, CompressionType,
    // Wizard, Header and the languages steer the build or travel in the cabinet instead.
    for (std::size_t i = 0; i < contract::kSettingCount; ++i) {
        const auto setting = static_cast<Setting>(i);
        const std::string_view key = contract::keyOf(setting);
        std::string value;
        if (setting == Setting::FileSize)
            value = std::to_string(stubSize);
        else if (setting == Setting::DefaultLanguage)
            value = project.defaultLanguageName();  // by name, not by its position in the editor
        else if (setting == Setting::Password)
            // The setup carries a hash of the password, and nothing while protection is off.
            value = project.settings.protect
                        ? passwordHash(project.settings.password, m_salt ? m_salt() : productSalt(project))
                        : std::string();
        else
            value = model::storedValue(project.settings, model::settingField(key));
        m_profile.write(settings, key, stored(value));
    }
}

std::string SetupDescriptionWriter::fileLine(const model::FileEntry& row, std::uint64_t cabinetLength) {
    return stored(row.installTo + '?' + std::to_string(cabinetLength) + '?' + row.ifExists + '?' +
                  row.uninstall);
}

void SetupDescriptionWriter::writeFileLine(const model::FileEntry& row, std::uint64_t cabinetLength) {
    const std::string line = fileLine(row, cabinetLength);
    // Counting on from where this line's last copy stopped keeps many identical rows linear.
    // Lines equal up to letter case share a count, as they share a key in the INI file.
    int& next = m_nextOccurrence[platform::foldedCopy(line)];
    if (next == 0) next = 2;
    std::string key = line;
    while (m_profile.value(contract::section::kFiles, key).has_value())
        key = line + '?' + std::to_string(next++);
    m_profile.write(contract::section::kFiles, key, "");
}

std::string SetupDescriptionWriter::shortcutLine(const model::ShortcutEntry& s) {
    // The first field is the shortcut's full path: folder and name joined by a backslash.
    return stored(s.destination + '\\' + s.name + '?' + s.target + '?' + s.description + '?' + s.parameters +
                  '?' + s.workingDir + '?' + s.iconFile + '?' + s.iconIndex + '?' + s.show);
}

void SetupDescriptionWriter::writeOtherSections(const model::Project& project) {
    for (const model::ShortcutEntry& s : project.shortcuts)
        m_profile.write(contract::section::kShortcuts, shortcutLine(s), "");
    for (const auto& e : project.registry)
        m_profile.write(contract::section::kRegistry, stored(project::joinRow(e)), "");
    for (const auto& e : project.ini)
        m_profile.write(contract::section::kIni, stored(project::joinRow(e)), "");
    for (const auto& e : project.associations)
        m_profile.write(contract::section::kAssociations, stored(project::joinRow(e)), "");
    for (const auto& e : project.dlls)
        m_profile.write(contract::section::kDll, stored(project::joinRow(e)), "");
}

void SetupDescriptionWriter::close() {
    assert(!m_path.empty());
    m_profile.save(m_path);
}

}  // namespace corvane::builder
