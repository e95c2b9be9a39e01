#include "project/ProjectFileReader.h"

#include <optional>
#include <unordered_map>

#include "model/Project.h"
#include "model/SettingsTable.h"
#include "platform/FileProbe.h"
#include "project/ProfileValues.h"
#include "project/RowFields.h"
#include "project/StoredLanguages.h"

namespace corvane::project {

namespace {

using model::Project;

class ProjectProfileReader {
public:
    ProjectProfileReader(Project& project, const platform::ProfileFile& profile, std::filesystem::path folder)
        : m_project(project), m_profile(profile), m_folder(std::move(folder)) {}

    std::optional<LanguageChange> read() {
        const auto& fields = model::settingFields();
        settings(0, 10);

        const StoredLanguages languages(m_project, m_profile);

        settings(10, 15);  // DefaultLanguage, Protect, Password, License, Accept
        languages.restoreDefaultLanguage(m_project.settings.defaultLanguage);
        languages.restoreDocuments("License", m_project.licenses);
        settings(15, 16);
        languages.restoreDocuments("Readme", m_project.readmes);

        // A master is applied before its companions, which then take their own stored values.
        settings(16, fields.size());
        clampChoice(m_project.settings.compressionType, model::kCompressionChoiceCount);
        clampChoice(m_project.settings.rootKey, model::kRootKeyChoiceCount);

        m_project.files.clear();
        m_project.shortcuts.clear();
        m_project.registry.clear();
        m_project.ini.clear();
        m_project.associations.clear();
        m_project.dlls.clear();

        for (const std::string& row : m_profile.rowKeys("Files")) {
            m_project.files.push_back(entryFromRow<model::FileEntry>(row));
            measure(m_project.files.back());
        }
        if (m_project.adoptCurrentUninstaller()) measure(m_project.files[*m_project.uninstallerRow()]);
        rows("Shortcuts", m_project.shortcuts);
        rows("Registry", m_project.registry);
        rows("INI", m_project.ini);
        rows("Associations", m_project.associations);
        for (const std::string& key : m_profile.rowKeys("DLL"))
            m_project.dlls.push_back({key});
        return languages.change();
    }

private:
    // A row whose source cannot be opened keeps its stored size and is marked, never dropped:
    // the next save would otherwise lose it for good.
    void measure(model::FileEntry& entry) const {
        const platform::FileProbe probe =
            platform::probeFile(model::resolveAuthorPath(m_folder, entry.source));
        entry.sourceMissing = !probe.readable();
        if (probe.readable()) entry.size = std::to_string(probe.size);
    }

    // A choice setting outside its list selects nothing, as a choice box showing it would.
    static void clampChoice(std::int32_t& value, std::int32_t count) {
        if (value < 0 || value >= count) value = model::kNoChoice;
    }

    void settings(std::size_t from, std::size_t to) {
        const auto& fields = model::settingFields();
        for (std::size_t i = from; i < to; ++i)
            apply(fields[i]);
    }

    void apply(const model::SettingField& field) {
        const std::optional<std::string> stored = m_profile.value("Settings", field.key);
        model::ProjectSettings& s = m_project.settings;
        if (auto text = std::get_if<model::TextField>(&field.field)) {
            s.** text = stored.value_or("");
        } else if (auto integer = std::get_if<model::IntField>(&field.field)) {
            std::optional<std::int32_t> v = stored ? parseProfileInteger(*stored) : std::nullopt;
            s.** integer = v.value_or(field.missingDefault);
        } else {
            const auto member = std::get<model::BoolField>(field.field);
            const bool on = stored && parseProfileBoolean(*stored);
            if (member == &model::ProjectSettings::uninstall)
                m_project.setUninstall(on);
            else if (member == &model::ProjectSettings::restart)
                m_project.setRestart(on);
            else if (member == &model::ProjectSettings::launchFile)
                m_project.setLaunchFile(on);
            else if (member == &model::ProjectSettings::viewReadme)
                m_project.setViewReadme(on);
            else if (member == &model::ProjectSettings::visitSite)
                m_project.setVisitSite(on);
            else
                s.*member = on;
        }
    }

    template <class Entry>
    void rows(const char* section, std::vector<Entry>& list) {
        for (const std::string& row : m_profile.rowKeys(section))
            list.push_back(entryFromRow<Entry>(row));
    }

    Project& m_project;
    const platform::ProfileFile& m_profile;
    std::filesystem::path m_folder;
};

}  // namespace

std::optional<LanguageChange> readProjectProfile(Project& project, const platform::ProfileFile& profile,
                                                 const std::filesystem::path& projectFolder) {
    return ProjectProfileReader(project, profile, projectFolder).read();
}

std::optional<LanguageChange> readProjectFile(Project& project, const std::filesystem::path& path) {
    const platform::ProfileFile profile = platform::ProfileFile::load(path);
    return readProjectProfile(project, profile, path.parent_path());
}

}  // namespace corvane::project
