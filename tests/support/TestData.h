#pragma once

// Generated test contents: reproducible from a seed, so nothing large is committed.

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace corvane::testing {

// The seed of randomized tests: CORVANE_TEST_SEED when set, else a fresh one. Tests print it
// (SCOPED_TRACE) so a failure can be replayed.
std::uint64_t testSeed();

std::vector<std::uint8_t> randomBytes(std::size_t size, std::uint64_t seed);
// Text-like bytes that compress well but not trivially.
std::vector<std::uint8_t> textBytes(std::size_t size, std::uint64_t seed);

// A fresh empty folder for one test, below the system's temporary folder.
std::filesystem::path freshFolder(const std::string& name);

}  // namespace corvane::testing
