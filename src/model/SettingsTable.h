#pragma once

// One row per scalar setting: its stored key, its kind, where it lives in ProjectSettings and the
// value a reader takes when the key is missing from a file. The project file and the setup
// description both walk this table, so a key is spelled in exactly one place.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "model/ProjectSettings.h"

namespace corvane::model {

using TextField = std::string ProjectSettings::*;
using BoolField = bool ProjectSettings::*;
using IntField = std::int32_t ProjectSettings::*;

struct SettingField {
    std::string_view key;
    std::variant<TextField, BoolField, IntField> field;
    std::int32_t missingDefault = 0;  // for integers; text and booleans default to empty and off
};

inline constexpr std::size_t kSettingCount = 37;

// The settings in project-file order (the order of the Settings section).
const std::array<SettingField, kSettingCount>& settingFields();

// The entry of one key, compared exactly; throws std::out_of_range for an unknown key.
const SettingField& settingField(std::string_view key);

// The setting's value in its stored form: text as it is, booleans "1"/"0", integers in decimal.
std::string storedValue(const ProjectSettings& settings, const SettingField& field);

}  // namespace corvane::model
