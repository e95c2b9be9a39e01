#pragma once

// A list row is stored as one INI key: the entry's fields joined by "?", with an empty value.
// This file says which fields, in which order, and holds the rule that splits a key back.

#include <array>
#include <string>
#include <string_view>
#include <vector>

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
    return std::array{&E::rootKey, &E::subkey, &E::valueName, &E::valueType, &E::valueData, &E::overwrite,
                      &E::uninstall};
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

// Splits a row into fieldCount fields: each of the first fieldCount-1 fields is the text before
// the next "?" (empty when there is none, and then nothing is consumed); the last field takes
// what remains. So missing separators leave middle fields empty while the last segment still
// reaches the last field, and surplus "?" stay in the last field.
std::vector<std::string> splitRow(std::string_view row, std::size_t fieldCount);

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
    std::vector<std::string> parts = splitRow(row, members.size());
    Entry entry;
    for (std::size_t i = 0; i < members.size(); ++i) entry.*members[i] = std::move(parts[i]);
    return entry;
}

}  // namespace corvane::project
