#pragma once

#include <string>
#include <string_view>

namespace corvane::platform {

bool isValidUtf8(std::string_view bytes);

// Windows-1252 (the ANSI code page of Western Windows) to UTF-8. The five bytes the code page
// leaves undefined map to the C1 controls of the same value, as Windows itself converts them.
std::string windows1252ToUtf8(std::string_view bytes);

// The text of a .zan or INI file as UTF-8: a UTF-8 file as it is (without a byte-order mark),
// anything else read as Windows-1252, the encoding of files written by Windows programs.
std::string decodeProfileText(std::string bytes);

}  // namespace corvane::platform
