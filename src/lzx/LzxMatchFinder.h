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
//
// The roots and the direct tables are cleared at every start; the tree is not. A position's
// links are written when it is inserted, before any walk can reach it, and links to positions
// a cycle old are recognised by their distance; so what a previous use left there is never
// read, and a finder restarted on its old tables finds exactly what a new one would.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>

namespace corvane::lzx {

// A match packed into 32 bits: length in the high bits, offset in the low 21.
struct PackedMatch {
    static constexpr unsigned kOffsetBits = 21;
    static constexpr std::uint32_t pack(std::uint32_t length, std::uint32_t offset) {
        return length << kOffsetBits | offset;
    }
    static constexpr std::uint32_t length(std::uint32_t m) { return m >> kOffsetBits; }
    static constexpr std::uint32_t offset(std::uint32_t m) { return m & ((1u << kOffsetBits) - 1); }
};

// A table of links whose memory is kept from one use to the next: fresh pages cost a fault
// each, which a thread that compresses many files or jobs should pay once.
class LinkTable {
public:
    // Makes room for `size` entries; their contents are undefined until written.
    void reserve(std::size_t size) {
        if (size <= m_size) return;
        auto* data = static_cast<std::uint32_t*>(std::malloc(size * sizeof(std::uint32_t)));
        if (data == nullptr) throw std::bad_alloc();
        m_data.reset(data);
        m_size = size;
    }
    void zero(std::size_t count) { std::fill(m_data.get(), m_data.get() + count, 0u); }
    std::uint32_t& operator[](std::size_t i) { return m_data.get()[i]; }
    std::uint32_t* data() { return m_data.get(); }

private:
    struct Free {
        void operator()(std::uint32_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint32_t, Free> m_data;
    std::size_t m_size = 0;
};

class LzxMatchFinder {
public:
    // maxDepth bounds the tree walk of findMatches, skipDepth that of skip.
    LzxMatchFinder(int windowBits, unsigned niceLength, unsigned maxDepth, unsigned skipDepth);

    // Starts over at folder position `first`. sizeHint, the number of positions from `first` on
    // that may be visited, lets short inputs use smaller tables; the tables themselves are kept.
    void restart(std::uint64_t first, std::uint64_t sizeHint);

    // Matches at `pos` (data points at its byte, `avail` bytes readable from there). Appends them
    // to out with strictly increasing lengths and returns how many. A match that reaches the nice
    // length is extended as far as maxLength allows.
    unsigned findMatches(const std::uint8_t* data, std::uint64_t pos, std::uint32_t avail,
                         std::uint32_t maxLength, std::uint32_t* out);

    // Inserts `pos` without reporting matches.
    void skip(const std::uint8_t* data, std::uint64_t pos, std::uint32_t avail);

    // Upper bound of matches findMatches can append for one position: one per table, and at
    // most one per tree node visited.
    unsigned maxMatchesPerPosition() const { return std::min(m_niceLength, m_maxDepth) + 2; }

    int windowBits() const { return m_windowBits; }

private:
    template <bool kReport>
    unsigned advance(const std::uint8_t* data, std::uint64_t pos, std::uint32_t avail,
                     std::uint32_t maxLength, std::uint32_t* out);
    void rebase();

    int m_windowBits;
    unsigned m_niceLength;
    unsigned m_maxDepth;
    unsigned m_skipDepth;
    std::uint32_t m_cyclicSize = 0;
    unsigned m_hash4Bits = 0;
    std::uint64_t m_next = 0;       // folder position expected next
    std::uint32_t m_pos = 0;        // internal position of m_next; empty links are 0
    std::uint32_t m_cyclicPos = 0;  // m_pos modulo m_cyclicSize
    LinkTable m_hash2;
    LinkTable m_hash3;
    LinkTable m_hash4;
    LinkTable m_tree;  // two links per cyclic position: smaller, greater
};

}  // namespace corvane::lzx
