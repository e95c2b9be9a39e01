#pragma once

// How a line of a .zan project or of zansetup.ini comes apart: first the line (a section, an
// entry or nothing), then a list row into its fields. Corvane's profile reader and Setup.exe's
// description reader both read lines with this one header, so a line the build writes is a
// line the setup reads the same way. Plain standard C++, no exceptions: the mingw runtime
// compiles it as the host does.
//
// A line, as the private-profile functions read it:
//  - blanks (space, tab, vertical tab, form feed) around it mean nothing, and a line of blanks
//    is no entry;
//  - a line that begins with "[" and holds a "]" opens a section named by what lies between the
//    "[" and its last "]"; without a "]" it is an ordinary entry;
//  - every other line is an entry, whatever its first character. There are no comment lines: a
//    line that begins with ";" or "#" is an entry like any other, as Windows reads it, so a row
//    whose first field begins so (an association for the extension ";x") reaches Setup.exe.
// A list row that would begin a line with "[" and hold a "]" cannot be carried; the build
// refuses it naming the row (readsBackAsRow below, builder/RowValueChecks.h).
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

namespace corvane::contract {

template <class Char>
constexpr bool isLineBlank(Char c) {
    return c == Char(' ') || c == Char('\t') || c == Char('\v') || c == Char('\f') || c == Char('\r') ||
           c == Char('\n');
}

template <class Char>
constexpr std::basic_string_view<Char> trimLineBlanks(std::basic_string_view<Char> text) {
    while (!text.empty() && isLineBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isLineBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

enum class LineKind : unsigned char { Nothing, Section, Entry };

// One line read (views into the line given).
template <class Char>
struct ProfileLine {
    using View = std::basic_string_view<Char>;
    LineKind kind = LineKind::Nothing;
    View text;  // the line without the blanks around it
    View name;  // a section's name, blanks around dropped
    View key;   // an entry's key: up to its first "=", blanks around dropped
    bool hasValue = false;
    View value;  // an entry's value: everything after its first "=", as it stands
    View row;    // an entry read as a list row: up to its LAST "=", blanks around dropped
};

template <class Char>
constexpr ProfileLine<Char> readProfileLine(std::basic_string_view<Char> raw) {
    using View = std::basic_string_view<Char>;
    ProfileLine<Char> line;
    line.text = trimLineBlanks(raw);
    const View text = line.text;
    if (text.empty()) return line;
    if (text.front() == Char('[')) {
        const std::size_t close = text.rfind(Char(']'));
        if (close != View::npos) {
            line.kind = LineKind::Section;
            line.name = trimLineBlanks(text.substr(1, close - 1));
            return line;
        }
    }
    line.kind = LineKind::Entry;
    const std::size_t eq = text.find(Char('='));
    line.key = trimLineBlanks(text.substr(0, eq));
    if (eq != View::npos) {
        line.hasValue = true;
        line.value = text.substr(eq + 1);
        line.row = trimLineBlanks(text.substr(0, text.rfind(Char('='))));
    } else {
        line.row = text;
    }
    return line;
}

// Whether a row written as the line "row=" reads back as that row, the blanks around it aside
// (every reader trims the fields at a row's ends): it holds no line break, and the line reads
// as an entry with a row, not as a section or as nothing.
template <class Char>
constexpr bool readsBackAsRow(std::basic_string_view<Char> row) {
    for (const Char c : row)
        if (c == Char('\r') || c == Char('\n')) return false;
    row = trimLineBlanks(row);
    return !row.empty() &&
           !(row.front() == Char('[') && row.find(Char(']')) != std::basic_string_view<Char>::npos);
}

namespace rows {

// Fields of the setup description's list lines, and the field of each that may hold "?".
inline constexpr std::size_t kShortcutLineFields = 8;  // folder\name, target, description, parameters, ...
inline constexpr std::size_t kShortcutLineFree = 2;    // description
inline constexpr std::size_t kRegistryLineFields = 7;
inline constexpr std::size_t kRegistryLineFree = 4;  // value data
inline constexpr std::size_t kIniLineFields = 6;
inline constexpr std::size_t kIniLineFree = 3;  // value
inline constexpr std::size_t kAssociationLineFields = 2;
inline constexpr std::size_t kAssociationLineFree = 1;  // associated file

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

}  // namespace rows

}  // namespace corvane::contract
