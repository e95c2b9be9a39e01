#include "project/RowFields.h"

namespace corvane::project {

std::vector<std::string> splitRow(std::string_view row, std::size_t fieldCount) {
    std::vector<std::string> fields;
    fields.reserve(fieldCount);
    for (std::size_t i = 0; i + 1 < fieldCount; ++i) {
        const std::size_t mark = row.find('?');
        if (mark == std::string_view::npos) {
            fields.emplace_back();
            continue;
        }
        fields.emplace_back(row.substr(0, mark));
        row.remove_prefix(mark + 1);
    }
    if (fieldCount > 0) fields.emplace_back(row);
    return fields;
}

}  // namespace corvane::project
