#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::model {

// One language a project can offer. The name is what the editor lists, what the document rows
// are captioned with and what the setup packs the file as (<name>.lng); the file name is what
// the Languages folder really holds, which differs when the name has more dots
// (English.US.lng is English).
struct LanguageFile {
    std::string name;
    std::string fileName;

    bool operator==(const LanguageFile&) const = default;
};

// The languages a project can offer: the "*.lng" files of a folder (the extension matched without
// regard to case, folders skipped), each named by its file name up to the first "." (so
// Chinese.Simplified.lng is Chinese), sorted alphabetically without regard to letter case.
// A missing or unreadable folder gives an empty catalogue.
std::vector<LanguageFile> scanLanguageFolder(const std::filesystem::path& folder);

}  // namespace corvane::model
