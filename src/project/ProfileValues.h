#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace corvane::project {

// An integer as the project reader accepts it: optional sign, then decimal digits, or
// hexadecimal digits after "0x", "0X" or "$". Decimal values must fit 32 bits; hexadecimal
// ones may use all 32 bits and read as their two's-complement value ($FFFFFFFF is -1).
// Anything else is no integer.
std::optional<std::int32_t> parseProfileInteger(std::string_view text);

// A boolean: on for an integer other than 0; off for 0 and for text that is no integer.
bool parseProfileBoolean(std::string_view text);

}  // namespace corvane::project
