#include "lzx/LzxHuffman.h"

#include <algorithm>
#include <cassert>
#include <numeric>
#include <vector>

namespace corvane::lzx {

namespace {

inline constexpr unsigned kMaxSupportedLen = 32;

}  // namespace

void buildCodeLengths(std::span<const std::uint32_t> freqs, unsigned maxLen, std::span<std::uint8_t> lens) {
    assert(lens.size() == freqs.size() && maxLen < kMaxSupportedLen);
    std::fill(lens.begin(), lens.end(), 0);

    std::vector<std::uint32_t> used;
    for (std::uint32_t s = 0; s < freqs.size(); ++s)
        if (freqs[s] != 0) used.push_back(s);
    const std::size_t n = used.size();
    if (n == 0) return;
    if (n == 1) {
        lens[used[0]] = 1;
        lens[used[0] == 0 ? 1 : 0] = 1;
        return;
    }

    std::stable_sort(used.begin(), used.end(),
                     [&](std::uint32_t a, std::uint32_t b) { return freqs[a] < freqs[b]; });

    // Two-queue Huffman construction: leaves 0..n-1 in ascending weight, internal nodes n..2n-2
    // are created in ascending weight too, so the two smallest are always at a queue's front.
    std::vector<std::uint64_t> weight(2 * n - 1);
    std::vector<std::uint32_t> parent(2 * n - 1);
    for (std::size_t i = 0; i < n; ++i)
        weight[i] = freqs[used[i]];
    std::size_t leaf = 0, inner = n, next = n;
    auto takeSmallest = [&]() {
        if (leaf < n && (inner >= next || weight[leaf] <= weight[inner])) return leaf++;
        return inner++;
    };
    for (; next < 2 * n - 1; ++next) {
        const std::size_t a = takeSmallest();
        const std::size_t b = takeSmallest();
        weight[next] = weight[a] + weight[b];
        parent[a] = parent[b] = static_cast<std::uint32_t>(next);
    }
    std::vector<std::uint32_t> depth(2 * n - 1);
    depth[2 * n - 2] = 0;
    std::uint32_t count[kMaxSupportedLen + 1] = {};
    for (std::size_t i = 2 * n - 2; i-- > 0;) {
        depth[i] = depth[parent[i]] + 1;
        if (i < n) ++count[std::min<std::uint32_t>(depth[i], maxLen)];
    }

    // Clamping overfilled the code; move leaves down from shorter lengths until the Kraft sum is
    // exactly 2^maxLen again. Each step removes one deepest leaf and splits a shallower one.
    std::uint64_t kraft = 0;
    for (unsigned l = 1; l <= maxLen; ++l)
        kraft += static_cast<std::uint64_t>(count[l]) << (maxLen - l);
    while (kraft > (std::uint64_t{1} << maxLen)) {
        --count[maxLen];
        for (unsigned l = maxLen - 1; l >= 1; --l) {
            if (count[l] != 0) {
                --count[l];
                count[l + 1] += 2;
                break;
            }
        }
        --kraft;
    }

    // The least frequent symbols take the longest codes.
    std::size_t i = 0;
    for (unsigned l = maxLen; l >= 1; --l)
        for (std::uint32_t c = 0; c < count[l]; ++c)
            lens[used[i++]] = static_cast<std::uint8_t>(l);
    assert(i == n);
}

void buildCanonicalCodes(std::span<const std::uint8_t> lens, std::span<std::uint16_t> codes) {
    std::uint32_t count[kMaxSupportedLen + 1] = {};
    for (const std::uint8_t l : lens)
        ++count[l];
    count[0] = 0;
    std::uint32_t next[kMaxSupportedLen + 1] = {};
    std::uint32_t code = 0;
    for (unsigned l = 1; l <= kMaxSupportedLen; ++l) {
        code = (code + count[l - 1]) << 1;
        next[l] = code;
    }
    for (std::size_t s = 0; s < lens.size(); ++s)
        codes[s] = lens[s] != 0 ? static_cast<std::uint16_t>(next[lens[s]]++) : 0;
}

}  // namespace corvane::lzx
