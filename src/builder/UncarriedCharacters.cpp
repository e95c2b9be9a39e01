#include "builder/UncarriedCharacters.h"

#include <array>
#include <string_view>
#include <vector>

#include "model/Project.h"
#include "project/RowFields.h"

namespace corvane::builder {

namespace {

// The column captions of each list, in stored field order.
template <class Entry>
constexpr auto columns();
template <>
constexpr auto columns<model::FileEntry>() {
    return std::array<std::string_view, 5>{"File", "Size", "Install to", "If Exists", "Uninstall"};
}
template <>
constexpr auto columns<model::ShortcutEntry>() {
    return std::array<std::string_view, 9>{"Destination", "Shortcut Name", "Target File",
                                           "Description", "Parameters",    "Working Dir",
                                           "Icon File",   "Icon Index",    "Show"};
}
template <>
constexpr auto columns<model::RegistryEntry>() {
    return std::array<std::string_view, 7>{"Root Key",   "Subkey",    "Name Value", "Type Value",
                                           "Value Data", "Overwrite", "Uninstall"};
}
template <>
constexpr auto columns<model::IniEntry>() {
    return std::array<std::string_view, 6>{"INI File", "Section", "Key", "Value", "Overwrite", "Uninstall"};
}
template <>
constexpr auto columns<model::AssociationEntry>() {
    return std::array<std::string_view, 2>{"Extension", "Associated File"};
}

struct ListPlace {
    const char* list;  // as the message names it
    CheckedField field;
};

template <class Entry>
std::optional<CheckFailure> check(const std::vector<Entry>& rows, const ListPlace& place) {
    static_assert(columns<Entry>().size() == project::rowFields<Entry>().size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::optional<std::size_t> field = project::uncarriedQuestionMark(rows[i]);
        if (!field) continue;
        std::string message = std::string(place.list) + " row " + std::to_string(i + 1) + ": \"" +
                              std::string(columns<Entry>()[*field]) + "\" holds \"?\", which only \"" +
                              std::string(columns<Entry>()[project::rowFreeField<Entry>]) +
                              "\" may hold; the setup could not read this row.";
        return CheckFailure{std::move(message), place.field, i};
    }
    return std::nullopt;
}

}  // namespace

std::optional<CheckFailure> firstUncarriedCharacter(const model::Project& project) {
    if (auto f = check(project.files, {"Files", CheckedField::Files})) return f;
    if (auto f = check(project.shortcuts, {"Shortcuts", CheckedField::Shortcuts})) return f;
    if (auto f = check(project.registry, {"Registry", CheckedField::Registry})) return f;
    if (auto f = check(project.ini, {"INI Files", CheckedField::IniValues})) return f;
    if (auto f = check(project.associations, {"File Associations", CheckedField::Associations})) return f;
    return std::nullopt;
}

}  // namespace corvane::builder
