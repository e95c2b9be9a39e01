#include "model/LanguageCatalogue.h"

#include <algorithm>
#include <system_error>

#include "platform/TextCase.h"

namespace corvane::model {

std::vector<std::string> scanLanguageFolder(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (it->is_directory(ec)) continue;
        const std::string fileName = it->path().filename().string();
        if (fileName.size() < 4 || !platform::equalsIgnoringCase(std::string_view(fileName).substr(fileName.size() - 4), ".lng"))
            continue;
        names.push_back(fileName.substr(0, fileName.find('.')));
    }
    // Equal names up to case keep a fixed order, so the positions stored in projects are stable.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int c = platform::compareIgnoringCase(a, b);
        return c != 0 ? c < 0 : a < b;
    });
    return names;
}

}  // namespace corvane::model
