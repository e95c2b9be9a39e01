#include "project/StoredLanguages.h"

#include <algorithm>

#include "model/Project.h"
#include "platform/ProfileFile.h"
#include "platform/TextCase.h"
#include "project/ProfileValues.h"
#include "project/RowFields.h"

namespace corvane::project {

namespace {

constexpr char kFileSeparator = '?';

std::string joined(const std::vector<std::string>& names) {
    if (names.empty()) return "none";
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

bool sameNames(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!platform::equalsIgnoringCase(a[i], b[i])) return false;
    return true;
}

// A Language key: a decimal position; "0x" and "$" forms are no positions.
std::optional<std::int32_t> positionOf(std::string_view key) {
    if (key.find_first_of("xX$") != std::string_view::npos) return std::nullopt;
    return parseProfileInteger(key);
}

// The languages an older project was saved with: its License rows after "(Default)", one per
// checked language (the Readme rows when there are no License rows).
std::vector<std::string> documentLanguages(const platform::ProfileFile& profile) {
    for (const char* section : {"License", "Readme"}) {
        const std::vector<std::string> rows = profile.rowKeys(section);
        if (rows.empty()) continue;
        std::vector<std::string> names;
        for (std::size_t i = 1; i < rows.size(); ++i)
            names.push_back(entryFromRow<model::LanguageDocEntry>(rows[i]).language);
        return names;
    }
    return {};
}

// The catalogue position of a language by name: the same spelling first, else letter case aside;
// one not taken yet.
std::optional<std::size_t> findByName(const std::vector<model::LanguageFile>& files, const std::string& name,
                                      const std::vector<bool>& taken) {
    for (const bool exact : {true, false})
        for (std::size_t i = 0; i < files.size(); ++i)
            if (!taken[i] &&
                (exact ? files[i].name == name : platform::equalsIgnoringCase(files[i].name, name)))
                return i;
    return std::nullopt;
}

}  // namespace

std::string LanguageChange::describe() const {
    std::string text;
    if (storedByName) {
        text =
            "The program folder's Languages folder has changed since this project was saved. The "
            "project keeps the language files it names.";
        if (!missing.empty()) text += " It names " + joined(missing) + ", which the folder no longer holds.";
        text += " Checked now: " + joined(checked) + " (its stored positions alone would select " +
                joined(byPosition) + ").";
        return text;
    }
    text =
        "This project stores its languages only by their position in the program folder's Languages "
        "folder, which has changed since it was saved";
    if (!beyond.empty()) {
        std::string positions;
        for (const std::size_t p : beyond)
            positions += (positions.empty() ? "" : ", ") + std::to_string(p);
        text += ": it checks positions (" + positions + ") past the " + std::to_string(folderSize) +
                " language files there now";
    }
    text += ".";
    if (saved.empty()) {
        text += " Which languages it was saved with cannot be known; checked now " + joined(checked) + ".";
        return text;
    }
    text += " It was saved with " + joined(saved) + ", which its positions would now read as " +
            joined(byPosition) + ".";
    if (!missing.empty()) text += " The Languages folder no longer holds " + joined(missing) + ".";
    text += " Checked now: " + joined(checked) + ".";
    return text;
}

std::string storedLanguageFiles(const model::Project& project) {
    std::string value;
    for (const model::LanguageFile& language : project.selectedLanguageFiles()) {
        if (!value.empty()) value += kFileSeparator;
        value += language.fileName;
    }
    return value;
}

StoredLanguages::StoredLanguages(model::Project& project, const platform::ProfileFile& profile)
    : m_project(project), m_profile(profile) {
    project.scanLanguageCatalogue();
    const std::vector<model::LanguageFile>& files = project.languageFiles();

    LanguageChange change;
    change.folderSize = files.size();
    std::vector<bool> byPosition(files.size(), false);
    std::size_t storedCount = 0;  // distinct positions, those past the end included
    for (const std::string& key : profile.keys("Language")) {
        const std::optional<std::int32_t> position = positionOf(key);
        if (!position || *position < 0) continue;
        const auto p = static_cast<std::size_t>(*position);
        if (p < files.size()) {
            if (!byPosition[p]) ++storedCount;
            byPosition[p] = true;
        } else if (std::find(change.beyond.begin(), change.beyond.end(), p) == change.beyond.end()) {
            change.beyond.push_back(p);
            ++storedCount;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i)
        if (byPosition[i]) change.byPosition.push_back(files[i].name);

    std::vector<bool> checked = byPosition;
    bool changed = !change.beyond.empty();
    if (const std::optional<std::string> named = profile.value("Settings", kLanguageFilesKey)) {
        change.storedByName = true;
        checked.assign(files.size(), false);
        std::string_view rest = *named;
        while (!rest.empty()) {
            const std::size_t end = rest.find(kFileSeparator);
            const std::string fileName(rest.substr(0, end));
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            if (fileName.empty()) continue;
            m_savedFiles.push_back(fileName);
            change.saved.push_back(fileName.substr(0, fileName.find('.')));
            std::size_t i = 0;
            while (i < files.size() && files[i].fileName != fileName)
                ++i;
            if (i < files.size())
                checked[i] = true;
            else
                change.missing.push_back(fileName);
        }
        changed = changed || checked != byPosition || !change.missing.empty();
    } else {
        // Written by an older Corvane: its document rows name what its positions selected then.
        std::vector<std::string> documents = documentLanguages(profile);
        if (storedCount > 0 && documents.size() >= storedCount) {
            documents.resize(storedCount);
            if (!sameNames(documents, change.byPosition)) {
                changed = true;
                change.saved = documents;
                checked.assign(files.size(), false);
                for (const std::string& name : change.saved) {
                    if (const std::optional<std::size_t> i = findByName(files, name, checked))
                        checked[*i] = true;
                    else
                        change.missing.push_back(name);
                }
            }
        }
    }
    m_savedNames = change.saved;

    for (std::size_t i = 0; i < files.size(); ++i)
        project.setLanguageSelected(i, checked[i]);
    project.rebuildDocumentLists();
    if (changed) {
        change.checked = project.selectedLanguages();
        m_change = std::move(change);
    }
}

void StoredLanguages::restoreDefaultLanguage(std::int32_t stored) const {
    std::int32_t& defaultLanguage = m_project.settings.defaultLanguage;
    defaultLanguage = model::kNoChoice;
    if (stored < 0) return;
    const auto s = static_cast<std::size_t>(stored);
    const std::vector<model::LanguageFile> checked = m_project.selectedLanguageFiles();
    // By the file or language it named when it was saved, where that is known; else by position.
    const auto wanted = [&](std::size_t i) {
        if (!m_savedFiles.empty()) return s < m_savedFiles.size() && checked[i].fileName == m_savedFiles[s];
        if (!m_savedNames.empty())
            return s < m_savedNames.size() && platform::equalsIgnoringCase(checked[i].name, m_savedNames[s]);
        return i == s;
    };
    for (std::size_t i = 0; i < checked.size(); ++i)
        if (wanted(i)) {
            defaultLanguage = static_cast<std::int32_t>(i);
            return;
        }
}

void StoredLanguages::restoreDocuments(const char* section,
                                       std::vector<model::LanguageDocEntry>& list) const {
    const std::vector<std::string> stored = m_profile.rowKeys(section);
    std::vector<bool> given(list.size(), false);
    for (std::size_t p = 0; p < stored.size(); ++p) {
        model::LanguageDocEntry entry = entryFromRow<model::LanguageDocEntry>(stored[p]);
        std::size_t target = p;
        if (target >= list.size() || given[target] || list[target].language != entry.language) {
            target = 0;
            while (target < list.size() && (given[target] || list[target].language != entry.language))
                ++target;
        }
        if (target == list.size()) continue;
        list[target].file = std::move(entry.file);
        given[target] = true;
    }
}

}  // namespace corvane::project
