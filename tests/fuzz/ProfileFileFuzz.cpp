// Any text as an INI file: what the engine writes of what it parsed parses back to the same
// file (the same bytes, and every section's keys and values alike), and a value written to it
// reads back as written.

#include "FuzzCheck.h"
#include "platform/ProfileFile.h"

using corvane::platform::ProfileFile;

namespace {

// The blanks reading drops around keys and values.
bool blank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// Values the engine promises to carry: no line breaks, no blanks at the ends, no enclosing
// quotes (reading drops those, as Windows does).
bool carried(const std::string& value) {
    if (value.find_first_of("\r\n") != std::string::npos) return false;
    if (!value.empty() && (blank(value.front()) || blank(value.back()))) return false;
    return !(value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
             value.back() == value.front());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const ProfileFile first = ProfileFile::parse(text);
    const std::string written = first.text();
    const ProfileFile second = ProfileFile::parse(written);
    CORVANE_FUZZ_CHECK(second.text() == written, "written text parses to a different file:\n" + written);

    // Every section the first parse saw, by the names its keys were found under.
    for (std::size_t start = 0; start < written.size();) {
        std::size_t end = written.find("\r\n", start);
        if (end == std::string::npos) end = written.size();
        const std::string line = written.substr(start, end - start);
        start = end + 2;
        if (line.size() < 2 || line.front() != '[' || line.back() != ']') continue;
        const std::string section = line.substr(1, line.size() - 2);
        CORVANE_FUZZ_CHECK(first.keys(section) == second.keys(section), "keys of [" + section + "] differ");
        CORVANE_FUZZ_CHECK(first.rowKeys(section) == second.rowKeys(section),
                           "rows of [" + section + "] differ");
        for (const std::string& key : first.keys(section))
            CORVANE_FUZZ_CHECK(first.value(section, key) == second.value(section, key),
                               "[" + section + "] " + key + " reads back differently");
    }

    // The input's first line, split at its middle, as a section, a key and a value written anew.
    const std::string_view head = text.substr(0, std::min<std::size_t>(text.find('\n'), 64));
    const std::string key = "k" + std::string(head.substr(0, head.size() / 2));
    const std::string value(head.substr(head.size() / 2));
    if (carried(value) && key.find_first_of("=[]\r\n") == std::string::npos && !blank(key.back())) {
        ProfileFile edited = ProfileFile::parse(text);
        edited.write("Fuzz", key, value);
        CORVANE_FUZZ_CHECK(edited.value("Fuzz", key) == value,
                           "a written value reads back differently: " + value);
        CORVANE_FUZZ_CHECK(ProfileFile::parse(edited.text()).value("Fuzz", key) == value,
                           "a saved value reads back differently: " + value);
    }
    return 0;
}
