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
// Algorithm. Input is buffered, E8-translated frame by frame as it arrives, and cut into jobs
// of a fixed length (LzxJob.h), which run on the build's threads when it lends them
// (codec/JobQueue.h) and here otherwise. Each job, over chunks of a few frames:
//  1. The binary-tree match finder (LzxMatchFinder) is fed the window before the job, then
//     runs once over the chunk and caches, for each position, its matches of increasing
//     length; positions covered by a long match are only inserted, not searched.
//  2. The near-optimal parser (LzxParser) runs over the whole chunk with the costs of the codes
//     the previous chunk got. A job's first chunk has none: it is parsed with costs guessed
//     from its byte histogram, then again with the costs of that result.
//  3. Block splitting works on frames: starting from one block per frame, a neighbouring frame
//     joins the current block when one set of codes for both is no dearer than two. The same
//     estimate picks uncompressed blocks for incompressible frames.
// Here, in stream order, every block then meets the state the stream really has:
//  4. A job parsed from a fresh repeat queue, and a block after an uncompressed one was parsed
//     from the queue its own items leave; its matches are recoded against the real queue
//     (settleRepeats), which changes the first few at most.
//  5. Each block gets codes built from its own statistics and is written as verbatim, aligned
//     or uncompressed, whichever is smallest (LzxBlockWriter). A frame that would still exceed
//     the payload limit decoders accept turns its block uncompressed.
//
// Trade-offs. Costs carried from chunk to chunk give most of what repeated passes give (about
// half a percent short of a second pass per block) at half the parse time; the match cache lets
// the first chunk parse twice without searching twice. Blocks start on frame boundaries: finer
// splits would gain little on installer payloads, and this keeps the uncompressed-block padding
// rules trivial. Jobs of a fixed length give the same stream for any number of threads; what
// a job costs beyond its own bytes is feeding its history to the match finder (LzxJob.h).
//
// Memory does not depend on the input size. Jobs posted and not yet written are bounded by
// the threads (three times their number across the build): each holds a copy of its stretch
// and its history (about 6 MiB) and, once parsed, its items (at most 8 bytes per byte of its
// stretch, far fewer on anything compressible). A running job adds its match finder, two 4-byte links
// per window position and the root tables, and the match cache and parse graph of one chunk:
// under 40 MiB with the largest window. Small folders get smaller tables.

#include "lzx/LzxCompressor.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "lzx/LzxBlockWriter.h"
#include "lzx/LzxCostModel.h"
#include "lzx/LzxE8.h"
#include "lzx/LzxJob.h"

namespace corvane::lzx {

namespace {

// The input buffer starts this small and doubles up to its limit, so small folders stay cheap.
inline constexpr std::size_t kInitialBuffer = std::size_t{1} << 18;
// Jobs one compressor keeps posted beyond the threads, so a thread that finishes one finds the
// next while this one writes or runs a job itself; and jobs in flight across the whole queue
// per thread, which bounds the memory of many large files packed at once.
inline constexpr std::size_t kSpareJobs = 2;
inline constexpr std::size_t kJobsPerThread = 3;

class LzxCompressorImpl final : public codec::FolderCompressor {
public:
    explicit LzxCompressorImpl(const LzxOptions& options)
        : m_options(options),
          m_history(std::min<std::uint32_t>(kMaxJobHistory, std::uint32_t{1} << options.windowBits)),
          m_jobBytes(options.jobBytes != 0 ? options.jobBytes : kJobBytes),
          m_bufferLimit(static_cast<std::size_t>(m_history) + m_jobBytes + 2 * kLookahead),
          m_ownQueue(options.jobs == nullptr ? std::make_unique<codec::JobQueue>(1) : nullptr),
          m_queue(options.jobs != nullptr ? *options.jobs : *m_ownQueue),
          m_writer(options.windowBits, options.e8TranslationSize) {}

    ~LzxCompressorImpl() override {
        // A folder abandoned halfway: nobody needs its pending jobs any more.
        for (const std::shared_ptr<LzxJob>& job : m_inFlight)
            m_queue.withdraw(*job);
    }

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
            while (m_translated >= m_posted + m_jobBytes + kLookahead)
                post(m_posted + m_jobBytes, out);
        }
        writeFinishedJobs(out);
    }

    void finish(std::vector<codec::DataBlock>& out) override {
        if (m_translated < m_end) translateFrame(static_cast<std::uint32_t>(m_end - m_translated));
        while (m_posted < m_end)
            post(std::min(m_posted + m_jobBytes, m_end), out);
        while (!m_inFlight.empty())
            writeFirstJob(out);
        m_writer.finish(out);
    }

private:
    std::uint8_t* at(std::uint64_t pos) { return m_buffer.data() + (pos - m_base); }

    void makeRoom() {
        // Keep the history of the next job; older bytes are out of reach.
        const std::uint64_t keep = std::max(m_base, m_posted > m_history ? m_posted - m_history : 0);
        std::memmove(m_buffer.data(), at(keep), m_end - keep);
        m_base = keep;
        assert(m_end - m_base < m_buffer.size());
    }

    void translateFrame(std::uint32_t size) {
        if (m_options.e8TranslationSize != 0)
            translateE8(std::span(at(m_translated), size), m_translated, m_options.e8TranslationSize);
        m_translated += size;
    }

    // Posts the job that codes [m_posted, end). It sees the history before it and the
    // look-ahead after it, cut the same way whenever it is posted.
    void post(std::uint64_t end, std::vector<codec::DataBlock>& out) {
        const std::uint64_t begin = m_posted;
        const std::uint64_t dataStart = begin > m_history ? begin - m_history : 0;
        const std::uint64_t dataEnd = std::min<std::uint64_t>(end + kLookahead, m_end);
        assert(dataStart >= m_base && dataEnd <= m_translated);
        std::vector<std::uint8_t> data(at(dataStart), at(dataEnd));
        auto job = std::make_shared<LzxJob>(m_options.windowBits, std::move(data), dataStart, begin, end);
        const std::size_t threads = m_queue.threads();
        while (!m_inFlight.empty() && (m_inFlight.size() >= threads + kSpareJobs ||
                                       m_queue.unfinished() >= kJobsPerThread * threads))
            writeFirstJob(out);
        m_queue.post(job);
        m_inFlight.push_back(std::move(job));
        m_posted = end;
    }

    void writeFinishedJobs(std::vector<codec::DataBlock>& out) {
        while (!m_inFlight.empty() && m_queue.finished(*m_inFlight.front()))
            writeFirstJob(out);
    }

    void writeFirstJob(std::vector<codec::DataBlock>& out) {
        const std::shared_ptr<LzxJob> job = m_inFlight.front();
        m_queue.wait(*job);
        m_inFlight.pop_front();
        for (LzxParsedBlock& block : job->blocks())
            writeBlock(*job, block, out);
    }

    // Writes the block as parsed, its matches recoded when the queue it was parsed from is not
    // the stream's; or its bytes uncompressed when that is smaller or a frame would not fit
    // its payload.
    void writeBlock(const LzxJob& job, LzxParsedBlock& block, std::vector<codec::DataBlock>& out) {
        const std::span<LzxItem> items(block.items);
        LzxStats stats = block.stats;
        RepState after = m_reps;
        if (block.repsBefore.r != m_reps.r) {
            after = settleRepeats(items, block.repsBefore, m_reps);
            stats = LzxStats{};
            stats.add(items);
        } else {
            for (const LzxItem& item : items)
                after = after.after(item);
        }
        LzxBlockPlan plan = m_writer.plan(stats, block.size, true);
        if (plan.type != BlockType::Uncompressed && !m_writer.fitsFrames(plan, items))
            plan.type = BlockType::Uncompressed;
        if (plan.type == BlockType::Uncompressed) {
            m_writer.writeUncompressed(std::span(job.at(block.begin), block.size), m_reps, out);
        } else {
            m_writer.writeCompressed(plan, items, out);
            m_reps = after;
        }
    }

    LzxOptions m_options;
    std::uint32_t m_history;  // bytes before a job that its matches may reach
    std::uint32_t m_jobBytes;
    std::size_t m_bufferLimit;  // the buffer grows to this, then slides
    std::vector<std::uint8_t> m_buffer;
    std::uint64_t m_base = 0;                     // folder position of m_buffer[0]
    std::uint64_t m_end = 0;                      // folder position after the last byte received
    std::uint64_t m_translated = 0;               // bytes before this position are E8-translated and final
    std::uint64_t m_posted = 0;                   // bytes before this position belong to posted jobs
    std::unique_ptr<codec::JobQueue> m_ownQueue;  // when no queue is lent: every job runs here
    codec::JobQueue& m_queue;
    std::deque<std::shared_ptr<LzxJob>> m_inFlight;  // posted, not yet written, in stream order
    LzxBlockWriter m_writer;
    RepState m_reps;  // the queue the stream written so far leaves
};

}  // namespace

std::unique_ptr<codec::FolderCompressor> makeLzxCompressor(const LzxOptions& options) {
    if (options.windowBits < kMinWindowBits || options.windowBits > kMaxWindowBits)
        throw std::invalid_argument("LZX window bits must be 15 to 21, not " +
                                    std::to_string(options.windowBits));
    if (options.jobBytes % kChunkBytes != 0)
        throw std::invalid_argument("An LZX job must cover a multiple of " + std::to_string(kChunkBytes) +
                                    " bytes, not " + std::to_string(options.jobBytes));
    return std::make_unique<LzxCompressorImpl>(options);
}

std::unique_ptr<codec::FolderCompressor> makeLzxCompressor(int windowBits, codec::JobQueue* jobs) {
    LzxOptions options;
    options.windowBits = windowBits;
    options.jobs = jobs;
    return makeLzxCompressor(options);
}

}  // namespace corvane::lzx
