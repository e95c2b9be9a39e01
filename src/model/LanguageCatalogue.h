#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace corvane::model {

// The languages a project can offer: the "*.lng" files of a folder (the extension matched without
// regard to case, folders skipped), each named by its file name up to the first "." (so
// Chinese.Simplified.lng is Chinese), sorted alphabetically without regard to letter case.
// A missing or unreadable folder gives an empty catalogue.
std::vector<std::string> scanLanguageFolder(const std::filesystem::path& folder);

}  // namespace corvane::model
