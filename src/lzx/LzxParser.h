#pragma once

// Near-optimal parsing: the cheapest path through a block under a given cost model.
//
// Node i of the graph is "the first i bytes of the block are coded". From each node the parser
// relaxes a literal, every length of each usable repeat offset, and every length of each cached
// match (for each length only the smallest offset the match finder reported), and keeps the
// cheapest way into every node together with the repeat-offset queue that way leaves behind.
// The queue makes this a heuristic rather than an exact shortest path, since a dearer way in
// might leave a more useful queue; in practice it is within a fraction of a percent.
//
// Matches at least as long as the nice length are taken at once and the nodes they cover are
// not expanded: such stretches are cheap whichever way they are coded, and expanding them costs
// quadratic time on long repetitions.

#include <cstdint>
#include <vector>

#include "lzx/LzxCostModel.h"

namespace corvane::lzx {

struct ParseInput {
    const std::uint8_t* data;         // the block's first byte; the window before it is readable
    std::uint64_t begin;              // folder position of data[0]
    std::uint32_t size;               // bytes in the block; it ends at a frame end or the folder end
    const std::uint32_t* matchIndex;  // matches of byte i are matches[matchIndex[i] .. matchIndex[i+1])
    const std::uint32_t* matches;     // PackedMatch values, lengths increasing
};

class LzxParser {
public:
    explicit LzxParser(unsigned niceLength) : m_niceLength(niceLength) {}

    // Replaces items with the cheapest parse of the block; returns the repeat queue after it.
    RepState parse(const ParseInput& in, const LzxCosts& costs, const RepState& start,
                   std::vector<LzxItem>& items);

private:
    struct Graph;
    // The node being expanded: where it is, how far a match from it may reach, its cached matches.
    struct Node {
        std::uint32_t index;
        std::uint64_t pos;    // folder position
        std::uint32_t limit;  // longest match allowed here: frame end, block end, kMaxMatch
        const std::uint8_t* data;
        const std::uint32_t* first;  // its cached matches
        const std::uint32_t* last;
        const RepState* reps;  // the queue the cheapest way in leaves
        std::uint32_t base;    // the cost of reaching it
    };

    void fillLengthCosts(const LzxCosts& costs);
    Node nodeAt(const ParseInput& input, std::uint32_t i) const;
    // Relaxes the one long match (or a repeat reaching as far); returns the bytes it covers.
    std::uint32_t takeLongMatch(const Graph& graph, const Node& node, const LzxCosts& costs) const;
    // Relaxes the literal, every usable repeat offset and every cached match from the node.
    void relaxFrom(const Graph& graph, const Node& node, const LzxCosts& costs) const;
    RepState collectItems(std::uint32_t n, const RepState& start, std::vector<LzxItem>& items) const;
    std::uint32_t lengthCost(unsigned slot, std::uint32_t length) const {
        return m_lengthCosts[slot * (kMaxMatch + 1) + length];
    }

    unsigned m_niceLength;
    // Per node, kept apart so the relaxation loops sweep a dense array of costs.
    std::vector<std::uint32_t> m_cost;  // cheapest known cost of reaching the node
    std::vector<LzxItem> m_in;          // the item that reaches it that way
    std::vector<RepState> m_reps;       // the queue after that way; set when the node is expanded
    std::vector<std::uint32_t> m_lengthCosts;
};

}  // namespace corvane::lzx
