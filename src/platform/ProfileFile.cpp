#include "platform/ProfileFile.h"

#include "contract/RowFormat.h"
#include "platform/AtomicFile.h"
#include "platform/TextCase.h"
#include "platform/TextEncoding.h"

namespace corvane::platform {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// Names are looked up trimmed and folded, as the Windows functions compare them.
std::string lookupName(std::string_view s) {
    return foldedCopy(trimmed(s));
}

std::string unquoted(std::string_view value) {
    value = trimmed(value);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(value);
}

}  // namespace

ProfileFile ProfileFile::parse(std::string_view text) {
    ProfileFile file;
    Section* current = nullptr;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) end = text.size();
        const contract::ProfileLine<char> line = contract::readProfileLine(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size() && text[pos] == '\r') ++pos;
        if (pos < text.size() && text[pos] == '\n') ++pos;
        if (line.kind == contract::LineKind::Nothing) continue;

        if (line.kind == contract::LineKind::Section) {
            file.m_sections.push_back({std::string(line.name), {}, {}});
            file.m_sectionIndex.emplace(foldedCopy(line.name), file.m_sections.size() - 1);
            current = &file.m_sections.back();
            continue;
        }
        if (current == nullptr) continue;  // entries before the first section belong to none

        Entry entry;
        entry.line = std::string(line.text);
        entry.key = std::string(line.key);
        if (line.hasValue) {
            entry.value = std::string(line.value);
            if (line.row != line.key) entry.row = std::string(line.row);
        }
        current->index.emplace(foldedCopy(entry.key), current->entries.size());
        current->entries.push_back(std::move(entry));
    }
    return file;
}

ProfileFile ProfileFile::load(const std::filesystem::path& path) {
    return parse(decodeProfileText(readWholeFile(path)));
}

const ProfileFile::Section* ProfileFile::findSection(std::string_view name) const {
    const auto it = m_sectionIndex.find(lookupName(name));
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

std::optional<std::string> ProfileFile::value(std::string_view section, std::string_view key) const {
    const Section* s = findSection(section);
    if (s == nullptr) return std::nullopt;
    const auto it = s->index.find(lookupName(key));
    if (it == s->index.end()) return std::nullopt;
    const Entry& e = s->entries[it->second];
    return e.value ? unquoted(*e.value) : std::string();
}

std::string ProfileFile::readString(std::string_view section, std::string_view key,
                                    std::string_view fallback) const {
    std::optional<std::string> v = value(section, key);
    return v ? std::move(*v) : std::string(fallback);
}

std::vector<std::string> ProfileFile::keys(std::string_view section) const {
    std::vector<std::string> list;
    if (const Section* s = findSection(section)) {
        list.reserve(s->entries.size());
        for (const Entry& e : s->entries)
            if (!e.key.empty()) list.push_back(e.key);
    }
    return list;
}

std::vector<std::string> ProfileFile::rowKeys(std::string_view section) const {
    std::vector<std::string> list;
    if (const Section* s = findSection(section)) {
        list.reserve(s->entries.size());
        for (const Entry& e : s->entries)
            if (e.row)
                list.push_back(*e.row);
            else if (!e.key.empty())
                list.push_back(e.key);
    }
    return list;
}

bool ProfileFile::hasSection(std::string_view section) const {
    return findSection(section) != nullptr;
}

ProfileFile::Section& ProfileFile::sectionForWrite(std::string_view name) {
    const auto [it, added] = m_sectionIndex.emplace(lookupName(name), m_sections.size());
    if (added) m_sections.push_back({std::string(name), {}, {}});
    return m_sections[it->second];
}

void ProfileFile::write(std::string_view section, std::string_view key, std::string_view value) {
    Section& s = sectionForWrite(section);
    const auto [it, added] = s.index.emplace(lookupName(key), s.entries.size());
    if (added) {
        s.entries.push_back({std::string(key), std::string(value), std::nullopt, std::nullopt});
        return;
    }
    Entry& entry = s.entries[it->second];
    entry.value = std::string(value);
    entry.line.reset();  // Windows writes the changed line anew, in the key's first spelling
}

std::string ProfileFile::text() const {
    std::size_t size = 0;
    for (const Section& s : m_sections) {
        size += s.name.size() + 4;
        for (const Entry& e : s.entries)
            size += (e.line ? e.line->size() : e.key.size() + (e.value ? e.value->size() + 1 : 0)) + 2;
    }
    std::string out;
    out.reserve(size);
    for (const Section& s : m_sections) {
        out += '[';
        out += s.name;
        out += "]\r\n";
        for (const Entry& e : s.entries) {
            if (e.line) {
                out += *e.line;
                out += "\r\n";
                continue;
            }
            out += e.key;
            if (e.value) {
                out += '=';
                out += *e.value;
            }
            out += "\r\n";
        }
    }
    return out;
}

void ProfileFile::save(const std::filesystem::path& path) const {
    try {
        writeFileAtomically(path, text());
    } catch (const std::exception&) {
        throw ProfileWriteError("Unable to write to " + path.string());
    }
}

}  // namespace corvane::platform
