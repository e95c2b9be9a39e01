#pragma once

// A "?" that a list row cannot carry (contract/RowFormat.h) would shift the fields of its line in
// zansetup.ini, and Setup.exe would then refuse the description on every machine. The build is
// refused first, naming the list, the row and the column.

#include <optional>

#include "builder/PreBuildChecks.h"

namespace corvane::builder {

std::optional<CheckFailure> firstUncarriedCharacter(const model::Project& project);

}  // namespace corvane::builder
