#include "lzx/LzxParser.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "lzx/LzxMatchFinder.h"
#include "lzx/LzxMatchLength.h"

namespace corvane::lzx {

namespace {

inline constexpr std::uint32_t kInfinite = std::numeric_limits<std::uint32_t>::max();

std::uint32_t matchLength(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t limit) {
    return extendMatch(a, b, 0, limit);
}

}  // namespace

RepState LzxParser::parse(const ParseInput& input, const LzxCosts& costs, const RepState& start,
                          std::vector<LzxItem>& items) {
    const std::uint32_t n = input.size;
    m_cost.assign(static_cast<std::size_t>(n) + 1, kInfinite);
    m_in.resize(static_cast<std::size_t>(n) + 1);
    m_reps.resize(static_cast<std::size_t>(n) + 1);
    m_cost[0] = 0;
    m_reps[0] = start;
    std::uint32_t* const cost = m_cost.data();
    LzxItem* const in = m_in.data();

    auto relax = [cost, in](std::uint32_t to, std::uint32_t c, std::uint32_t length, std::uint32_t value) {
        if (c < cost[to]) {
            cost[to] = c;
            in[to] = {length, value};
        }
    };
    // Cost of the main symbol and length symbol for every slot and length, looked up per relaxation.
    m_lengthCosts.resize(kMaxPositionSlots * (kMaxMatch + 1));
    for (unsigned slot = 0; slot < kMaxPositionSlots; ++slot) {
        std::uint32_t* row = &m_lengthCosts[slot * (kMaxMatch + 1)];
        for (std::uint32_t length = kMinMatch; length <= kMaxMatch; ++length) {
            const std::uint32_t header = std::min(length - kMinMatch, kNumPrimaryLengths);
            row[length] = costs.main[kNumChars + 8 * slot + header];
            if (header == kNumPrimaryLengths)
                row[length] += costs.length[length - kMinMatch - kNumPrimaryLengths];
        }
    }
    auto lengthCost = [this](unsigned slot, std::uint32_t length) {
        return m_lengthCosts[slot * (kMaxMatch + 1) + length];
    };

    for (std::uint32_t i = 0; i < n;) {
        assert(cost[i] != kInfinite);
        if (i != 0) m_reps[i] = m_reps[i - in[i].length].after(in[i]);
        const RepState& reps = m_reps[i];
        const std::uint64_t pos = input.begin + i;
        const std::uint64_t frameEnd = (pos / kFrameSize + 1) * kFrameSize;
        const auto limit = static_cast<std::uint32_t>(
            std::min<std::uint64_t>({kMaxMatch, frameEnd - pos, static_cast<std::uint64_t>(n - i)}));
        const std::uint8_t* cur = input.data + i;
        const std::uint32_t* first = input.matches + input.matchIndex[i];
        const std::uint32_t* last = input.matches + input.matchIndex[i + 1];
        const std::uint32_t base = cost[i];

        if (limit >= kMinMatch && first != last && PackedMatch::length(last[-1]) >= m_niceLength) {
            // A long match: take the longest way forward, a repeat offset when one reaches as far.
            std::uint32_t bestLength = std::min(PackedMatch::length(last[-1]), limit);
            std::uint32_t bestValue = PackedMatch::offset(last[-1]) + 2;
            const unsigned slot = slotOf(bestValue);
            std::uint32_t bestCost = costs.footerCost(slot, bestValue) + lengthCost(slot, bestLength);
            for (unsigned r = 0; r < kNumRepeats; ++r) {
                const std::uint32_t offset = reps.r[r];
                if (offset > pos) continue;
                const std::uint32_t len = matchLength(cur, cur - offset, limit);
                if (len >= bestLength && len >= kMinMatch) {
                    bestLength = len;
                    bestValue = r;
                    bestCost = lengthCost(r, len);
                    break;
                }
            }
            relax(i + bestLength, base + bestCost, bestLength, bestValue);
            i += bestLength;
            continue;
        }

        relax(i + 1, base + costs.main[cur[0]], 1, cur[0]);
        if (limit >= kMinMatch) {
            for (unsigned r = 0; r < kNumRepeats; ++r) {
                const std::uint32_t offset = reps.r[r];
                if (offset > pos || (r >= 1 && offset == reps.r[0]) || (r == 2 && offset == reps.r[1]))
                    continue;
                const std::uint32_t len = matchLength(cur, cur - offset, limit);
                const std::uint32_t* row = &m_lengthCosts[r * (kMaxMatch + 1)];
                for (std::uint32_t l = kMinMatch; l <= len; ++l)
                    relax(i + l, base + row[l], l, r);
            }
            std::uint32_t covered = 1;
            for (const std::uint32_t* m = first; m != last; ++m) {
                const std::uint32_t len = std::min(PackedMatch::length(*m), limit);
                if (len <= covered) continue;
                const std::uint32_t offset = PackedMatch::offset(*m);
                if (offset == reps.r[0] || offset == reps.r[1] || offset == reps.r[2]) {
                    covered = len;  // the repeat offset above already reached these lengths
                    continue;
                }
                const std::uint32_t value = offset + 2;
                const unsigned slot = slotOf(value);
                const std::uint32_t offsetCost = base + costs.footerCost(slot, value);
                const std::uint32_t* row = &m_lengthCosts[slot * (kMaxMatch + 1)];
                for (std::uint32_t l = covered + 1; l <= len; ++l)
                    relax(i + l, offsetCost + row[l], l, value);
                covered = len;
            }
        }
        ++i;
    }

    // Walk back from the end and lay the items out forwards.
    std::size_t count = 0;
    for (std::uint32_t i = n; i != 0; i -= in[i].length)
        ++count;
    items.resize(count);
    for (std::uint32_t i = n; i != 0; i -= in[i].length)
        items[--count] = in[i];
    if (n == 0) return start;
    return m_reps[n - in[n].length].after(in[n]);
}

}  // namespace corvane::lzx
