#pragma once

// Small text helpers shared by Setup.exe and Uninstall.exe. The runtime works in UTF-16
// (Win32 W functions); its input files are UTF-8.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::rt {

// UTF-8 to UTF-16. Bytes that are not valid UTF-8 are read as Windows-1252, the code page of
// files written by hand on Western Windows.
std::wstring fromUtf8(std::string_view bytes);
std::string toUtf8(std::wstring_view text);

std::wstring trimmed(std::wstring_view text);
bool equalsNoCase(std::wstring_view a, std::wstring_view b);
std::wstring lowered(std::wstring_view text);
std::vector<std::wstring> splitFields(std::wstring_view text, wchar_t separator);

// Strict decimal parsing: digits only, no sign, no overflow.
bool parseUnsigned(std::wstring_view text, std::uint64_t& value);
// A DWORD as a registry entry holds it: decimal (a leading "-" wraps to two's complement) or
// hexadecimal with "0x".
bool parseDword(std::wstring_view text, std::uint32_t& value);
std::wstring decimal(std::uint64_t value);

// printf-like substitution of %1, %2, ... in a translated text.
std::wstring formatText(std::wstring_view pattern, std::initializer_list<std::wstring_view> args);

}  // namespace corvane::rt
