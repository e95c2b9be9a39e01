#pragma once

// An INI file with the rules of the Windows private-profile functions, which define the text
// form of .zan projects and of zansetup.ini:
//
//  - "[Section]" lines open sections; "key=value" lines are entries; blank lines mean nothing.
//  - Sections and keys are compared without regard to letter case (blanks around them ignored).
//  - Writing an existing key replaces its value in place and keeps the key's first spelling;
//    a new key goes to the end of its section, a new section to the end of the file.
//  - Keys and values are written as given: no quotes, no escapes.
//  - Reading drops blanks around keys and values, and one pair of enclosing double or single
//    quotes from a value. Listing a section's keys gives them in file order.
//
// Windows rewrites the file on every call; this class keeps it in memory and writes it once,
// producing the bytes the key-by-key writes would have produced, in time linear in its size.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace corvane::platform {

// A save the file system refused; the message reads "Unable to write to <path>".
class ProfileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ProfileFile {
public:
    ProfileFile() = default;

    // Parses text already decoded to UTF-8. Lines may end in CR LF, LF or CR.
    static ProfileFile parse(std::string_view text);
    // Reads and parses a file: UTF-8 (a leading byte-order mark dropped), or Windows-1252 when
    // the bytes are not valid UTF-8. Throws std::runtime_error naming the file when it cannot
    // be read.
    static ProfileFile load(const std::filesystem::path& path);

    // The value of a key as GetPrivateProfileString returns it, or nothing when the section or
    // key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string readString(std::string_view section, std::string_view key,
                           std::string_view fallback = {}) const;
    // The section's keys in file order, blanks trimmed; empty keys are not listed.
    std::vector<std::string> keys(std::string_view section) const;
    // The section's lines read as list rows: each line up to its last "=" rather than its first,
    // blanks trimmed, in file order. A row line's value is empty, so an "=" before the last one
    // belongs to the row. Lines that hold one "=" give what keys() gives.
    std::vector<std::string> rowKeys(std::string_view section) const;
    bool hasSection(std::string_view section) const;

    void write(std::string_view section, std::string_view key, std::string_view value);

    // The file's bytes: sections and entries with CR LF line ends.
    std::string text() const;
    // Writes text() to path atomically: a failed save leaves any previous file whole. Throws
    // ProfileWriteError with "Unable to write to <path>".
    void save(const std::filesystem::path& path) const;

private:
    struct Entry {
        std::string key;
        std::optional<std::string> value;  // none for a line without "="
        std::optional<std::string> row;    // the line up to its last "=", when that is not the first
        // The line as read, written back as it was until the entry is written: Windows leaves
        // every other line alone, and the blanks before a row's first "=" may belong to a field.
        std::optional<std::string> line;
    };
    struct Section {
        std::string name;
        std::vector<Entry> entries;
        std::unordered_map<std::string, std::size_t> index;  // folded key -> first entry
    };

    const Section* findSection(std::string_view name) const;
    Section& sectionForWrite(std::string_view name);

    std::vector<Section> m_sections;
    std::unordered_map<std::string, std::size_t> m_sectionIndex;  // folded name -> first section
};

}  // namespace corvane::platform
