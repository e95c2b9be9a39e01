#pragma once

// One job of the LZX compressor: a fixed stretch of the folder, searched and parsed on its own,
// on whichever thread takes it (codec/JobQueue.h).
//
// A job gets a copy of its stretch, the window of data before it (its history, searchable for
// matches but not coded) and a little look-ahead. It starts from nothing else: a match finder
// fed only with its history, costs guessed from its own bytes, the repeat queue of a fresh
// stream, no previous trees. So its result depends on the data alone, whichever thread runs it
// and however many run. It hands back parsed blocks, not bits: the repeat queue the stream
// really carries into a job, the trees the blocks are coded against and the block types
// depend on everything before, and are settled when the blocks are written, in stream order.

#include <cstdint>
#include <vector>

#include "codec/JobQueue.h"
#include "lzx/LzxCostModel.h"
#include "lzx/LzxFormat.h"

namespace corvane::lzx {

// Frames parsed together: enough for the block splitter to find stretches worth their own
// codes, few enough that the match cache and the parse graph stay small.
inline constexpr std::uint32_t kChunkFrames = 4;
inline constexpr std::uint32_t kChunkBytes = kChunkFrames * kFrameSize;
// Bytes the match finder may read past a job: it compares up to the nice length beyond a
// position, and the frame after the job's end must be translated for that.
inline constexpr std::uint32_t kLookahead = kFrameSize;
// The stretch of one job. Every job but the folder's first must feed its history to a match
// finder first, which costs about 0.3 of compressing as many bytes: at twice the history the
// one-thread time of a large file grows by about a seventh, at the same history length it
// grew by a quarter and more. Longer jobs cost less but leave cores idle on the files of ten
// megabytes or so that payloads often carry. The fresh costs and repeat queue of each job
// cost nothing measurable in size (Windows programs, 48 MiB). The length is fixed, never
// derived from the number of threads, so the output is the same for any number.
inline constexpr std::uint32_t kJobBytes = 4u << 20;
// History before a job, at most the window: how far back its first matches may reach. Half
// of it costs nearly one per cent in size on Windows programs.
inline constexpr std::uint32_t kMaxJobHistory = 2u << 20;

static_assert(kChunkBytes % kFrameSize == 0, "chunks end on frame boundaries");
static_assert(kJobBytes % kChunkBytes == 0, "jobs end on chunk boundaries");
static_assert(kMaxJobHistory % kFrameSize == 0, "history starts on a frame boundary");

// A block as its job parsed it: where it lies, its items and what they add up to, and the
// repeat queue the parse assumed at its start.
struct LzxParsedBlock {
    std::uint64_t begin = 0;  // folder position
    std::uint32_t size = 0;
    std::vector<LzxItem> items;
    LzxStats stats;
    RepState repsBefore;
};

class LzxJob final : public codec::Job {
public:
    // data holds folder positions [dataStart, dataStart + data.size()), E8-translated; the job
    // codes [begin, end) and may read up to the data's end.
    LzxJob(int windowBits, std::vector<std::uint8_t> data, std::uint64_t dataStart, std::uint64_t begin,
           std::uint64_t end);

    std::vector<LzxParsedBlock>& blocks() { return m_blocks; }
    const std::uint8_t* at(std::uint64_t pos) const { return m_data.data() + (pos - m_dataStart); }
    std::uint64_t begin() const { return m_begin; }
    std::uint64_t end() const { return m_end; }

private:
    void run(const codec::JobQueue& queue) override;

    int m_windowBits;
    std::vector<std::uint8_t> m_data;
    std::uint64_t m_dataStart;
    std::uint64_t m_begin;
    std::uint64_t m_end;
    std::vector<LzxParsedBlock> m_blocks;
};

}  // namespace corvane::lzx
