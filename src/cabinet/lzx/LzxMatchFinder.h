#pragma once

// Binary-tree match finder over the whole LZX window.
//
// Every position is inserted into a binary search tree keyed by the bytes that follow it,
// rooted in a hash of its first four bytes; the trees live in one cyclic array of two links per
// window position, so memory is fixed by the window size. Walking down the tree from the root
// visits ever closer strings and yields matches of strictly increasing length, each at the
// smallest offset the walk met for it; inserting the new position happens in the same walk.
// Two direct tables add the most recent 2-byte and 3-byte occurrences, which the 4-byte tree
// cannot see and which pay in LZX when their offsets are small.
//
// Positions are folder positions; the caller hands in a pointer to the byte at each position
// and guarantees that the window before it is readable. Each position is visited exactly once,
// in order, either by findMatches or by skip.

#include <cstdint>
#include <vector>

namespace corvane::cabinet::lzx {

// A match packed into 32 bits: length in the high bits, offset in the low 21.
struct PackedMatch {
    static constexpr unsigned kOffsetBits = 21;
    static constexpr std::uint32_t pack(std::uint32_t length, std::uint32_t offset) {
        return length << kOffsetBits | offset;
    }
    static constexpr std::uint32_t length(std::uint32_t m) { return m >> kOffsetBits; }
    static constexpr std::uint32_t offset(std::uint32_t m) { return m & ((1u << kOffsetBits) - 1); }
};

class LzxMatchFinder {
public:
    LzxMatchFinder(int windowBits, unsigned niceLength, unsigned maxDepth);

    // Matches at `pos` (data points at its byte, `avail` bytes readable from there). Appends them
    // to out with strictly increasing lengths and returns how many. A match that reaches the nice
    // length is extended as far as maxLength allows.
    unsigned findMatches(const std::uint8_t* data, std::uint64_t pos, std::uint32_t avail, std::uint32_t maxLength,
                         std::uint32_t* out);

    // Inserts `pos` without reporting matches.
    void skip(const std::uint8_t* data, std::uint64_t pos, std::uint32_t avail);

    // Upper bound of matches findMatches can append for one position.
    unsigned maxMatchesPerPosition() const { return m_niceLength + 2; }

private:
    template <bool kReport>
    unsigned advance(const std::uint8_t* data, std::uint64_t pos, std::uint32_t avail, std::uint32_t maxLength,
                     std::uint32_t* out);
    void rebase();

    std::uint32_t m_cyclicSize;
    unsigned m_niceLength;
    unsigned m_maxDepth;
    unsigned m_hash4Bits;
    std::uint64_t m_next = 0;       // folder position expected next
    std::uint32_t m_pos;            // internal position of m_next; empty links are 0
    std::uint32_t m_cyclicPos = 0;  // m_pos modulo m_cyclicSize
    std::vector<std::uint32_t> m_hash2;
    std::vector<std::uint32_t> m_hash3;
    std::vector<std::uint32_t> m_hash4;
    std::vector<std::uint32_t> m_tree;  // two links per cyclic position: smaller, greater
};

}  // namespace corvane::cabinet::lzx
