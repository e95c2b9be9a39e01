#include "Text.h"

#include <windows.h>

#include "contract/RowValues.h"

namespace corvane::rt {

std::wstring fromUtf8(std::string_view bytes) {
    if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    if (bytes.empty()) return {};
    UINT codePage = CP_UTF8;
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0) {
        codePage = 1252;
        n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    }
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), out.data(), n);
    return out;
}

std::string toUtf8(std::wstring_view text) {
    if (text.empty()) return {};
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring trimmed(std::wstring_view text) {
    auto blank = [](wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::wstring(text);
}

std::wstring lowered(std::wstring_view text) {
    std::wstring out(text);
    if (!out.empty()) CharLowerBuffW(out.data(), DWORD(out.size()));
    return out;
}

bool equalsNoCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           CompareStringOrdinal(a.data(), int(a.size()), b.data(), int(b.size()), TRUE) == CSTR_EQUAL;
}

std::vector<std::wstring> splitFields(std::wstring_view text, wchar_t separator) {
    std::vector<std::wstring> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        fields.emplace_back(
            text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
        if (end == std::wstring_view::npos) break;
        start = end + 1;
    }
    return fields;
}

bool parseUnsigned(std::wstring_view text, std::uint64_t& value) {
    if (text.empty() || text.size() > 19) return false;
    value = 0;
    for (const wchar_t c : text) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + std::uint64_t(c - L'0');
    }
    return true;
}

bool parseDword(std::wstring_view text, std::uint32_t& value) {
    return contract::parseDword(text, value);
}

std::wstring decimal(std::uint64_t value) {
    wchar_t buf[24];
    int i = 23;
    buf[i] = 0;
    do {
        buf[--i] = wchar_t(L'0' + value % 10);
        value /= 10;
    } while (value);
    return std::wstring(buf + i);
}

std::wstring formatText(std::wstring_view pattern, std::initializer_list<std::wstring_view> args) {
    std::wstring out;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] >= L'1' &&
            pattern[i + 1] <= L'9') {
            const std::size_t index = std::size_t(pattern[i + 1] - L'1');
            if (index < args.size()) out += *(args.begin() + index);
            ++i;
        } else {
            out += pattern[i];
        }
    }
    return out;
}

}  // namespace corvane::rt
