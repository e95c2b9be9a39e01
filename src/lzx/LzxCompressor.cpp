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
//  3. The near-optimal parser (LzxParser) runs over the whole chunk with the costs of the codes
//     the previous chunk got. A folder's first chunk has none: it is parsed with costs guessed
//     from its byte histogram, then again with the costs of that result.
//  4. Block splitting works on frames: starting from one block per frame, a neighbouring frame
//     joins the current block when one set of codes for both is no dearer than two. The same
//     estimate picks uncompressed blocks for incompressible frames.
//  5. Each block gets codes built from its own statistics and is written as verbatim, aligned
//     or uncompressed, whichever is smallest (LzxBlockWriter). A frame that would still exceed
//     the payload limit decoders accept turns its block uncompressed.
//
// Trade-offs. Costs carried from chunk to chunk give most of what repeated passes give (about
// half a percent short of a second pass per block) at half the parse time; the match cache lets
// the first chunk parse twice without searching twice. Blocks start on frame boundaries: finer
// splits would gain little on installer payloads, and this keeps the uncompressed-block padding
// rules trivial. Memory is the window twice over for the buffer and two 4-byte links per window
// position for the tree (10 bytes per window byte), plus under 20 MiB whatever the window: the
// root tables, and the match cache (at most 18 matches per position) and parse graph of one
// chunk. It does not depend on the input size; small complete folders get smaller tables.

#include "lzx/LzxCompressor.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "lzx/LzxBlockWriter.h"
#include "lzx/LzxCostModel.h"
#include "lzx/LzxE8.h"
#include "lzx/LzxMatchFinder.h"
#include "lzx/LzxParser.h"

namespace corvane::lzx {

namespace {

// Frames parsed together: enough for the block splitter to find stretches worth their own
// codes, few enough that the match cache and the parse graph stay small.
inline constexpr std::uint32_t kChunkFrames = 4;
inline constexpr std::uint32_t kChunkBytes = kChunkFrames * kFrameSize;
// The match finder stops walking a tree once a match this long turns up (it is then extended
// to the frame's limit); longer nice lengths find longer matches at rising cost.
inline constexpr unsigned kNiceLength = 96;
// Matches this long are taken without weighing alternatives, and the positions they cover are
// not searched. At 48 the parse loses a third of a percent on text; at 257 it spends twice the
// time on long repetitions (bitmaps, padding) for a tenth of a percent more.
inline constexpr unsigned kGreedyLength = 96;
// Tree nodes visited per searched position: beyond 16 the gain is a few hundredths of a
// percent while the time grows with every cache miss.
inline constexpr unsigned kMaxSearchDepth = 16;
// Tree nodes visited when a position inside a long match is only inserted: the region was just
// matched, so its strings mostly sit at the top of their trees already.
inline constexpr unsigned kSkipDepth = 4;
// Parses of a whole chunk before it is split. A folder's first chunk has no statistics yet: a
// pass with guessed costs, then one with the costs of its result (a third gains 0.2 % on small
// text files for half again the time). Later chunks start from the codes of the chunk before,
// which fit well enough that one pass suffices.
inline constexpr unsigned kFirstChunkPasses = 2;
inline constexpr unsigned kLaterChunkPasses = 1;
// Bytes the match finder may read past a chunk: the next frame must be translated before the
// chunk is searched, as matches compare up to the nice length beyond a position.
inline constexpr std::uint32_t kLookahead = kFrameSize;
// The input buffer starts this small and doubles up to its limit, so small folders stay cheap.
inline constexpr std::size_t kInitialBuffer = std::size_t{1} << 18;

static_assert(kNiceLength <= kMaxMatch && kNiceLength <= kLookahead, "the finder reads nice bytes ahead");
static_assert(kSkipDepth <= kMaxSearchDepth);
static_assert(kGreedyLength <= kNiceLength, "a greedy match must be one the finder reports whole");
static_assert(kFirstChunkPasses >= 1 && kLaterChunkPasses >= 1);
static_assert(kChunkBytes % kFrameSize == 0, "chunks end on frame boundaries");

class LzxCompressorImpl final : public codec::FolderCompressor {
public:
    explicit LzxCompressorImpl(const LzxOptions& options)
        : m_options(options),
          m_windowSize(std::uint32_t{1} << options.windowBits),
          m_bufferLimit(2 * static_cast<std::size_t>(m_windowSize) + kChunkBytes + 2 * kLookahead),
          m_parser(kGreedyLength),
          m_writer(options.windowBits, options.e8TranslationSize) {}

    void write(std::span<const std::uint8_t> data, std::vector<codec::DataBlock>& out) override {
        while (!data.empty()) {
            if (m_end - m_base == m_buffer.size()) {
                if (m_buffer.size() < m_bufferLimit)
                    m_buffer.resize(std::min(m_bufferLimit, std::max(2 * m_buffer.size(), kInitialBuffer)));
                else
                    makeRoom();
            }
            const std::size_t n = std::min<std::size_t>(data.size(), m_buffer.size() - (m_end - m_base));
            std::memcpy(at(m_end), data.data(), n);
            m_end += n;
            data = data.subspan(n);
            while (m_translated + kFrameSize <= m_end)
                translateFrame(kFrameSize);
            while (m_translated >= m_done + kChunkBytes + kLookahead)
                compressChunk(kChunkBytes, out);
        }
    }

    void finish(std::vector<codec::DataBlock>& out) override {
        m_finishing = true;
        if (m_translated < m_end) translateFrame(static_cast<std::uint32_t>(m_end - m_translated));
        while (m_done < m_end)
            compressChunk(static_cast<std::uint32_t>(std::min<std::uint64_t>(kChunkBytes, m_end - m_done)),
                          out);
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
        if (!m_matchFinder) {
            // Made at the first chunk: a folder that is already complete then tells its size.
            m_matchFinder.emplace(m_options.windowBits, kNiceLength, kMaxSearchDepth, kSkipDepth,
                                  m_finishing ? m_end : UINT64_MAX);
        }
        const unsigned perPosition = m_matchFinder->maxMatchesPerPosition();
        std::size_t used = 0;
        std::uint32_t skipUntil = 0;
        for (std::uint32_t i = 0; i < size; ++i) {
            const std::uint64_t pos = m_done + i;
            const std::uint8_t* data = at(pos);
            const auto avail =
                static_cast<std::uint32_t>(std::min<std::uint64_t>(m_translated - pos, kMaxMatch));
            const auto frameRoom = static_cast<std::uint32_t>(frameEnd(pos) - pos);
            m_matchIndex[i] = static_cast<std::uint32_t>(used);
            if (i < skipUntil) {
                m_matchFinder->skip(data, pos, avail);
                continue;
            }
            if (m_matches.size() < used + perPosition) m_matches.resize(2 * (used + perPosition));
            const unsigned count = m_matchFinder->findMatches(
                data, pos, avail, std::min(kMaxMatch, frameRoom), m_matches.data() + used);
#ifndef NDEBUG
            for (unsigned k = 0; k < count; ++k) {
                const std::uint32_t m = m_matches[used + k];
                assert(PackedMatch::offset(m) <= pos &&
                       PackedMatch::offset(m) <= maxOffset(m_options.windowBits));
                assert(std::memcmp(data, data - PackedMatch::offset(m), PackedMatch::length(m)) == 0);
            }
#endif
            if (count != 0) {
                const std::uint32_t longest = PackedMatch::length(m_matches[used + count - 1]);
                if (longest >= kGreedyLength) skipUntil = i + std::min(longest, frameRoom);
            }
            used += count;
        }
        m_matchIndex[size] = static_cast<std::uint32_t>(used);
    }

    void compressChunk(std::uint32_t size, std::vector<codec::DataBlock>& out) {
        assert(m_done % kFrameSize == 0 && m_translated >= m_done + size);
        findMatches(size);
        parseChunk(size);
        const std::vector<LzxStats> frameStats = statsPerFrame(size);
        const std::vector<std::uint32_t> blockStarts = splitIntoBlocks(frameStats, size);
        writeBlocks(blockStarts, frameStats, size, out);
        m_done += size;
    }

    // Bytes of the chunk in frames [first, last): the chunk's last frame may be short.
    static std::uint32_t frameBytes(std::uint32_t first, std::uint32_t last, std::uint32_t size) {
        return std::min(last * kFrameSize, size) - first * kFrameSize;
    }

    // Whole-chunk passes into m_items, from the previous chunk's codes or, at the folder start,
    // from guesses.
    void parseChunk(std::uint32_t size) {
        const ParseInput whole{at(m_done), m_done, size, m_matchIndex.data(), m_matches.data()};
        LzxCosts costs = m_havePrevious ? costsFromStats(m_previous, m_options.windowBits)
                                        : initialCosts(std::span(at(m_done), size), m_options.windowBits);
        const unsigned passes = m_havePrevious ? kLaterChunkPasses : kFirstChunkPasses;
        for (unsigned pass = 0; pass < passes; ++pass) {
            if (pass != 0) {
                LzxStats stats;
                stats.add(m_items);
                costs = costsFromStats(stats, m_options.windowBits);
            }
            m_parser.parse(whole, costs, m_reps, m_items);
        }
    }

    std::vector<LzxStats> statsPerFrame(std::uint32_t size) const {
        std::vector<LzxStats> frameStats((size + kFrameSize - 1) / kFrameSize);
        std::uint64_t pos = 0;
        for (const LzxItem& item : m_items) {
            frameStats[pos / kFrameSize].add(item);
            pos += item.length;
        }
        return frameStats;
    }

    // Starting from one block per frame, a frame joins the block before it while one set of
    // codes for both is no dearer than two. Returns the first frame of every block, then the
    // frame count.
    std::vector<std::uint32_t> splitIntoBlocks(const std::vector<LzxStats>& frameStats, std::uint32_t size) {
        const auto frames = static_cast<std::uint32_t>(frameStats.size());
        auto estimate = [&](const LzxStats& stats, std::uint32_t first, std::uint32_t last) {
            return m_writer.plan(stats, frameBytes(first, last, size), true).bits;
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
        return blockStarts;
    }

    // Each block takes its stretch of the chunk's parse. That parse assumed the repeat queue its
    // own earlier items leave; after an uncompressed block the real queue differs, and the block
    // is parsed again from the real one.
    void writeBlocks(const std::vector<std::uint32_t>& blockStarts, const std::vector<LzxStats>& frameStats,
                     std::uint32_t size, std::vector<codec::DataBlock>& out) {
        m_chunkItems.swap(m_items);
        std::size_t itemAt = 0;
        RepState parsedReps = m_reps;
        m_previous = LzxStats{};
        m_havePrevious = true;
        for (std::size_t b = 0; b + 1 < blockStarts.size(); ++b) {
            const std::uint32_t first = blockStarts[b] * kFrameSize;
            const std::uint32_t bytes = frameBytes(blockStarts[b], blockStarts[b + 1], size);
            std::size_t itemEnd = itemAt;
            RepState parsedRepsAfter = parsedReps;
            for (std::uint32_t covered = 0; covered < bytes; ++itemEnd) {
                covered += m_chunkItems[itemEnd].length;
                parsedRepsAfter = parsedRepsAfter.after(m_chunkItems[itemEnd]);
            }
            LzxStats stats;
            for (std::uint32_t f = blockStarts[b]; f < blockStarts[b + 1]; ++f)
                stats.add(frameStats[f]);
            RepState reps = parsedRepsAfter;
            if (parsedReps.r == m_reps.r) {
                m_items.assign(m_chunkItems.begin() + itemAt, m_chunkItems.begin() + itemEnd);
            } else {
                reps = reparseBlock(first, bytes, stats);
                stats = LzxStats{};
                stats.add(m_items);
            }
            itemAt = itemEnd;
            parsedReps = parsedRepsAfter;
            m_previous.add(stats);
            writeBlock(first, bytes, stats, reps, out);
        }
    }

    // Parses one block again, from the repeat queue the blocks before it really left.
    RepState reparseBlock(std::uint32_t first, std::uint32_t bytes, const LzxStats& stats) {
        const ParseInput block{at(m_done + first), m_done + first, bytes, m_matchIndex.data() + first,
                               m_matches.data()};
        return m_parser.parse(block, costsFromStats(stats, m_options.windowBits), m_reps, m_items);
    }

    // Writes m_items as one block, or the bytes uncompressed when that is smaller or a frame
    // would not fit its payload; reps is the queue after m_items.
    void writeBlock(std::uint32_t first, std::uint32_t bytes, const LzxStats& stats, const RepState& reps,
                    std::vector<codec::DataBlock>& out) {
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

    LzxOptions m_options;
    std::uint32_t m_windowSize;
    std::size_t m_bufferLimit;  // the buffer grows to this, then slides
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_base = 0;        // folder position of m_buffer[0]
    std::uint64_t m_end = 0;         // folder position after the last byte received
    std::uint64_t m_translated = 0;  // bytes before this position are E8-translated and final
    std::uint64_t m_done = 0;        // bytes before this position are compressed
    bool m_finishing = false;
    std::optional<LzxMatchFinder> m_matchFinder;
    LzxParser m_parser;
    LzxBlockWriter m_writer;
    RepState m_reps;
    LzxStats m_previous;  // statistics of the last chunk, the next chunk's first cost model
    bool m_havePrevious = false;
    std::vector<std::uint32_t> m_matchIndex;
    std::vector<std::uint32_t> m_matches;
    std::vector<LzxItem> m_items;
    std::vector<LzxItem> m_chunkItems;
};

}  // namespace

std::unique_ptr<codec::FolderCompressor> makeLzxCompressor(const LzxOptions& options) {
    if (options.windowBits < kMinWindowBits || options.windowBits > kMaxWindowBits)
        throw std::invalid_argument("LZX window bits must be 15 to 21, not " +
                                    std::to_string(options.windowBits));
    return std::make_unique<LzxCompressorImpl>(options);
}

std::unique_ptr<codec::FolderCompressor> makeLzxCompressor(int windowBits) {
    LzxOptions options;
    options.windowBits = windowBits;
    return makeLzxCompressor(options);
}

}  // namespace corvane::lzx
