#pragma once

// How a stored list row comes apart again. The editor's project reader and Setup.exe both read
// rows with this one header (the runtime includes it as well; it needs nothing but the standard
// library, and no exceptions).
//
// A row is its fields joined by "?", written as an INI key with an empty value, so the line ends
// in "=". Values people really type hold these characters (a URL with a query, "Need help?"),
// and the plain rule, which cuts the line at its first "=" and the row at each "?" in turn, reads
// such a row back changed. Two choices carry them without changing any line that holds neither:
//
//  - The key of a row line is everything before the line's LAST "=". A row line's value is
//    always empty, so any earlier "=" belongs to a field.
//  - Each kind of row names one free-text field that may hold "?". When a row has more "?" than
//    separators, the fields before the free one are taken from the start and the fields after it
//    from the end; whatever lies between is the free field. The fields at the ends are paths,
//    numbers and fixed words, which never hold "?" (Windows forbids it in file names), so the
//    split is unambiguous. A row with the expected number of "?" or fewer is split exactly as
//    before: each field up to the next "?", missing separators leaving middle fields empty and
//    the last segment going to the last field.
//
// A "?" in any other field cannot be carried; the editor refuses it before it is stored in a
// setup (see builder/UncarriedCharacters.h).

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::rows {

// Fields of the setup description's list lines, and the field of each that may hold "?".
inline constexpr std::size_t kShortcutLineFields = 8;  // folder\name, target, description, parameters, ...
inline constexpr std::size_t kShortcutLineFree = 2;    // description
inline constexpr std::size_t kRegistryLineFields = 7;
inline constexpr std::size_t kRegistryLineFree = 4;  // value data
inline constexpr std::size_t kIniLineFields = 6;
inline constexpr std::size_t kIniLineFree = 3;  // value
inline constexpr std::size_t kAssociationLineFields = 2;
inline constexpr std::size_t kAssociationLineFree = 1;  // associated file

// The part of a row line that is the row: everything before its last "=" (the whole line when
// it has none).
template <class Char>
std::basic_string_view<Char> rowOfLine(std::basic_string_view<Char> line) {
    const std::size_t eq = line.rfind(Char('='));
    return eq == std::basic_string_view<Char>::npos ? line : line.substr(0, eq);
}

template <class Char>
std::size_t separatorCount(std::basic_string_view<Char> row) {
    std::size_t n = 0;
    for (Char c : row)
        if (c == Char('?')) ++n;
    return n;
}

// Splits row into fieldCount fields, field freeField taking any surplus "?" (see above).
template <class Char>
std::vector<std::basic_string<Char>> splitRow(std::basic_string_view<Char> row, std::size_t fieldCount,
                                              std::size_t freeField) {
    using View = std::basic_string_view<Char>;
    std::vector<std::basic_string<Char>> fields;
    if (fieldCount == 0) return fields;
    fields.reserve(fieldCount);
    if (freeField + 1 >= fieldCount || separatorCount(row) <= fieldCount - 1) {
        for (std::size_t i = 0; i + 1 < fieldCount; ++i) {
            const std::size_t mark = row.find(Char('?'));
            if (mark == View::npos) {
                fields.emplace_back();
                continue;
            }
            fields.emplace_back(row.substr(0, mark));
            row.remove_prefix(mark + 1);
        }
        fields.emplace_back(row);
        return fields;
    }
    for (std::size_t i = 0; i < freeField; ++i) {
        const std::size_t mark = row.find(Char('?'));
        fields.emplace_back(row.substr(0, mark));
        row.remove_prefix(mark + 1);
    }
    std::vector<std::basic_string<Char>> tail(fieldCount - 1 - freeField);
    for (std::size_t i = tail.size(); i-- > 0;) {
        const std::size_t mark = row.rfind(Char('?'));
        tail[i] = std::basic_string<Char>(row.substr(mark + 1));
        row.remove_suffix(row.size() - mark);
    }
    fields.emplace_back(row);
    for (auto& field : tail)
        fields.push_back(std::move(field));
    return fields;
}

}  // namespace corvane::rows
