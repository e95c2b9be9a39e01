#pragma once

// Blanks as the description's readers drop them around lines, values and paths: space, tab,
// carriage return and line feed.

#include <string_view>

namespace corvane::contract {

template <class Char>
constexpr bool isBlank(Char c) {
    return c == Char(' ') || c == Char('\t') || c == Char('\r') || c == Char('\n');
}

template <class Char>
constexpr std::basic_string_view<Char> trimBlanks(std::basic_string_view<Char> text) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

}  // namespace corvane::contract
