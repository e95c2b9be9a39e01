#pragma once

// Generated test contents: reproducible from a seed, so nothing large is committed.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace corvane::test {

// The seed of randomized tests: CORVANE_SEED when set, else a fresh one. Tests print it
// ("CORVANE_SEED=..." in a trace or on the output) so a failure can be replayed.
std::uint64_t testSeed();

std::vector<std::uint8_t> randomBytes(std::size_t size, std::uint64_t seed);
// Text-like bytes that compress well but not trivially.
std::vector<std::uint8_t> textBytes(std::size_t size, std::uint64_t seed);

}  // namespace corvane::test
