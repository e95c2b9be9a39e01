#pragma once

// Setup.exe reads every member of the description cabinet into memory and refuses a setup with
// one larger than contract::kMaxDescriptionMemberBytes ("a member too large to be genuine"). The
// build refuses such a setup first: a language file, document or bitmap larger than that, or a
// setting whose value alone would make the description so large. (The description's whole
// length is checked by the build itself, SetupBuilder.h, once its lines are known.)

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "builder/PreBuildChecks.h"

namespace corvane::builder {

// One member of the description cabinet, in packing order: the selected languages, the license
// and readme documents, the description, the wizard and header bitmaps.
struct DescriptionMember {
    std::filesystem::path source;  // empty for the description, which the build writes
    std::string name;              // the member's name in the cabinet
    std::string what;              // as a message names it, e.g. "Wizard Bitmap"
    CheckedField field;            // where the author chooses it
    std::optional<std::size_t> row = std::nullopt;
};

// Languages come from programFolder/Languages (the folder ends with a separator).
std::vector<DescriptionMember> descriptionMembers(const model::Project& project,
                                                  const std::string& programFolder);

// "67108864 bytes (64 MiB)"
std::string memberLimitText();

std::optional<CheckFailure> firstOversizedMember(const model::Project& project);

}  // namespace corvane::builder
