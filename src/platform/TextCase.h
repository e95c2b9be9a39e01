#pragma once

// Letter-case helpers for the places where Windows compares names without regard to case (INI
// sections and keys, language names, file extensions). ASCII letters only are folded: that is
// what the stored formats need, and it never depends on the user's locale.

#include <string>
#include <string_view>

namespace corvane::platform {

inline char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string foldedCopy(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = foldCase(c);
    return out;
}

inline int compareIgnoringCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(foldCase(a[i]));
        const auto y = static_cast<unsigned char>(foldCase(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

inline bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareIgnoringCase(a, b) == 0;
}

}  // namespace corvane::platform
