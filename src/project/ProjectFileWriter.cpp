#include "project/ProjectFileWriter.h"

#include "model/Project.h"
#include "model/SettingsTable.h"
#include "project/RowFields.h"
#include "project/StoredLanguages.h"

namespace corvane::project {

namespace {

class ProjectProfileBuilder {
public:
    explicit ProjectProfileBuilder(const model::Project& project) : m_project(project) {}

    // Windows programs wrote the settings interleaved with the lists that depend on them; the
    // profile engine puts every Settings key in its one section all the same, so the file shows
    // Settings' 37 keys first and then the lists. The order of writes is kept as the format
    // describes it, so that the bytes match a key-by-key writer exactly.
    platform::ProfileFile build() {
        settings(0, 10);
        languages();
        settings(10, 15);
        rows("License", m_project.licenses);
        settings(15, 16);
        rows("Readme", m_project.readmes);
        settings(16, model::kSettingCount);
        // The checked languages by name as well, after the settings older readers know.
        m_profile.write("Settings", kLanguageFilesKey, withoutLineBreaks(storedLanguageFiles(m_project)));
        rows("Files", m_project.files);
        rows("Shortcuts", m_project.shortcuts);
        rows("Registry", m_project.registry);
        rows("INI", m_project.ini);
        rows("Associations", m_project.associations);
        rows("DLL", m_project.dlls);
        return std::move(m_profile);
    }

private:
    void settings(std::size_t from, std::size_t to) {
        const auto& fields = model::settingFields();
        for (std::size_t i = from; i < to; ++i)
            m_profile.write("Settings", fields[i].key,
                            withoutLineBreaks(model::storedValue(m_project.settings, fields[i])));
    }

    void languages() {
        for (std::size_t i = 0; i < m_project.languageCatalogue().size(); ++i)
            if (m_project.isLanguageSelected(i)) m_profile.write("Language", std::to_string(i), "");
    }

    template <class Entry>
    void rows(const char* section, const std::vector<Entry>& list) {
        for (const Entry& entry : list)
            m_profile.write(section, withoutLineBreaks(joinRow(entry)), "");
    }

    const model::Project& m_project;
    platform::ProfileFile m_profile;
};

}  // namespace

platform::ProfileFile projectProfile(const model::Project& project) {
    return ProjectProfileBuilder(project).build();
}

std::vector<FormatLimitProblem> writeProjectFile(const model::Project& project,
                                                 const std::filesystem::path& path) {
    projectProfile(project).save(path);
    return findFormatLimitProblems(project);
}

}  // namespace corvane::project
