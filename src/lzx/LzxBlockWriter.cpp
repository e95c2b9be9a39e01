#include "lzx/LzxBlockWriter.h"

#include <algorithm>
#include <cassert>

#include "lzx/LzxHuffman.h"

namespace corvane::lzx {

namespace {

inline constexpr unsigned kBlockHeaderBits = 3 + 24;
inline constexpr unsigned kAlignedTreeBits = 3 * kNumAlignedSymbols;
inline constexpr unsigned kPretreeHeaderBits = 4 * kNumPretreeSymbols;
// Pretree symbols: 0..16 length deltas, then the three run symbols.
inline constexpr std::uint8_t kZeros4 = 17;   // + 4 bits: 4..19 zeros
inline constexpr std::uint8_t kZeros20 = 18;  // + 5 bits: 20..51 zeros
inline constexpr std::uint8_t kSame4 = 19;    // + 1 bit: 4..5 equal lengths, then their delta symbol
// Uncompressed block: header, at most 16 pad bits, the three repeat offsets.
inline constexpr unsigned kUncompressedOverheadBits = kBlockHeaderBits + 16 + 32 * kNumRepeats;

struct PretreeItem {
    std::uint8_t symbol;
    std::uint8_t extraBits;
    std::uint8_t extra;
};

std::uint8_t delta(std::uint8_t prev, std::uint8_t len) {
    return static_cast<std::uint8_t>((prev + 17 - len) % 17);
}

// Run symbols for equal non-zero lengths pay when a tree changes a lot from the previous block;
// when it changes little, plain deltas of 0 are cheaper. encodeLengths tries both.
void encodeLengthsWith(std::span<const std::uint8_t> lens, std::span<const std::uint8_t> prev, bool sameRuns,
                       std::vector<PretreeItem>& items) {
    items.clear();
    const std::size_t n = lens.size();
    for (std::size_t i = 0; i < n;) {
        const std::uint8_t v = lens[i];
        std::size_t run = 1;
        while (i + run < n && lens[i + run] == v)
            ++run;
        if (run >= 4 && v == 0) {
            while (run >= 20) {
                const std::size_t k = std::min<std::size_t>(run, 51);
                items.push_back({kZeros20, 5, static_cast<std::uint8_t>(k - 20)});
                i += k;
                run -= k;
            }
            if (run >= 4) {
                items.push_back({kZeros4, 4, static_cast<std::uint8_t>(run - 4)});
                i += run;
            }
            continue;
        }
        if (run >= 4 && sameRuns) {
            while (run >= 4) {
                const std::size_t k = std::min<std::size_t>(run, 5);
                items.push_back({kSame4, 1, static_cast<std::uint8_t>(k - 4)});
                items.push_back({delta(prev[i], v), 0, 0});
                i += k;
                run -= k;
            }
            continue;
        }
        items.push_back({delta(prev[i], v), 0, 0});
        ++i;
    }
}

struct Pretree {
    std::array<std::uint32_t, kNumPretreeSymbols> freq{};
    std::array<std::uint8_t, kNumPretreeSymbols> lens{};
    std::array<std::uint16_t, kNumPretreeSymbols> codes{};

    explicit Pretree(std::span<const PretreeItem> items) {
        for (const PretreeItem& item : items)
            ++freq[item.symbol];
        buildCodeLengths(freq, kMaxPretreeCodeLen, lens);
        buildCanonicalCodes(lens, codes);
    }

    std::uint64_t bits(std::span<const PretreeItem> items) const {
        std::uint64_t total = kPretreeHeaderBits;
        for (const PretreeItem& item : items)
            total += lens[item.symbol] + item.extraBits;
        return total;
    }
};

void encodeLengths(std::span<const std::uint8_t> lens, std::span<const std::uint8_t> prev,
                   std::vector<PretreeItem>& items) {
    std::vector<PretreeItem> plain;
    encodeLengthsWith(lens, prev, true, items);
    encodeLengthsWith(lens, prev, false, plain);
    if (Pretree(plain).bits(plain) < Pretree(items).bits(items)) items.swap(plain);
}

std::uint64_t sectionBits(std::span<const std::uint8_t> lens, std::span<const std::uint8_t> prev) {
    std::vector<PretreeItem> items;
    encodeLengths(lens, prev, items);
    return Pretree(items).bits(items);
}

void writeSection(LzxBitWriter& bits, std::span<const std::uint8_t> lens,
                  std::span<const std::uint8_t> prev) {
    std::vector<PretreeItem> items;
    encodeLengths(lens, prev, items);
    const Pretree pretree(items);
    for (const std::uint8_t len : pretree.lens)
        bits.put(len, 4);
    for (const PretreeItem& item : items) {
        bits.put(pretree.codes[item.symbol], pretree.lens[item.symbol]);
        if (item.extraBits != 0) bits.put(item.extra, item.extraBits);
    }
}

template <std::size_t N>
std::uint64_t codedBits(const std::array<std::uint32_t, N>& freq, const std::array<std::uint8_t, N>& lens,
                        std::size_t count = N) {
    std::uint64_t total = 0;
    for (std::size_t s = 0; s < count; ++s)
        total += static_cast<std::uint64_t>(freq[s]) * lens[s];
    return total;
}

}  // namespace

LzxBlockWriter::LzxBlockWriter(int windowBits, std::int32_t e8TranslationSize)
    : m_windowBits(windowBits),
      m_mainCount(numMainSymbols(windowBits)),
      m_e8TranslationSize(e8TranslationSize) {}

std::uint64_t LzxBlockWriter::treeBits(const LzxCodes& codes) const {
    const std::span<const std::uint8_t> main(codes.mainLens.data(), m_mainCount);
    const std::span<const std::uint8_t> prevMain(m_prevMain.data(), m_mainCount);
    return sectionBits(main.first(kNumChars), prevMain.first(kNumChars)) +
           sectionBits(main.subspan(kNumChars), prevMain.subspan(kNumChars)) +
           sectionBits(codes.lengthLens, m_prevLength);
}

LzxBlockPlan LzxBlockWriter::plan(const LzxStats& stats, std::uint32_t size, bool uncompressedAllowed) const {
    LzxBlockPlan plan;
    LzxCodes& codes = plan.codes;
    buildCodeLengths(std::span(stats.main.data(), m_mainCount), kMaxMainCodeLen,
                     std::span(codes.mainLens.data(), m_mainCount));
    buildCodeLengths(stats.length, kMaxLengthCodeLen, codes.lengthLens);
    const std::uint64_t verbatim = kBlockHeaderBits + treeBits(codes) +
                                   codedBits(stats.main, codes.mainLens, m_mainCount) +
                                   codedBits(stats.length, codes.lengthLens) + stats.footerBitTotal;
    plan.bits = verbatim;
    if (stats.alignedFooters != 0) {
        buildCodeLengths(stats.aligned, kMaxAlignedCodeLen, codes.alignedLens);
        const std::uint64_t aligned = verbatim + kAlignedTreeBits -
                                      3 * static_cast<std::uint64_t>(stats.alignedFooters) +
                                      codedBits(stats.aligned, codes.alignedLens);
        if (aligned < verbatim) {
            plan.type = BlockType::Aligned;
            plan.bits = aligned;
        }
    }
    const std::uint64_t uncompressed =
        kUncompressedOverheadBits + 8 * (static_cast<std::uint64_t>(size) + (size & 1));
    if (uncompressedAllowed && uncompressed < plan.bits) {
        plan.type = BlockType::Uncompressed;
        plan.bits = uncompressed;
    }
    return plan;
}

std::uint64_t LzxBlockWriter::itemBits(const LzxCodes& codes, bool aligned, const LzxItem& item) const {
    if (item.length == 1) return codes.mainLens[item.value];
    const unsigned slot = slotOf(item.value);
    const unsigned header = lengthHeader(item.length);
    std::uint64_t bits = codes.mainLens[mainSymbol(slot, header)];
    if (header == kNumPrimaryLengths) bits += codes.lengthLens[lengthSymbol(item.length)];
    if (item.value >= kNumRepeats) {
        const unsigned footer = footerBits(slot);
        bits += aligned && footer >= 3 ? footer - 3 + codes.alignedLens[(item.value - kSlotBase[slot]) & 7]
                                       : footer;
    }
    return bits;
}

bool LzxBlockWriter::fitsFrames(const LzxBlockPlan& plan, std::span<const LzxItem> items) const {
    const bool aligned = plan.type == BlockType::Aligned;
    std::uint64_t bits = m_bits.bitCount() + (m_started ? 0 : 33) + kBlockHeaderBits + treeBits(plan.codes) +
                         (aligned ? kAlignedTreeBits : 0);
    std::uint64_t pos = m_pos;
    std::uint64_t end = frameEnd(m_pos);
    constexpr std::uint64_t kLimitBits = 8 * codec::kMaxCompressedBlock;
    for (const LzxItem& item : items) {
        bits += itemBits(plan.codes, aligned, item);
        pos += item.length;
        if (pos == end) {
            if ((bits + 15) / 16 * 16 > kLimitBits) return false;
            bits = 0;
            end += kFrameSize;
        }
    }
    return (bits + 15) / 16 * 16 <= kLimitBits;
}

void LzxBlockWriter::writeStreamHeaderOnce() {
    if (m_started) return;
    m_started = true;
    // The first frame opens with the E8 flag and, when set, the translation size in two halves.
    if (m_e8TranslationSize != 0) {
        m_bits.put(1, 1);
        m_bits.put(static_cast<std::uint32_t>(m_e8TranslationSize) >> 16, 16);
        m_bits.put(static_cast<std::uint32_t>(m_e8TranslationSize) & 0xFFFF, 16);
    } else {
        m_bits.put(0, 1);
    }
}

void LzxBlockWriter::writeBlockHeader(BlockType type, std::uint32_t size) {
    writeStreamHeaderOnce();
    m_bits.put(static_cast<std::uint32_t>(type), 3);
    m_bits.put(size, 24);
}

void LzxBlockWriter::writeCompressed(const LzxBlockPlan& plan, std::span<const LzxItem> items,
                                     std::vector<codec::DataBlock>& out) {
    assert(plan.type != BlockType::Uncompressed);
    const bool aligned = plan.type == BlockType::Aligned;
    const LzxCodes& codes = plan.codes;
    std::uint32_t size = 0;
    for (const LzxItem& item : items)
        size += item.length;
    writeBlockHeader(plan.type, size);
    if (aligned)
        for (const std::uint8_t len : codes.alignedLens)
            m_bits.put(len, 3);
    const std::span<const std::uint8_t> main(codes.mainLens.data(), m_mainCount);
    const std::span<const std::uint8_t> prevMain(m_prevMain.data(), m_mainCount);
    writeSection(m_bits, main.first(kNumChars), prevMain.first(kNumChars));
    writeSection(m_bits, main.subspan(kNumChars), prevMain.subspan(kNumChars));
    writeSection(m_bits, codes.lengthLens, m_prevLength);

    std::array<std::uint16_t, kMaxMainSymbols> mainCodes{};
    std::array<std::uint16_t, kNumLengthSymbols> lengthCodes{};
    std::array<std::uint16_t, kNumAlignedSymbols> alignedCodes{};
    buildCanonicalCodes(main, std::span(mainCodes.data(), m_mainCount));
    buildCanonicalCodes(codes.lengthLens, lengthCodes);
    buildCanonicalCodes(codes.alignedLens, alignedCodes);

    for (const LzxItem& item : items) {
        if (item.length == 1) {
            assert(codes.mainLens[item.value] != 0);
            m_bits.put(mainCodes[item.value], codes.mainLens[item.value]);
        } else {
            const unsigned slot = slotOf(item.value);
            const unsigned header = lengthHeader(item.length);
            const unsigned symbol = mainSymbol(slot, header);
            assert(codes.mainLens[symbol] != 0);
            m_bits.put(mainCodes[symbol], codes.mainLens[symbol]);
            if (header == kNumPrimaryLengths) {
                const unsigned ls = lengthSymbol(item.length);
                assert(codes.lengthLens[ls] != 0);
                m_bits.put(lengthCodes[ls], codes.lengthLens[ls]);
            }
            if (item.value >= kNumRepeats) {
                const unsigned bits = footerBits(slot);
                const std::uint32_t footer = item.value - kSlotBase[slot];
                if (aligned && bits >= 3) {
                    m_bits.put(footer >> 3, bits - 3);
                    assert(codes.alignedLens[footer & 7] != 0);
                    m_bits.put(alignedCodes[footer & 7], codes.alignedLens[footer & 7]);
                } else {
                    m_bits.put(footer, bits);
                }
            }
        }
        advance(item.length, out);
    }
    assumeWritten(codes);
}

void LzxBlockWriter::assumeWritten(const LzxCodes& codes) {
    std::copy(codes.mainLens.begin(), codes.mainLens.end(), m_prevMain.begin());
    m_prevLength = codes.lengthLens;
}

void LzxBlockWriter::writeUncompressed(std::span<const std::uint8_t> data, const RepState& reps,
                                       std::vector<codec::DataBlock>& out) {
    assert(m_pos % kFrameSize == 0 && !data.empty());
    writeBlockHeader(BlockType::Uncompressed, static_cast<std::uint32_t>(data.size()));
    // 1 to 16 pad bits: decoders always consume at least one bit here.
    if (m_bits.aligned())
        m_bits.put(0, 16);
    else
        m_bits.alignTo16();
    for (const std::uint32_t r : reps.r)
        m_bits.putU32(r);
    while (!data.empty()) {
        const auto part =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(data.size(), frameEnd(m_pos) - m_pos));
        m_bits.putBytes(data.first(part));
        data = data.subspan(part);
        if (data.empty() && (part & 1) != 0) {
            // Only the folder's last frame can be odd; its pad byte stays in the last payload.
            const std::uint8_t pad = 0;
            m_bits.putBytes(std::span(&pad, 1));
        }
        advance(part, out);
    }
}

void LzxBlockWriter::advance(std::uint32_t bytes, std::vector<codec::DataBlock>& out) {
    m_pos += bytes;
    assert(m_pos <= frameEnd(m_frameStart));
    if (m_pos - m_frameStart == kFrameSize) endFrame(out);
}

void LzxBlockWriter::endFrame(std::vector<codec::DataBlock>& out) {
    m_bits.alignTo16();
    codec::DataBlock block;
    block.data = m_bits.take();
    block.uncompressedSize = static_cast<std::uint16_t>(m_pos - m_frameStart);
    assert(block.data.size() <= codec::kMaxCompressedBlock);
    out.push_back(std::move(block));
    m_frameStart = m_pos;
}

void LzxBlockWriter::finish(std::vector<codec::DataBlock>& out) {
    if (m_pos != m_frameStart) endFrame(out);
}

}  // namespace corvane::lzx
