#pragma once

// How a project's checked languages are stored and found again.
//
// The Language section stores each checked language by its position in the program folder's
// sorted list of language files ("0=", "3="). Older Corvane reads only that, and existing
// projects hold only that, so it is still written and read. But a position names a language
// only in the folder the project was saved against: a file added to or removed from Languages/
// moves every language after it, and the same positions then select other languages, take
// another default and lose their license and readme documents.
//
// So the writer also stores the checked languages' file names, in the Settings key
// LanguageFiles ("Deutsch.lng?English.lng", "?" being a character no Windows file name holds),
// which older readers pass over as an unknown key. On reading:
//  - A project with LanguageFiles follows the names. When the positions select something else,
//    or a named file is gone, the change is reported (LanguageChange).
//  - A project without it (written by an older Corvane) still carries the names of the languages
//    it was saved with: its License and Readme rows, one per checked language in the folder's
//    order. When the positions no longer select those, or point past the end of the folder, the
//    folder has changed since it was saved; the names are followed where they can be, and the
//    change is reported as one the command-line build refuses. A project without document rows
//    and without a position past the folder's end cannot be checked: nothing in it says what its
//    positions selected when it was saved.
// The default language and the documents follow the names too.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::model {
class Project;
struct LanguageDocEntry;
}  // namespace corvane::model
namespace corvane::platform {
class ProfileFile;
}

namespace corvane::project {

inline constexpr std::string_view kLanguageFilesKey = "LanguageFiles";

// What opening a project found when its stored positions no longer match the program folder.
struct LanguageChange {
    bool storedByName = false;            // the project names its language files (LanguageFiles)
    std::vector<std::string> saved;       // the languages it was saved with, when known
    std::vector<std::string> byPosition;  // what the stored positions alone select now
    std::vector<std::string> checked;     // what is checked now
    std::vector<std::string> missing;     // saved with these, which the folder no longer holds
    std::vector<std::size_t> beyond;      // stored positions past the folder's end
    std::size_t folderSize = 0;           // language files in the folder now

    // A build from the command line refuses the project: it was saved without names (so what it
    // meant is a guess), or a language it names is gone.
    bool refusesBuild() const { return !storedByName || !missing.empty(); }
    // What changed, in sentences for the author.
    std::string describe() const;
};

// The value of LanguageFiles for the project's checked languages.
std::string storedLanguageFiles(const model::Project& project);

// Checks the stored languages in the project's freshly scanned catalogue and rebuilds its
// document lists; the caller then reads DefaultLanguage and calls restoreDefaultLanguage, and
// restores the documents with restoreDocuments.
class StoredLanguages {
public:
    StoredLanguages(model::Project& project, const platform::ProfileFile& profile);

    // DefaultLanguage as stored: a position in the list of languages the project was saved with.
    void restoreDefaultLanguage(std::int32_t stored) const;
    // Stored document rows go to the row of the same language: at the same position when it is
    // still that language's, else the first row of that language not given a file yet.
    void restoreDocuments(const char* section, std::vector<model::LanguageDocEntry>& list) const;

    const std::optional<LanguageChange>& change() const { return m_change; }

private:
    model::Project& m_project;
    const platform::ProfileFile& m_profile;
    std::vector<std::string> m_savedFiles;  // the files as saved, when the project names them
    std::vector<std::string> m_savedNames;  // the languages as saved, when known
    std::optional<LanguageChange> m_change;
};

}  // namespace corvane::project
