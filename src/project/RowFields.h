#pragma once

// A list row is stored as one INI key: the entry's fields joined by "?", with an empty value.
// This file says which fields, in which order, and which one may hold "?"; the rule that splits
// a key back is in contract/RowFormat.h, shared with the setup runtime.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "contract/RowFormat.h"
#include "model/Entries.h"

namespace corvane::project {

// The fields of each entry type in stored order.
template <class Entry>
constexpr auto rowFields();

template <>
constexpr auto rowFields<model::FileEntry>() {
    using E = model::FileEntry;
    return std::array{&E::source, &E::size, &E::installTo, &E::ifExists, &E::uninstall};
}
template <>
constexpr auto rowFields<model::ShortcutEntry>() {
    using E = model::ShortcutEntry;
    return std::array{&E::destination, &E::name,     &E::target,    &E::description, &E::parameters,
                      &E::workingDir,  &E::iconFile, &E::iconIndex, &E::show};
}
template <>
constexpr auto rowFields<model::RegistryEntry>() {
    using E = model::RegistryEntry;
    return std::array{&E::rootKey,   &E::subkey,    &E::valueName, &E::valueType,
                      &E::valueData, &E::overwrite, &E::uninstall};
}
template <>
constexpr auto rowFields<model::IniEntry>() {
    using E = model::IniEntry;
    return std::array{&E::iniFile, &E::section, &E::key, &E::value, &E::overwrite, &E::uninstall};
}
template <>
constexpr auto rowFields<model::AssociationEntry>() {
    using E = model::AssociationEntry;
    return std::array{&E::extension, &E::associatedFile};
}
template <>
constexpr auto rowFields<model::RegisterFileEntry>() {
    return std::array{&model::RegisterFileEntry::file};
}
template <>
constexpr auto rowFields<model::LanguageDocEntry>() {
    using E = model::LanguageDocEntry;
    return std::array{&E::language, &E::file};
}

// The field of each row that may hold "?" (contract/RowFormat.h): a free text whose neighbours are paths,
// numbers and fixed words. Rows without a free text in the middle keep it in their last field.
template <class Entry>
inline constexpr std::size_t rowFreeField = rowFields<Entry>().size() - 1;
template <>
inline constexpr std::size_t rowFreeField<model::FileEntry> = 0;  // source: an author-machine path
template <>
inline constexpr std::size_t rowFreeField<model::ShortcutEntry> = 3;  // description
template <>
inline constexpr std::size_t rowFreeField<model::RegistryEntry> = 4;  // value data
template <>
inline constexpr std::size_t rowFreeField<model::IniEntry> = 3;  // value

// The first field (by stored position) that holds a "?" its row cannot carry, if any.
template <class Entry>
std::optional<std::size_t> uncarriedQuestionMark(const Entry& entry) {
    constexpr auto members = rowFields<Entry>();
    for (std::size_t f = 0; f < members.size(); ++f)
        if (f != rowFreeField<Entry> && (entry.*members[f]).find('?') != std::string::npos) return f;
    return std::nullopt;
}

template <class Entry>
std::string joinRow(const Entry& entry) {
    std::string row;
    bool first = true;
    for (auto member : rowFields<Entry>()) {
        if (!first) row += '?';
        row += entry.*member;
        first = false;
    }
    return row;
}

template <class Entry>
Entry entryFromRow(std::string_view row) {
    constexpr auto members = rowFields<Entry>();
    std::vector<std::string> parts = contract::rows::splitRow(row, members.size(), rowFreeField<Entry>);
    Entry entry;
    for (std::size_t i = 0; i < members.size(); ++i)
        entry.*members[i] = std::move(parts[i]);
    return entry;
}

}  // namespace corvane::project
