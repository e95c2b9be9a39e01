#include "lzx/LzxCostModel.h"

#include <algorithm>
#include <cmath>

#include "lzx/LzxHuffman.h"

namespace corvane::lzx {

namespace {

// First-pass guesses, in bits: a match symbol and a length symbol cost about this much in
// typical data; the later passes replace them with real code lengths.
inline constexpr std::uint32_t kGuessRepeatSymbolBits = 7;
inline constexpr std::uint32_t kGuessMatchSymbolBits = 9;
inline constexpr std::uint32_t kGuessLengthSymbolBits = 6;
inline constexpr std::uint32_t kGuessAlignedSymbolBits = 3;

// A symbol the last parse did not use would get about the longest codeword if it were used;
// one bit more keeps the parser from chasing symbols that merely look free.
inline constexpr std::uint32_t kUnusedExtraBits = 1;
inline constexpr std::uint32_t kMinUnusedBits = 8;

void priceCode(std::span<const std::uint32_t> freqs, unsigned maxLen, std::span<std::uint32_t> costs) {
    std::array<std::uint8_t, kMaxMainSymbols> lens{};
    const std::span<std::uint8_t> l(lens.data(), freqs.size());
    buildCodeLengths(freqs, maxLen, l);
    std::uint32_t longest = 0;
    for (const std::uint8_t x : l)
        longest = std::max<std::uint32_t>(longest, x);
    const std::uint32_t unused =
        std::min<std::uint32_t>(std::max(longest, kMinUnusedBits) + kUnusedExtraBits, 17);
    for (std::size_t s = 0; s < freqs.size(); ++s)
        costs[s] = (l[s] != 0 ? l[s] : unused) * kCostScale;
}

}  // namespace

RepState settleRepeats(std::span<LzxItem> items, RepState parsed, RepState real) {
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (parsed.r == real.r) {
            for (; i < items.size(); ++i)
                real = real.after(items[i]);
            break;
        }
        LzxItem& item = items[i];
        if (item.length == 1) continue;
        const std::uint32_t offset =
            item.value < kNumRepeats ? parsed.r[item.value] : matchOffset(item.value);
        parsed = parsed.after(item);
        const auto slot =
            static_cast<std::uint32_t>(std::find(real.r.begin(), real.r.end(), offset) - real.r.begin());
        item.value = slot < kNumRepeats ? slot : formattedOffset(offset);
        real = real.after(item);
    }
    return real;
}

void LzxStats::add(const LzxItem& item) {
    if (item.length == 1) {
        ++main[item.value];
        return;
    }
    const unsigned slot = slotOf(item.value);
    const unsigned header = lengthHeader(item.length);
    ++main[mainSymbol(slot, header)];
    if (header == kNumPrimaryLengths) ++length[lengthSymbol(item.length)];
    if (item.value >= kNumRepeats) {
        const unsigned bits = footerBits(slot);
        footerBitTotal += bits;
        if (bits >= 3) {
            ++alignedFooters;
            ++aligned[(item.value - kSlotBase[slot]) & 7];
        }
    }
}

void LzxStats::add(const LzxStats& other) {
    for (std::size_t i = 0; i < main.size(); ++i)
        main[i] += other.main[i];
    for (std::size_t i = 0; i < length.size(); ++i)
        length[i] += other.length[i];
    for (std::size_t i = 0; i < aligned.size(); ++i)
        aligned[i] += other.aligned[i];
    footerBitTotal += other.footerBitTotal;
    alignedFooters += other.alignedFooters;
}

LzxCosts initialCosts(std::span<const std::uint8_t> data, int windowBits) {
    LzxCosts costs;
    std::array<std::uint32_t, kNumChars> freq{};
    for (const std::uint8_t b : data)
        ++freq[b];
    const double total = static_cast<double>(std::max<std::size_t>(data.size(), 1));
    for (unsigned c = 0; c < kNumChars; ++c) {
        const double bits = freq[c] != 0 ? std::log2(total / freq[c]) : std::log2(total) + 1;
        costs.main[c] = static_cast<std::uint32_t>(std::clamp(bits, 1.0, 16.0) * kCostScale);
    }
    for (unsigned s = kNumChars; s < numMainSymbols(windowBits); ++s) {
        const unsigned slot = (s - kNumChars) / 8;
        costs.main[s] = (slot < kNumRepeats ? kGuessRepeatSymbolBits : kGuessMatchSymbolBits) * kCostScale;
    }
    costs.length.fill(kGuessLengthSymbolBits * kCostScale);
    costs.aligned.fill(kGuessAlignedSymbolBits * kCostScale);
    return costs;
}

LzxCosts costsFromStats(const LzxStats& stats, int windowBits) {
    LzxCosts costs;
    const unsigned mainCount = numMainSymbols(windowBits);
    priceCode(std::span(stats.main.data(), mainCount), kMaxMainCodeLen,
              std::span(costs.main.data(), mainCount));
    priceCode(stats.length, kMaxLengthCodeLen, costs.length);
    if (stats.alignedFooters != 0) {
        std::array<std::uint8_t, kNumAlignedSymbols> lens{};
        buildCodeLengths(stats.aligned, kMaxAlignedCodeLen, lens);
        std::uint64_t alignedBits = 3 * kNumAlignedSymbols;
        for (unsigned s = 0; s < kNumAlignedSymbols; ++s) {
            costs.aligned[s] = (lens[s] != 0 ? lens[s] : kMaxAlignedCodeLen) * kCostScale;
            alignedBits += static_cast<std::uint64_t>(stats.aligned[s]) * lens[s];
        }
        costs.useAligned = alignedBits < 3 * static_cast<std::uint64_t>(stats.alignedFooters);
    }
    return costs;
}

}  // namespace corvane::lzx
