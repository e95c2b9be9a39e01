#include "LzxTestData.h"

#include <algorithm>
#include <string>

namespace corvane::test {

Bytes makeText(std::size_t size, std::uint32_t seed) {
    static const char* const words[] = {"the",     "cabinet", "folder",  "window",  "setup",
                                        "install", "file",    "data",    "of",      "and",
                                        "to",      "a",       "program", "Corvane", "license",
                                        "readme",  "with",    "version", "system",  "registry"};
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const std::string w = words[rng() % std::size(words)];
        out.insert(out.end(), w.begin(), w.end());
        const unsigned r = rng() % 16;
        out.push_back(r == 0 ? '\n' : r == 1 ? ',' : r == 2 ? '.' : ' ');
    }
    out.resize(size);
    return out;
}

Bytes makeX86(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::vector<std::int64_t> targets(300);
    for (auto& t : targets)
        t = static_cast<std::int64_t>(rng() % std::max<std::size_t>(size, 1));
    Bytes out;
    out.reserve(size + 16);
    while (out.size() < size) {
        const unsigned r = rng() % 10;
        if (r < 4) {
            // CALL rel32 to a known target; some targets lie outside the translated range.
            const std::int64_t target =
                rng() % 8 == 0 ? -static_cast<std::int64_t>(rng() % 100000) : targets[rng() % targets.size()];
            const auto rel = static_cast<std::uint32_t>(target - static_cast<std::int64_t>(out.size()) - 5);
            out.insert(out.end(),
                       {0xE8, static_cast<std::uint8_t>(rel), static_cast<std::uint8_t>(rel >> 8),
                        static_cast<std::uint8_t>(rel >> 16), static_cast<std::uint8_t>(rel >> 24)});
        } else if (r < 7) {
            out.insert(out.end(), {0x48, 0x89, static_cast<std::uint8_t>(0xC0 + rng() % 64)});
        } else if (r < 9) {
            out.insert(out.end(), {0x8B, 0x45, static_cast<std::uint8_t>(rng() % 32 * 4)});
        } else {
            out.push_back(static_cast<std::uint8_t>(rng()));
        }
    }
    out.resize(size);
    // Bare E8 bytes around frame ends and at the very end: the tail rules decide what changes.
    for (std::size_t frameEnd = 32768; frameEnd <= size + 32768; frameEnd += 32768) {
        const std::size_t end = std::min(frameEnd, size);
        for (std::size_t i = end >= 16 ? end - 16 : 0; i < end; ++i)
            out[i] = 0xE8;
    }
    return out;
}

Bytes makeRandom(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(rng());
    return out;
}

Bytes makeRuns(std::size_t size) {
    Bytes out;
    out.reserve(size);
    unsigned k = 0;
    while (out.size() < size) {
        const std::size_t len = 1000 + (k * 7919) % 90000;
        for (std::size_t i = 0; i < len && out.size() < size; ++i)
            out.push_back(k % 3 == 0 ? 0 : k % 3 == 1 ? static_cast<std::uint8_t>('a' + i % 2) : 0xFF);
        ++k;
    }
    return out;
}

Bytes makeRepeats(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out;
    out.reserve(size + 1024);
    Bytes block(300);
    for (auto& b : block)
        b = static_cast<std::uint8_t>(rng());
    constexpr std::size_t kRecord = 24;
    while (out.size() < size) {
        if (rng() % 8 == 0) {
            const unsigned copies = 1 + rng() % 6;
            for (unsigned c = 0; c < copies; ++c)
                out.insert(out.end(), block.begin(), block.end());
            continue;
        }
        // One record: fields copied from 1, 2 or 3 records back, or fresh bytes.
        for (std::size_t field = 0; field < kRecord / 4; ++field) {
            const unsigned back = rng() % 4;
            for (unsigned b = 0; b < 4; ++b) {
                if (back != 0 && out.size() >= back * kRecord)
                    out.push_back(out[out.size() - back * kRecord]);
                else
                    out.push_back(static_cast<std::uint8_t>(rng()));
            }
        }
    }
    out.resize(size);
    return out;
}

Bytes makeMixed(std::size_t size, std::mt19937& rng) {
    Bytes out;
    out.reserve(size);
    const unsigned alphabet = 2 + rng() % 255;
    while (out.size() < size) {
        const unsigned kind = rng() % 4;
        if (kind == 0 || out.size() < 4) {
            const std::size_t n = 1 + rng() % 64;
            for (std::size_t i = 0; i < n; ++i)
                out.push_back(static_cast<std::uint8_t>(rng() % alphabet));
        } else {
            // Near or far copies of earlier bytes, overlapping ones included.
            const std::size_t maxBack = kind == 1 ? std::min<std::size_t>(out.size(), 16) : out.size();
            const std::size_t back = 1 + rng() % maxBack;
            const std::size_t n = 2 + rng() % (kind == 3 ? 600 : 40);
            for (std::size_t i = 0; i < n; ++i)
                out.push_back(out[out.size() - back]);
        }
    }
    out.resize(size);
    return out;
}

}  // namespace corvane::test
