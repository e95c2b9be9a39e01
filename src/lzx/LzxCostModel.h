#pragma once

// What a parse produces (items), what it adds up to (symbol statistics), and what the next
// parse pays per symbol (costs, in fractions of a bit). The near-optimal parser iterates:
// parse with costs, count the symbols, derive codes, recompute costs, parse again.

#include <array>
#include <cstdint>
#include <span>

#include "lzx/LzxFormat.h"

namespace corvane::lzx {

// Costs are fixed point with this many units per bit, fine enough for the first pass's
// entropy estimates, coarse enough that sums over a block stay far below 2^32.
inline constexpr std::uint32_t kCostScale = 8;

// One literal (length 1, value = byte) or one match (length 2..257, value = formatted offset:
// 0..2 repeat slot, else offset + 2).
struct LzxItem {
    std::uint32_t length;
    std::uint32_t value;
};

struct RepState {
    std::array<std::uint32_t, kNumRepeats> r{1, 1, 1};

    // The queue after an item: literals keep it, R1/R2 swap with R0, explicit offsets push.
    RepState after(const LzxItem& item) const {
        RepState next = *this;
        if (item.length == 1) return next;
        if (item.value < kNumRepeats) {
            std::swap(next.r[0], next.r[item.value]);
        } else {
            next.r = {matchOffset(item.value), r[0], r[1]};
        }
        return next;
    }
};

// Items parsed from the queue `parsed` are to follow the queue `real` instead (a job's first
// block, a block after an uncompressed one). Each match keeps its offset and is coded against
// the real queue: a repeat slot when the offset is in it, else explicitly. Returns the real
// queue after the items; once both queues agree the rest is left as it is.
RepState settleRepeats(std::span<LzxItem> items, RepState parsed, RepState real);

struct LzxStats {
    std::array<std::uint32_t, kMaxMainSymbols> main{};
    std::array<std::uint32_t, kNumLengthSymbols> length{};
    std::array<std::uint32_t, kNumAlignedSymbols> aligned{};
    std::uint64_t footerBitTotal = 0;  // footer bits of all explicit matches, as verbatim blocks send them
    std::uint32_t alignedFooters = 0;  // matches whose low three footer bits aligned blocks code

    void add(const LzxItem& item);
    void add(std::span<const LzxItem> items) {
        for (const LzxItem& item : items)
            add(item);
    }
    void add(const LzxStats& other);
};

struct LzxCosts {
    std::array<std::uint32_t, kMaxMainSymbols> main{};
    std::array<std::uint32_t, kNumLengthSymbols> length{};
    std::array<std::uint32_t, kNumAlignedSymbols> aligned{};
    bool useAligned = false;  // footers priced as an aligned block would send them

    std::uint32_t footerCost(unsigned slot, std::uint32_t formatted) const {
        const unsigned bits = footerBits(slot);
        if (!useAligned || bits < 3) return bits * kCostScale;
        return (bits - 3) * kCostScale + aligned[(formatted - kSlotBase[slot]) & 7];
    }
};

// First-pass costs: literals from the byte histogram of the data to be parsed, matches from
// fixed guesses.
LzxCosts initialCosts(std::span<const std::uint8_t> data, int windowBits);

// Costs from the codes that the statistics of an earlier parse would get.
LzxCosts costsFromStats(const LzxStats& stats, int windowBits);

}  // namespace corvane::lzx
