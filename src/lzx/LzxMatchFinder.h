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

// A zero-filled array from calloc: large ones come straight from fresh pages, so a compressor
// made for a small file touches only the parts it uses.
class ZeroedTable {
public:
    explicit ZeroedTable(std::size_t size)
        : m_data(static_cast<std::uint32_t*>(std::calloc(size, sizeof(std::uint32_t)))), m_size(size) {
        if (m_data == nullptr) throw std::bad_alloc();
    }
    std::uint32_t& operator[](std::size_t i) { return m_data.get()[i]; }
    std::uint32_t* begin() { return m_data.get(); }
    std::uint32_t* end() { return m_data.get() + m_size; }

private:
    struct Free {
        void operator()(std::uint32_t* p) const { std::free(p); }
    };
    std::unique_ptr<std::uint32_t, Free> m_data;
    std::size_t m_size;
};

class LzxMatchFinder {
public:
    // maxDepth bounds the tree walk of findMatches, skipDepth that of skip; sizeHint, when the
    // input's whole length is known, lets short inputs use a smaller root table.
    LzxMatchFinder(int windowBits, unsigned niceLength, unsigned maxDepth, unsigned skipDepth,
                   std::uint64_t sizeHint = UINT64_MAX);

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

private:
    template <bool kReport>
    unsigned advance(const std::uint8_t* data, std::uint64_t pos, std::uint32_t avail,
                     std::uint32_t maxLength, std::uint32_t* out);
    void rebase();

    std::uint32_t m_cyclicSize;
    unsigned m_niceLength;
    unsigned m_maxDepth;
    unsigned m_skipDepth;
    unsigned m_hash4Bits;
    std::uint64_t m_next = 0;       // folder position expected next
    std::uint32_t m_pos;            // internal position of m_next; empty links are 0
    std::uint32_t m_cyclicPos = 0;  // m_pos modulo m_cyclicSize
    ZeroedTable m_hash2;
    ZeroedTable m_hash3;
    ZeroedTable m_hash4;
    ZeroedTable m_tree;  // two links per cyclic position: smaller, greater
};

}  // namespace corvane::lzx
