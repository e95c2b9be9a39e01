#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvane::model {

// A byte count as the editor and the build show it: "1023 Byte(s)", "1.00 KB", "53.50 MB",
// "2.00 GB" — two decimals from the binary unit at or below n, with the given decimal separator.
std::string formatSize(std::int64_t bytes, std::string_view decimalSeparator);

// The same with the decimal separator of the user's locale (LC_ALL, LC_NUMERIC, LANG).
std::string formatSize(std::int64_t bytes);

// The user's decimal separator, read once; "." when the locale cannot be loaded.
const std::string& userDecimalSeparator();

}  // namespace corvane::model
