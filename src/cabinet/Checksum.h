#pragma once

#include <cstdint>
#include <span>

namespace corvane::cabinet {

// The cabinet checksum over bytes, continuing from seed.
std::uint32_t cabinetChecksum(std::span<const std::uint8_t> bytes, std::uint32_t seed);

// CFDATA.csum for a record whose reserve bytes are zero (Corvane never fills them).
std::uint32_t dataBlockChecksum(std::span<const std::uint8_t> payload, std::uint16_t uncompressedSize);

}  // namespace corvane::cabinet
