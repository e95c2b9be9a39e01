#pragma once

// What the setup offers when it ends: launch the program, view the readme, visit the web site,
// restart the computer.

#include <string>

namespace corvane::rt {

// Opens a file or an address with the shell's default action, in the file's own folder, as the
// user of the desktop: the desktop's shell starts it, so a program the elevated setup offers to
// launch does not run elevated. Where there is no desktop shell to ask, this process opens it.
bool openWithShell(const std::wstring& target);
// Asks Windows to restart. Returns false when the right to do so is missing.
bool restartComputer();

}  // namespace corvane::rt
