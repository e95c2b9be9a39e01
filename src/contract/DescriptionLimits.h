#pragma once

// How large a member of the description cabinet (zansetup.ini, a language file, a license or
// readme, a bitmap) may be. Setup.exe reads every member into memory before it shows its first
// page; a member larger than this is taken for damage, not a description, and the setup stops
// ("a member too large to be genuine"). Real members are a few hundred kilobytes at most. The
// builder refuses, before it compresses anything, what would cross this line.

#include <cstdint>

namespace corvane::contract {

inline constexpr std::uint32_t kMaxDescriptionMemberBytes = 64u << 20;

}  // namespace corvane::contract
