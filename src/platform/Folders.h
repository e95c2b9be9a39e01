#pragma once

#include <string>

namespace corvane::platform {

// The folder of the running executable with a trailing separator: it holds the setup stub,
// the uninstaller, Languages/ and the default bitmaps.
std::string programFolder();

// The user's temporary folder with a trailing separator; the build's work files live there.
std::string workFolder();

// The user's home folder with a trailing separator.
std::string homeFolder();

// The setup file a new project names: Setup.exe in the home folder.
std::string defaultSetupFile();

// path with a trailing separator added when it has none.
std::string withTrailingSeparator(std::string path);

}  // namespace corvane::platform
