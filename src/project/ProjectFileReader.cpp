#include "project/ProjectFileReader.h"

#include <optional>
#include <unordered_map>

#include "model/Project.h"
#include "model/SettingsTable.h"
#include "platform/FileProbe.h"
#include "project/ProfileValues.h"
#include "project/RowFields.h"

namespace corvane::project {

namespace {

using model::Project;

class ProjectProfileReader {
public:
    ProjectProfileReader(Project& project, const platform::ProfileFile& profile, std::filesystem::path folder)
        : m_project(project), m_profile(profile), m_folder(std::move(folder)) {}

    void read() {
        const auto& fields = model::settingFields();
        settings(0, 10);

        m_project.scanLanguageCatalogue();
        const std::size_t catalogueSize = m_project.languageCatalogue().size();
        for (const std::string& key : m_profile.keys("Language")) {
            const std::optional<std::int32_t> pos = parseDecimal(key);
            if (pos && *pos >= 0 && static_cast<std::size_t>(*pos) < catalogueSize)
                m_project.setLanguageSelected(static_cast<std::size_t>(*pos), true);
        }
        m_project.rebuildDocumentLists();

        settings(10, 15);  // DefaultLanguage, Protect, Password, License, Accept
        std::int32_t& defaultLanguage = m_project.settings.defaultLanguage;
        if (defaultLanguage < 0 ||
            static_cast<std::size_t>(defaultLanguage) >= m_project.selectedLanguages().size())
            defaultLanguage = model::kNoChoice;
        documents("License", m_project.licenses);
        settings(15, 16);
        documents("Readme", m_project.readmes);

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
    }

private:
    static std::optional<std::int32_t> parseDecimal(std::string_view text) {
        if (text.find_first_of("xX$") != std::string_view::npos) return std::nullopt;
        return parseProfileInteger(text);
    }

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

    // Stored documents go back to the rows at the same position, and only when that row is
    // still for the same language: another machine's catalogue may select other languages.
    void documents(const char* section, std::vector<model::LanguageDocEntry>& list) {
        const std::vector<std::string> stored = m_profile.rowKeys(section);
        for (std::size_t p = 0; p < stored.size() && p < list.size(); ++p) {
            model::LanguageDocEntry entry = entryFromRow<model::LanguageDocEntry>(stored[p]);
            if (list[p].language == entry.language) list[p].file = std::move(entry.file);
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

void readProjectProfile(Project& project, const platform::ProfileFile& profile,
                        const std::filesystem::path& projectFolder) {
    ProjectProfileReader(project, profile, projectFolder).read();
}

void readProjectFile(Project& project, const std::filesystem::path& path) {
    const platform::ProfileFile profile = platform::ProfileFile::load(path);
    readProjectProfile(project, profile, path.parent_path());
}

}  // namespace corvane::project
