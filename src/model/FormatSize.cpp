#include "model/FormatSize.h"

#include <charconv>
#include <locale>
#include <stdexcept>

namespace corvane::model {

std::string formatSize(std::int64_t bytes, std::string_view decimalSeparator) {
    constexpr std::int64_t kKB = 1024;
    constexpr std::int64_t kMB = kKB * 1024;
    constexpr std::int64_t kGB = kMB * 1024;
    const char* unit = nullptr;
    double quotient = 0;
    if (bytes >= kGB) {
        unit = " GB";
        quotient = static_cast<double>(bytes) / kGB;
    } else if (bytes >= kMB) {
        unit = " MB";
        quotient = static_cast<double>(bytes) / kMB;
    } else if (bytes >= kKB) {
        unit = " KB";
        quotient = static_cast<double>(bytes) / kKB;
    } else {
        return std::to_string(bytes) + " Byte(s)";
    }
    // to_chars rounds like printf's "%.2f" but never consults the C locale, which Qt changes.
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, quotient, std::chars_format::fixed, 2);
    std::string text(buf, result.ptr);
    const auto dot = text.find('.');
    if (dot != std::string::npos) text.replace(dot, 1, decimalSeparator);
    return text + unit;
}

std::string formatSize(std::int64_t bytes) {
    return formatSize(bytes, userDecimalSeparator());
}

const std::string& userDecimalSeparator() {
    static const std::string separator = [] {
        try {
            return std::string(1, std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point());
        } catch (const std::runtime_error&) {
            return std::string(".");
        }
    }();
    return separator;
}

}  // namespace corvane::model
