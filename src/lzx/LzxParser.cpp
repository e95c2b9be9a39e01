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

// The nodes' costs and ways in, as raw pointers: relaxation is the parser's innermost loop.
struct LzxParser::Graph {
    std::uint32_t* cost;
    LzxItem* in;

    void relax(std::uint32_t to, std::uint32_t c, std::uint32_t length, std::uint32_t value) const {
        if (c < cost[to]) {
            cost[to] = c;
            in[to] = {length, value};
        }
    }
};

RepState LzxParser::parse(const ParseInput& input, const LzxCosts& costs, const RepState& start,
                          std::vector<LzxItem>& items) {
    const std::uint32_t n = input.size;
    m_cost.assign(static_cast<std::size_t>(n) + 1, kInfinite);
    m_in.resize(static_cast<std::size_t>(n) + 1);
    m_reps.resize(static_cast<std::size_t>(n) + 1);
    m_cost[0] = 0;
    m_reps[0] = start;
    const Graph graph{m_cost.data(), m_in.data()};
    fillLengthCosts(costs);

    for (std::uint32_t i = 0; i < n;) {
        assert(graph.cost[i] != kInfinite);
        if (i != 0) m_reps[i] = m_reps[i - graph.in[i].length].after(graph.in[i]);
        const Node node = nodeAt(input, i);
        if (node.limit >= kMinMatch && node.first != node.last &&
            PackedMatch::length(node.last[-1]) >= m_niceLength) {
            i += takeLongMatch(graph, node, costs);
            continue;
        }
        relaxFrom(graph, node, costs);
        ++i;
    }
    return collectItems(n, start, items);
}

void LzxParser::fillLengthCosts(const LzxCosts& costs) {
    // Cost of the main symbol and length symbol for every slot and length, looked up per relaxation.
    m_lengthCosts.resize(kMaxPositionSlots * (kMaxMatch + 1));
    for (unsigned slot = 0; slot < kMaxPositionSlots; ++slot) {
        std::uint32_t* row = &m_lengthCosts[slot * (kMaxMatch + 1)];
        for (std::uint32_t length = kMinMatch; length <= kMaxMatch; ++length) {
            const unsigned header = lengthHeader(length);
            row[length] = costs.main[mainSymbol(slot, header)];
            if (header == kNumPrimaryLengths) row[length] += costs.length[lengthSymbol(length)];
        }
    }
}

LzxParser::Node LzxParser::nodeAt(const ParseInput& input, std::uint32_t i) const {
    const std::uint64_t pos = input.begin + i;
    Node node;
    node.index = i;
    node.pos = pos;
    node.limit = static_cast<std::uint32_t>(std::min<std::uint64_t>(
        {kMaxMatch, frameEnd(pos) - pos, static_cast<std::uint64_t>(input.size - i)}));
    node.data = input.data + i;
    node.first = input.matches + input.matchIndex[i];
    node.last = input.matches + input.matchIndex[i + 1];
    node.reps = &m_reps[i];
    node.base = m_cost[i];
    return node;
}

std::uint32_t LzxParser::takeLongMatch(const Graph& graph, const Node& node, const LzxCosts& costs) const {
    // A long match: take the longest way forward, a repeat offset when one reaches as far.
    std::uint32_t bestLength = std::min(PackedMatch::length(node.last[-1]), node.limit);
    std::uint32_t bestValue = formattedOffset(PackedMatch::offset(node.last[-1]));
    const unsigned slot = slotOf(bestValue);
    std::uint32_t bestCost = costs.footerCost(slot, bestValue) + lengthCost(slot, bestLength);
    for (unsigned r = 0; r < kNumRepeats; ++r) {
        const std::uint32_t offset = node.reps->r[r];
        if (offset > node.pos) continue;
        const std::uint32_t len = matchLength(node.data, node.data - offset, node.limit);
        if (len >= bestLength && len >= kMinMatch) {
            bestLength = len;
            bestValue = r;
            bestCost = lengthCost(r, len);
            break;
        }
    }
    graph.relax(node.index + bestLength, node.base + bestCost, bestLength, bestValue);
    return bestLength;
}

void LzxParser::relaxFrom(const Graph& graph, const Node& node, const LzxCosts& costs) const {
    const std::uint32_t i = node.index;
    graph.relax(i + 1, node.base + costs.main[node.data[0]], 1, node.data[0]);
    if (node.limit < kMinMatch) return;
    const RepState& reps = *node.reps;
    for (unsigned r = 0; r < kNumRepeats; ++r) {
        const std::uint32_t offset = reps.r[r];
        if (offset > node.pos || (r >= 1 && offset == reps.r[0]) || (r == 2 && offset == reps.r[1])) continue;
        const std::uint32_t len = matchLength(node.data, node.data - offset, node.limit);
        const std::uint32_t* row = &m_lengthCosts[r * (kMaxMatch + 1)];
        for (std::uint32_t l = kMinMatch; l <= len; ++l)
            graph.relax(i + l, node.base + row[l], l, r);
    }
    std::uint32_t covered = 1;
    for (const std::uint32_t* m = node.first; m != node.last; ++m) {
        const std::uint32_t len = std::min(PackedMatch::length(*m), node.limit);
        if (len <= covered) continue;
        const std::uint32_t offset = PackedMatch::offset(*m);
        if (offset == reps.r[0] || offset == reps.r[1] || offset == reps.r[2]) {
            covered = len;  // the repeat offset above already reached these lengths
            continue;
        }
        const std::uint32_t value = formattedOffset(offset);
        const unsigned slot = slotOf(value);
        const std::uint32_t offsetCost = node.base + costs.footerCost(slot, value);
        const std::uint32_t* row = &m_lengthCosts[slot * (kMaxMatch + 1)];
        for (std::uint32_t l = covered + 1; l <= len; ++l)
            graph.relax(i + l, offsetCost + row[l], l, value);
        covered = len;
    }
}

RepState LzxParser::collectItems(std::uint32_t n, const RepState& start, std::vector<LzxItem>& items) const {
    // Walk back from the end and lay the items out forwards.
    std::size_t count = 0;
    for (std::uint32_t i = n; i != 0; i -= m_in[i].length)
        ++count;
    items.resize(count);
    for (std::uint32_t i = n; i != 0; i -= m_in[i].length)
        items[--count] = m_in[i];
    if (n == 0) return start;
    return m_reps[n - m_in[n].length].after(m_in[n]);
}

}  // namespace corvane::lzx
