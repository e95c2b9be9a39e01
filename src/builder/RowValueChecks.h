#pragma once

// Setup.exe refuses, before it changes anything, a registry value with an unknown root key, an
// empty subkey, a type other than String or Dword, or Dword data that is no whole number; an INI
// value without section or key; an association whose extension no file could have; a flag that
// is neither Yes nor No, or an If Exists neither Overwrite nor Skip (contract/RowValues.h). The editor's
// dialogs keep most of these out, but a project written by hand or by a script reaches the build as it is:
// the build applies the same rules to every row first and refuses the setup naming the list, the row and the
// field.

#include <optional>

#include "builder/PreBuildChecks.h"

namespace corvane::builder {

std::optional<CheckFailure> firstRefusedRowValue(const model::Project& project);

}  // namespace corvane::builder
