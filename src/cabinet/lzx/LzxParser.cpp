#include "cabinet/lzx/LzxParser.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "cabinet/lzx/LzxMatchFinder.h"
#include "cabinet/lzx/LzxMatchLength.h"

namespace corvane::cabinet::lzx {

namespace {

inline constexpr std::uint32_t kInfinite = std::numeric_limits<std::uint32_t>::max();

std::uint32_t matchLength(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t limit) {
    return extendMatch(a, b, 0, limit);
}

}  // namespace

RepState LzxParser::parse(const ParseInput& in, const LzxCosts& costs, const RepState& start,
                          std::vector<LzxItem>& items) {
    const std::uint32_t n = in.size;
    m_nodes.resize(static_cast<std::size_t>(n) + 1);
    for (std::uint32_t i = 1; i <= n; ++i) m_nodes[i].cost = kInfinite;
    m_nodes[0].cost = 0;
    m_nodes[0].reps = start;

    auto relax = [this](std::uint32_t to, std::uint32_t cost, std::uint32_t length, std::uint32_t value) {
        Node& node = m_nodes[to];
        if (cost < node.cost) {
            node.cost = cost;
            node.in = {length, value};
        }
    };
    // Cost of the main symbol and length symbol for every slot and length, looked up per relaxation.
    m_lengthCosts.resize(kMaxPositionSlots * (kMaxMatch + 1));
    for (unsigned slot = 0; slot < kMaxPositionSlots; ++slot) {
        std::uint32_t* row = &m_lengthCosts[slot * (kMaxMatch + 1)];
        for (std::uint32_t length = kMinMatch; length <= kMaxMatch; ++length) {
            const std::uint32_t header = std::min(length - kMinMatch, kNumPrimaryLengths);
            row[length] = costs.main[kNumChars + 8 * slot + header];
            if (header == kNumPrimaryLengths) row[length] += costs.length[length - kMinMatch - kNumPrimaryLengths];
        }
    }
    auto lengthCost = [this](unsigned slot, std::uint32_t length) {
        return m_lengthCosts[slot * (kMaxMatch + 1) + length];
    };

    for (std::uint32_t i = 0; i < n;) {
        Node& node = m_nodes[i];
        assert(node.cost != kInfinite);
        if (i != 0) node.reps = m_nodes[i - node.in.length].reps.after(node.in);
        const std::uint64_t pos = in.begin + i;
        const std::uint64_t frameEnd = (pos / kFrameSize + 1) * kFrameSize;
        const auto limit = static_cast<std::uint32_t>(
            std::min<std::uint64_t>({kMaxMatch, frameEnd - pos, static_cast<std::uint64_t>(n - i)}));
        const std::uint8_t* cur = in.data + i;
        const std::uint32_t* first = in.matches + in.matchIndex[i];
        const std::uint32_t* last = in.matches + in.matchIndex[i + 1];
        const std::uint32_t base = node.cost;

        if (limit >= kMinMatch && first != last && PackedMatch::length(last[-1]) >= m_niceLength) {
            // A long match: take the longest way forward, a repeat offset when one reaches as far.
            std::uint32_t bestLength = std::min(PackedMatch::length(last[-1]), limit);
            std::uint32_t bestValue = PackedMatch::offset(last[-1]) + 2;
            const unsigned slot = slotOf(bestValue);
            std::uint32_t bestCost = costs.footerCost(slot, bestValue) + lengthCost(slot, bestLength);
            for (unsigned r = 0; r < kNumRepeats; ++r) {
                const std::uint32_t offset = node.reps.r[r];
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
                const std::uint32_t offset = node.reps.r[r];
                if (offset > pos || (r >= 1 && offset == node.reps.r[0]) || (r == 2 && offset == node.reps.r[1]))
                    continue;
                const std::uint32_t len = matchLength(cur, cur - offset, limit);
                const std::uint32_t* row = &m_lengthCosts[r * (kMaxMatch + 1)];
                for (std::uint32_t l = kMinMatch; l <= len; ++l) relax(i + l, base + row[l], l, r);
            }
            std::uint32_t covered = 1;
            for (const std::uint32_t* m = first; m != last; ++m) {
                const std::uint32_t len = std::min(PackedMatch::length(*m), limit);
                if (len <= covered) continue;
                const std::uint32_t offset = PackedMatch::offset(*m);
                if (offset == node.reps.r[0] || offset == node.reps.r[1] || offset == node.reps.r[2]) {
                    covered = len;  // the repeat offset above already reached these lengths
                    continue;
                }
                const std::uint32_t value = offset + 2;
                const unsigned slot = slotOf(value);
                const std::uint32_t offsetCost = base + costs.footerCost(slot, value);
                const std::uint32_t* row = &m_lengthCosts[slot * (kMaxMatch + 1)];
                for (std::uint32_t l = covered + 1; l <= len; ++l) relax(i + l, offsetCost + row[l], l, value);
                covered = len;
            }
        }
        ++i;
    }

    // Walk back from the end and lay the items out forwards.
    std::size_t count = 0;
    for (std::uint32_t i = n; i != 0; i -= m_nodes[i].in.length) ++count;
    items.resize(count);
    for (std::uint32_t i = n; i != 0; i -= m_nodes[i].in.length) items[--count] = m_nodes[i].in;
    if (n == 0) return start;
    return m_nodes[n - m_nodes[n].in.length].reps.after(m_nodes[n].in);
}

}  // namespace corvane::cabinet::lzx
