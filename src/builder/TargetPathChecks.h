#pragma once

// Setup.exe refuses, before it changes anything, a line whose target path breaks its rules
// (contract/TargetPaths.h): "..\..\evil.dll", an unknown "<AppDir>", "a:stream", "CON", a
// control character... The build applies the same code to the default installation path, the
// finish page's program and readme (when offered), and every Files destination, shortcut, INI
// file, associated file and OCX/DLL first, and refuses the setup naming the setting or the row, so
// nothing is built that could only fail on the end user's machine.

#include <optional>

#include "builder/PreBuildChecks.h"

namespace corvane::builder {

std::optional<CheckFailure> firstRefusedTargetPath(const model::Project& project);

}  // namespace corvane::builder
