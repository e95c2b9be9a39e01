#include "model/EntryRules.h"

#include <charconv>
#include <system_error>

namespace corvane::model {

namespace {

constexpr std::string_view kPathDelimiters = "\\:";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}
bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string shortcutNameFromTarget(std::string_view target) {
    const std::size_t last = target.find_last_of(kPathDelimiters);
    const std::string_view fileName = last == std::string_view::npos ? target : target.substr(last + 1);
    const std::size_t dot = fileName.find('.');
    return dot == std::string_view::npos ? std::string() : std::string(fileName.substr(0, dot));
}

std::string workingDirFromTarget(std::string_view target) {
    const std::size_t last = target.find_last_of(kPathDelimiters);
    if (last == std::string_view::npos) return {};
    const bool keepDelimiter =
        target[last] == ':' || last == 0 || target[last - 1] == ':' || target[last - 1] == '\\';
    return std::string(target.substr(0, keepDelimiter ? last + 1 : last));
}

bool readsAsDecimalNumber(std::string_view text, char decimalSeparator) {
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);

    // Rewritten into the C form that from_chars reads, checking the shape on the way.
    std::string plain;
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && isDigit(text[i]))
            plain += text[i++];
        return i - from;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    std::size_t mantissaDigits = digits();
    if (i < text.size() && text[i] == decimalSeparator) {
        plain += '.';
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0) return false;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        plain += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
        if (digits() == 0) return false;
    }
    if (i != text.size()) return false;

    double value = 0;
    const auto [end, ec] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    return ec == std::errc() && end == plain.data() + plain.size();
}

bool isAcceptableExtension(std::string_view extension) {
    return !extension.empty() && extension.front() != '.';
}

}  // namespace corvane::model
