#include "model/LanguageCatalogue.h"

#include <algorithm>
#include <system_error>

#include "platform/TextCase.h"

namespace corvane::model {

std::vector<LanguageFile> scanLanguageFolder(const std::filesystem::path& folder) {
    std::vector<LanguageFile> languages;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec)) continue;
        const std::string fileName = it->path().filename().string();
        if (fileName.size() < 4 ||
            !platform::equalsIgnoringCase(std::string_view(fileName).substr(fileName.size() - 4), ".lng"))
            continue;
        // ".lng" alone names no language (and is a hidden file here).
        if (fileName.front() == '.') continue;
        languages.push_back({fileName.substr(0, fileName.find('.')), fileName});
    }
    // Equal names up to case keep a fixed order, so the positions stored in projects are stable.
    std::sort(languages.begin(), languages.end(), [](const LanguageFile& a, const LanguageFile& b) {
        const int c = platform::compareIgnoringCase(a.name, b.name);
        if (c != 0) return c < 0;
        return a.name != b.name ? a.name < b.name : a.fileName < b.fileName;
    });
    return languages;
}

}  // namespace corvane::model
