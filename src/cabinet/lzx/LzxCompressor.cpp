// Corvane's LZX compressor: the cabinet flavour of LZX, tuned for ratio.
//
// Format. LZX is LZ77 over a window of 2^15..2^21 bytes followed by Huffman coding. A folder is
// one stream; it is cut into 32 KiB frames, each one CFDATA payload padded to 16 bits. Inside
// the stream, blocks of any length carry their own codes: a main tree (literals, and match
// headers combining a position slot with a short length), a length tree for longer lengths,
// and in aligned blocks a tree for the low three bits of far offsets. Three recently used
// offsets (R0..R2) are coded as slots 0..2. Before matching, E8 call displacements are turned
// into absolute addresses (LzxE8.h). The trees, the repeat offsets and the window persist
// through the folder.
//
// Algorithm. Input is buffered and handled in chunks of a few frames:
//  1. Every complete frame is E8-translated as soon as it arrives.
//  2. The binary-tree match finder (LzxMatchFinder) runs once over the chunk and caches, for
//     each position, its matches of increasing length; positions covered by a long match are
//     only inserted, not searched.
//  3. The near-optimal parser (LzxParser) runs over the whole chunk, first with costs guessed
//     from the byte histogram, then again with costs from the codes its previous result would
//     get.
//  4. Block splitting works on frames: starting from one block per frame, a neighbouring frame
//     joins the current block when one set of codes for both is no dearer than two. The same
//     estimate picks uncompressed blocks for incompressible frames.
//  5. Each block is parsed once more with costs from its own statistics, and written as
//     verbatim, aligned or uncompressed, whichever is smallest (LzxBlockWriter).
//
// Trade-offs. The repeated parse costs time but is where the ratio comes from; the match
// cache makes the repeats cheap, since match finding dominates a single pass. Blocks start on
// frame boundaries: finer splits would gain little on installer payloads, and this keeps the
// uncompressed-block padding rules trivial. Memory is the window twice over for the buffer,
// two links per window position for the tree, and the match cache and parse graph of one
// chunk: about 14 bytes per window byte plus a few MiB, whatever the input size.

#include "cabinet/lzx/LzxCompressor.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "cabinet/lzx/LzxBlockWriter.h"
#include "cabinet/lzx/LzxCostModel.h"
#include "cabinet/lzx/LzxE8.h"
#include "cabinet/lzx/LzxMatchFinder.h"
#include "cabinet/lzx/LzxParser.h"

namespace corvane::cabinet {

namespace {

using namespace lzx;

// Frames parsed together: enough for the block splitter to find stretches worth their own
// codes, few enough that the match cache and the parse graph stay small.
inline constexpr std::uint32_t kChunkFrames = 4;
inline constexpr std::uint32_t kChunkBytes = kChunkFrames * kFrameSize;
// Matches this long are taken without weighing alternatives; longer nice lengths gain little
// and slow the parser on repetitive data.
inline constexpr unsigned kNiceLength = 64;
// Tree nodes visited per position; deeper walks find slightly better matches at rising cost.
inline constexpr unsigned kMaxSearchDepth = 32;
// Passes over the whole chunk before splitting (the first uses guessed costs).
inline constexpr unsigned kChunkPasses = 2;
// Bytes the match finder may read past a chunk: the next frame must be translated before the
// chunk is searched, as matches compare up to the nice length beyond a position.
inline constexpr std::uint32_t kLookahead = kFrameSize;

static_assert(kNiceLength <= kMaxMatch && kNiceLength <= kLookahead);
static_assert(kChunkBytes % kFrameSize == 0, "chunks end on frame boundaries");
static_assert(kChunkPasses >= 1);

class LzxCompressorImpl final : public FolderCompressor {
public:
    explicit LzxCompressorImpl(const LzxOptions& options)
        : m_options(options),
          m_windowSize(std::uint32_t{1} << options.windowBits),
          m_buffer(2 * static_cast<std::size_t>(m_windowSize) + kChunkBytes + 2 * kLookahead),
          m_matchFinder(options.windowBits, kNiceLength, kMaxSearchDepth),
          m_parser(kNiceLength),
          m_writer(options.windowBits, options.e8TranslationSize) {}

    void write(std::span<const std::uint8_t> data, std::vector<DataBlock>& out) override {
        while (!data.empty()) {
            if (m_end - m_base == m_buffer.size()) makeRoom();
            const std::size_t n = std::min<std::size_t>(data.size(), m_buffer.size() - (m_end - m_base));
            std::memcpy(m_buffer.data() + (m_end - m_base), data.data(), n);
            m_end += n;
            data = data.subspan(n);
            while (m_translated + kFrameSize <= m_end) translateFrame(kFrameSize);
            while (m_translated >= m_done + kChunkBytes + kLookahead) compressChunk(kChunkBytes, out);
        }
    }

    void finish(std::vector<DataBlock>& out) override {
        if (m_translated < m_end) translateFrame(static_cast<std::uint32_t>(m_end - m_translated));
        while (m_done < m_end)
            compressChunk(static_cast<std::uint32_t>(std::min<std::uint64_t>(kChunkBytes, m_end - m_done)), out);
        m_writer.finish(out);
    }

private:
    std::uint8_t* at(std::uint64_t pos) { return m_buffer.data() + (pos - m_base); }

    void makeRoom() {
        // Keep the window before the first unprocessed byte; older bytes are out of reach.
        const std::uint64_t keep = std::max(m_base, m_done > m_windowSize ? m_done - m_windowSize : 0);
        std::memmove(m_buffer.data(), at(keep), m_end - keep);
        m_base = keep;
        assert(m_end - m_base < m_buffer.size());
    }

    void translateFrame(std::uint32_t size) {
        if (m_options.e8TranslationSize != 0)
            translateE8(std::span(at(m_translated), size), m_translated, m_options.e8TranslationSize);
        m_translated += size;
    }

    void findMatches(std::uint32_t size) {
        m_matchIndex.resize(static_cast<std::size_t>(size) + 1);
        const unsigned perPosition = m_matchFinder.maxMatchesPerPosition();
        std::size_t used = 0;
        std::uint32_t skipUntil = 0;
        for (std::uint32_t i = 0; i < size; ++i) {
            const std::uint64_t pos = m_done + i;
            const std::uint8_t* data = at(pos);
            const auto avail = static_cast<std::uint32_t>(std::min<std::uint64_t>(m_translated - pos, kMaxMatch));
            const auto frameRoom = static_cast<std::uint32_t>((pos / kFrameSize + 1) * kFrameSize - pos);
            m_matchIndex[i] = static_cast<std::uint32_t>(used);
            if (i < skipUntil) {
                m_matchFinder.skip(data, pos, avail);
                continue;
            }
            if (m_matches.size() < used + perPosition) m_matches.resize(2 * (used + perPosition));
            const unsigned count = m_matchFinder.findMatches(data, pos, avail, std::min(kMaxMatch, frameRoom),
                                                             m_matches.data() + used);
#ifndef NDEBUG
            for (unsigned k = 0; k < count; ++k) {
                const std::uint32_t m = m_matches[used + k];
                assert(PackedMatch::offset(m) <= pos && PackedMatch::offset(m) <= maxOffset(m_options.windowBits));
                assert(std::memcmp(data, data - PackedMatch::offset(m), PackedMatch::length(m)) == 0);
            }
#endif
            if (count != 0) {
                const std::uint32_t longest = PackedMatch::length(m_matches[used + count - 1]);
                if (longest >= kNiceLength) skipUntil = i + std::min(longest, frameRoom);
            }
            used += count;
        }
        m_matchIndex[size] = static_cast<std::uint32_t>(used);
    }

    void compressChunk(std::uint32_t size, std::vector<DataBlock>& out) {
        assert(m_done % kFrameSize == 0 && m_translated >= m_done + size);
        findMatches(size);
        const ParseInput whole{at(m_done), m_done, size, m_matchIndex.data(), m_matches.data()};

        // Whole-chunk passes: guessed costs first, then the costs of the previous result.
        LzxCosts costs = initialCosts(std::span(at(m_done), size), m_options.windowBits);
        for (unsigned pass = 0; pass < kChunkPasses; ++pass) {
            if (pass != 0) {
                LzxStats stats;
                stats.add(m_items);
                costs = costsFromStats(stats, m_options.windowBits);
            }
            m_parser.parse(whole, costs, m_reps, m_items);
        }

        // Statistics per frame, then merge neighbours while one set of codes is no dearer.
        const std::uint32_t frames = (size + kFrameSize - 1) / kFrameSize;
        std::vector<LzxStats> frameStats(frames);
        {
            std::uint64_t pos = 0;
            for (const LzxItem& item : m_items) {
                frameStats[pos / kFrameSize].add(item);
                pos += item.length;
            }
        }
        auto frameBytes = [&](std::uint32_t first, std::uint32_t last) {
            return std::min(last * kFrameSize, size) - first * kFrameSize;
        };
        auto estimate = [&](const LzxStats& stats, std::uint32_t first, std::uint32_t last) {
            return m_writer.plan(stats, frameBytes(first, last), true).bits;
        };
        std::vector<std::uint32_t> blockStarts{0};
        LzxStats current = frameStats[0];
        std::uint64_t currentBits = estimate(current, 0, 1);
        for (std::uint32_t f = 1; f < frames; ++f) {
            LzxStats merged = current;
            merged.add(frameStats[f]);
            const std::uint64_t mergedBits = estimate(merged, blockStarts.back(), f + 1);
            const std::uint64_t aloneBits = estimate(frameStats[f], f, f + 1);
            if (mergedBits <= currentBits + aloneBits) {
                current = merged;
                currentBits = mergedBits;
            } else {
                blockStarts.push_back(f);
                current = frameStats[f];
                currentBits = aloneBits;
            }
        }
        blockStarts.push_back(frames);

        // Final parse of each block with its own costs, then the cheapest block type.
        for (std::size_t b = 0; b + 1 < blockStarts.size(); ++b) {
            const std::uint32_t first = blockStarts[b] * kFrameSize;
            const std::uint32_t bytes = frameBytes(blockStarts[b], blockStarts[b + 1]);
            LzxStats stats;
            for (std::uint32_t f = blockStarts[b]; f < blockStarts[b + 1]; ++f) stats.add(frameStats[f]);
            const ParseInput block{at(m_done + first), m_done + first, bytes, m_matchIndex.data() + first,
                                   m_matches.data()};
            const RepState reps = m_parser.parse(block, costsFromStats(stats, m_options.windowBits), m_reps, m_items);
            stats = LzxStats{};
            stats.add(m_items);
            LzxBlockPlan plan = m_writer.plan(stats, bytes, true);
            if (plan.type != BlockType::Uncompressed && !m_writer.fitsFrames(plan, m_items))
                plan.type = BlockType::Uncompressed;
            if (plan.type == BlockType::Uncompressed) {
                m_writer.writeUncompressed(std::span(at(m_done + first), bytes), m_reps, out);
            } else {
                m_writer.writeCompressed(plan, m_items, out);
                m_reps = reps;
            }
        }
        m_done += size;
    }

    LzxOptions m_options;
    std::uint32_t m_windowSize;
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_base = 0;        // folder position of m_buffer[0]
    std::uint64_t m_end = 0;         // folder position after the last byte received
    std::uint64_t m_translated = 0;  // bytes before this position are E8-translated and final
    std::uint64_t m_done = 0;        // bytes before this position are compressed
    LzxMatchFinder m_matchFinder;
    LzxParser m_parser;
    LzxBlockWriter m_writer;
    RepState m_reps;
    std::vector<std::uint32_t> m_matchIndex;
    std::vector<std::uint32_t> m_matches;
    std::vector<LzxItem> m_items;
};

}  // namespace

std::unique_ptr<FolderCompressor> makeLzxCompressor(const LzxOptions& options) {
    if (options.windowBits < kMinWindowBits || options.windowBits > kMaxWindowBits)
        throw std::invalid_argument("LZX window bits must be 15 to 21, not " + std::to_string(options.windowBits));
    return std::make_unique<LzxCompressorImpl>(options);
}

std::unique_ptr<FolderCompressor> makeLzxCompressor(int windowBits) {
    LzxOptions options;
    options.windowBits = windowBits;
    return makeLzxCompressor(options);
}

}  // namespace corvane::cabinet
