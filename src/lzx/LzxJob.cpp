#include "lzx/LzxJob.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <memory>

#include "lzx/LzxBlockWriter.h"
#include "lzx/LzxMatchFinder.h"
#include "lzx/LzxParser.h"

namespace corvane::lzx {

namespace {

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
// matched, so its strings mostly sit at the top of their trees already. A job's history is
// inserted the same way: deeper insertion keeps older strings reachable but costs as much as
// searching, for a few hundredths of a percent.
inline constexpr unsigned kSkipDepth = 4;
// Parses of a whole chunk before it is split. A job's first chunk has no statistics yet: a
// pass with guessed costs, then one with the costs of its result (a third gains 0.2 % on small
// text files for half again the time). Later chunks start from the codes of the chunk before,
// which fit well enough that one pass suffices.
inline constexpr unsigned kFirstChunkPasses = 2;
inline constexpr unsigned kLaterChunkPasses = 1;

static_assert(kNiceLength <= kMaxMatch && kNiceLength <= kLookahead, "the finder reads nice bytes ahead");
static_assert(kSkipDepth <= kMaxSearchDepth);
static_assert(kGreedyLength <= kNiceLength, "a greedy match must be one the finder reports whole");
static_assert(kFirstChunkPasses >= 1 && kLaterChunkPasses >= 1);

// Bytes of a chunk in frames [first, last): the chunk's last frame may be short.
std::uint32_t frameBytes(std::uint32_t first, std::uint32_t last, std::uint32_t size) {
    return std::min(last * kFrameSize, size) - first * kFrameSize;
}

// The working state of a job while it runs: the match finder's tables, the match cache and
// the parse graph, tens of megabytes with the largest window. Each thread keeps one and starts
// it over for every job it runs, so only the parsed blocks stay in memory while a job waits to
// be written, and the pages are touched once per thread, not once per job or file.
class JobParser {
public:
    explicit JobParser(int windowBits)
        : m_windowBits(windowBits),
          m_finder(windowBits, kNiceLength, kMaxSearchDepth, kSkipDepth),
          m_parser(kGreedyLength),
          m_planner(windowBits, 0) {}

    int windowBits() const { return m_windowBits; }

    void start(const std::uint8_t* data, std::uint64_t dataStart, std::uint64_t dataEnd, std::uint64_t end) {
        m_data = data;
        m_dataStart = dataStart;
        m_dataEnd = dataEnd;
        // Nothing before the data can be matched: a short job gets small tables.
        m_finder.restart(dataStart, end - dataStart);
        m_planner = LzxBlockWriter(m_windowBits, 0);
        m_reps = RepState{};
        m_previous = LzxStats{};
        m_havePrevious = false;
    }

    void addHistory(std::uint64_t until, const codec::JobQueue& queue) {
        for (std::uint64_t pos = m_dataStart; pos < until; ++pos) {
            if (pos % kChunkBytes == 0 && queue.cancelled()) throw codec::JobsCancelled();
            m_finder.skip(at(pos), pos, avail(pos));
        }
    }

    void parseChunk(std::uint64_t begin, std::uint32_t size, std::vector<LzxParsedBlock>& blocks) {
        assert(begin % kFrameSize == 0 && begin + size <= m_dataEnd);
        findMatches(begin, size);
        parse(begin, size);
        const std::vector<LzxStats> frameStats = statsPerFrame(size);
        const std::vector<std::uint32_t> blockStarts = splitIntoBlocks(frameStats, size);
        recordBlocks(begin, size, blockStarts, frameStats, blocks);
    }

private:
    const std::uint8_t* at(std::uint64_t pos) const { return m_data + (pos - m_dataStart); }
    std::uint32_t avail(std::uint64_t pos) const {
        return static_cast<std::uint32_t>(std::min<std::uint64_t>(m_dataEnd - pos, kMaxMatch));
    }

    void findMatches(std::uint64_t begin, std::uint32_t size) {
        m_matchIndex.resize(static_cast<std::size_t>(size) + 1);
        const unsigned perPosition = m_finder.maxMatchesPerPosition();
        std::size_t used = 0;
        std::uint32_t skipUntil = 0;
        for (std::uint32_t i = 0; i < size; ++i) {
            const std::uint64_t pos = begin + i;
            const std::uint8_t* data = at(pos);
            const auto frameRoom = static_cast<std::uint32_t>(frameEnd(pos) - pos);
            m_matchIndex[i] = static_cast<std::uint32_t>(used);
            if (i < skipUntil) {
                m_finder.skip(data, pos, avail(pos));
                continue;
            }
            if (m_matches.size() < used + perPosition) m_matches.resize(2 * (used + perPosition));
            const unsigned count = m_finder.findMatches(data, pos, avail(pos), std::min(kMaxMatch, frameRoom),
                                                        m_matches.data() + used);
#ifndef NDEBUG
            for (unsigned k = 0; k < count; ++k) {
                const std::uint32_t m = m_matches[used + k];
                assert(PackedMatch::offset(m) <= pos - m_dataStart &&
                       PackedMatch::offset(m) <= maxOffset(m_windowBits));
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

    // Whole-chunk passes into m_items, from the previous chunk's codes or, at the job's start,
    // from guesses.
    void parse(std::uint64_t begin, std::uint32_t size) {
        const ParseInput whole{at(begin), begin, size, m_matchIndex.data(), m_matches.data()};
        LzxCosts costs = m_havePrevious ? costsFromStats(m_previous, m_windowBits)
                                        : initialCosts(std::span(at(begin), size), m_windowBits);
        const unsigned passes = m_havePrevious ? kLaterChunkPasses : kFirstChunkPasses;
        for (unsigned pass = 0; pass < passes; ++pass) {
            if (pass != 0) {
                LzxStats stats;
                stats.add(m_items);
                costs = costsFromStats(stats, m_windowBits);
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
            return m_planner.plan(stats, frameBytes(first, last, size), true).bits;
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

    // Hands the chunk's blocks over; the next chunk's costs and trees are estimated from them,
    // as if they were written as planned.
    void recordBlocks(std::uint64_t begin, std::uint32_t size, const std::vector<std::uint32_t>& blockStarts,
                      const std::vector<LzxStats>& frameStats, std::vector<LzxParsedBlock>& blocks) {
        RepState reps = m_reps;
        std::size_t itemAt = 0;
        m_previous = LzxStats{};
        m_havePrevious = true;
        for (std::size_t b = 0; b + 1 < blockStarts.size(); ++b) {
            LzxParsedBlock block;
            block.begin = begin + blockStarts[b] * kFrameSize;
            block.size = frameBytes(blockStarts[b], blockStarts[b + 1], size);
            block.repsBefore = reps;
            for (std::uint32_t f = blockStarts[b]; f < blockStarts[b + 1]; ++f)
                block.stats.add(frameStats[f]);
            const std::size_t first = itemAt;
            for (std::uint32_t covered = 0; covered < block.size; ++itemAt) {
                covered += m_items[itemAt].length;
                reps = reps.after(m_items[itemAt]);
            }
            block.items.assign(m_items.begin() + first, m_items.begin() + itemAt);
            m_previous.add(block.stats);
            const LzxBlockPlan plan = m_planner.plan(block.stats, block.size, true);
            if (plan.type != BlockType::Uncompressed) m_planner.assumeWritten(plan.codes);
            blocks.push_back(std::move(block));
        }
        assert(itemAt == m_items.size());
        m_reps = reps;
    }

    int m_windowBits;
    const std::uint8_t* m_data = nullptr;
    std::uint64_t m_dataStart = 0;
    std::uint64_t m_dataEnd = 0;
    LzxMatchFinder m_finder;
    LzxParser m_parser;
    LzxBlockWriter m_planner;  // prices blocks against the trees the job's earlier blocks would send
    RepState m_reps;           // the queue the job's items so far leave
    LzxStats m_previous;       // statistics of the last chunk, the next chunk's first cost model
    bool m_havePrevious = false;
    std::vector<std::uint32_t> m_matchIndex;
    std::vector<std::uint32_t> m_matches;
    std::vector<LzxItem> m_items;
};

}  // namespace

LzxJob::LzxJob(int windowBits, std::vector<std::uint8_t> data, std::uint64_t dataStart, std::uint64_t begin,
               std::uint64_t end)
    : m_windowBits(windowBits), m_data(std::move(data)), m_dataStart(dataStart), m_begin(begin), m_end(end) {
    assert(dataStart <= begin && begin < end && end <= dataStart + m_data.size());
}

void LzxJob::run(const codec::JobQueue& queue) {
    thread_local std::unique_ptr<JobParser> kept;
    if (!kept || kept->windowBits() != m_windowBits) {
        kept.reset();
        kept = std::make_unique<JobParser>(m_windowBits);
    }
    JobParser& parser = *kept;
    parser.start(m_data.data(), m_dataStart, m_dataStart + m_data.size(), m_end);
    parser.addHistory(m_begin, queue);
    for (std::uint64_t chunk = m_begin; chunk < m_end; chunk += kChunkBytes) {
        if (queue.cancelled()) throw codec::JobsCancelled();
        const auto size = static_cast<std::uint32_t>(std::min<std::uint64_t>(kChunkBytes, m_end - chunk));
        parser.parseChunk(chunk, size, m_blocks);
    }
}

}  // namespace corvane::lzx
