#pragma once

// Generated inputs for the LZX tests; each stresses one part of the encoder.

#include <cstdint>
#include <random>
#include <vector>

namespace corvane::test {

using Bytes = std::vector<std::uint8_t>;

// Words from a small vocabulary with punctuation and line breaks: literals and short matches.
Bytes makeText(std::size_t size, std::uint32_t seed);
// x86-like code: CALL (E8) instructions to a few hundred targets amid other opcodes, so the E8
// translation has real work; a stretch of raw E8 bytes also lands on frame ends.
Bytes makeX86(std::size_t size, std::uint32_t seed);
Bytes makeRandom(std::size_t size, std::uint32_t seed);
// Long runs of one byte and of short patterns, across frame ends.
Bytes makeRuns(std::size_t size);
// Records copying fields from one, two and three records back (repeat offsets R0..R2 swapping)
// and a 300-byte block repeated many times (matches of the maximum length 257).
Bytes makeRepeats(std::size_t size, std::uint32_t seed);
// Random buffers built from repeated substrings of a random alphabet at random distances.
Bytes makeMixed(std::size_t size, std::mt19937& rng);

}  // namespace corvane::test
