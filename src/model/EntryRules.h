#pragma once

// The rules the System editors apply to what the author types: the shortcut fields filled from
// its target, the number a Dword value must read as, and the form of a file extension. Kept free
// of the GUI so they can be tested as tables.

#include <string>
#include <string_view>

namespace corvane::model {

// The shortcut name a target suggests: the file-name part (after the last "\" or ":") up to its
// first "."; empty when that part has no dot. "<InstallDir>\Bin\Tool.exe" gives "Tool".
std::string shortcutNameFromTarget(std::string_view target);

// The working folder a target suggests: the text before the last "\" or ":". A ":" stays with
// the folder, and so does a "\" that is the first character or follows ":" or "\", so
// "C:\Tool.exe" gives "C:\" (a root, not the drive's current folder). Empty without either.
std::string workingDirFromTarget(std::string_view target);

// Whether text reads as a decimal number in the user's format: blanks around it, an optional
// sign, digits with an optional fraction after decimalSeparator, an optional exponent, within
// the range of a double. "16", "1.5", "-3", "2E3" pass; "0x10", "16h", "1,000" and "" do not.
bool readsAsDecimalNumber(std::string_view text, char decimalSeparator);

// A file extension as associations take it: not empty and without a leading ".".
bool isAcceptableExtension(std::string_view extension);

}  // namespace corvane::model
