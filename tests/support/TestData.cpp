#include "TestData.h"

#include <chrono>
#include <cstdlib>

namespace corvane::test {

std::uint64_t testSeed() {
    if (const char* text = std::getenv("CORVANE_SEED")) return std::strtoull(text, nullptr, 0);
    return static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
}

std::vector<std::uint8_t> randomBytes(std::size_t size, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::vector<std::uint8_t> bytes(size);
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        const std::uint64_t word = random();
        for (int k = 0; k < 8; ++k)
            bytes[i + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(word >> (8 * k));
    }
    for (; i < size; ++i)
        bytes[i] = static_cast<std::uint8_t>(random());
    return bytes;
}

std::vector<std::uint8_t> textBytes(std::size_t size, std::uint64_t seed) {
    static const char* const words[] = {"setup ",  "cabinet ", "folder ",  "the ",   "of ",      "file ",
                                        "window ", "Corvane ", "data\r\n", "block ", "install ", "42 "};
    std::mt19937_64 random(seed);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        const std::string word = words[random() % std::size(words)];
        for (const char c : word) {
            if (bytes.size() == size) break;
            bytes.push_back(static_cast<std::uint8_t>(c));
        }
        if (random() % 16 == 0 && bytes.size() < size)
            bytes.push_back(static_cast<std::uint8_t>('0' + random() % 10));
    }
    return bytes;
}

}  // namespace corvane::test
