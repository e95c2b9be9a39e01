// MSZIP: deflate in 32 KiB records.
//
// Each CFDATA record holds the signature "CK" and one complete raw deflate stream (RFC 1951,
// final block flag set, nothing after it) that decodes to that record's bytes. Decoders keep
// the 32 KiB history of the folder across records, so a record may copy from the previous
// record's bytes. Corvane uses that: each record is compressed with the previous record's bytes
// as zlib's preset dictionary. Every decoder we check against (libmspack, 7-Zip, gcab, Windows'
// and wine's cabinet.dll) accepts such records; on typical setup payloads the history saves
// 2 to 3 per cent against independent records, and much more on files that repeat themselves
// just across a record boundary.
//
// A deflate stream may hold several blocks, each with its own Huffman codes. zlib ends a block
// only when its symbol buffer is full, which on mixed content (code next to tables and
// resources in an executable) keeps poor codes for too long. So a quick search first compresses
// each record two ways, whole and cut into two deflate blocks, and the full search then
// compresses it the way that came out shorter (no cut is tried when the whole record does not
// compress). On setup payloads this saves about 0.2 per cent for a fifth more time; also trying
// four blocks saved another 0.1 per cent but cost a further quarter, more than the build can give.
//
// Records depend only on their own and the previous record's uncompressed bytes, so batches of
// records are jobs that the build's threads run side by side (codec/JobQueue.h); the output
// does not depend on the thread count. Data that does not compress is stored as one deflate stored block, so
// a record never grows beyond its input plus 7 bytes; zlib's own stored fallback may split into several
// stored blocks and pass the 32780-byte cap of the format.

#include "cabinet/MsZipCompressor.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <new>

namespace corvane::cabinet {

namespace {

constexpr int kLevel = 9;         // size matters more than time: setups are built once, fetched often
constexpr int kMemLevel = 8;      // 16 K symbols per deflate block at most: finer blocks compress better
constexpr int kWindowBits = -15;  // raw deflate with the full 32 KiB window
struct Search {
    int goodLength, maxLazy, niceLength, maxChain;  // zlib's deflateTune parameters
};
// The output's search: zlib's level 9 with the chain cut from 4096 to 256, which costs under a
// tenth of a per cent in size on setup payloads and saves a good part of the time.
constexpr Search kFinalSearch = {32, 258, 258, 256};
// A quick search that only decides where deflate blocks end: its sizes rank the cuts nearly as
// the full search would, at a fraction of the time.
constexpr Search kProbeSearch = {4, 4, 16, 16};
// Deflate block cuts tried per record, in bytes per block; 0 is the record whole.
constexpr std::array<std::size_t, 2> kCuts = {0, codec::kBlockSize / 2};
// Records in one job: 512 KiB of input, long enough that posting it costs nothing, short
// enough that a file of a few megabytes is spread over every core.
constexpr std::size_t kBatchBlocks = 16;
// Batches one compressor keeps posted beyond the threads, and batches in flight across the
// queue per thread: the memory of many large files packed at once follows the threads.
constexpr std::size_t kSpareBatches = 1;
constexpr std::size_t kBatchesPerThread = 2;

constexpr std::size_t kSignatureSize = 2;                    // "CK"
constexpr std::size_t kStoredOverhead = kSignatureSize + 5;  // "CK", block header byte, LEN, NLEN
constexpr std::size_t kMaxPayload = 32780;                   // the largest record MSZIP decoders must accept
static_assert(codec::kBlockSize + kStoredOverhead <= kMaxPayload, "a stored record always fits");
static_assert(kMaxPayload <= codec::kMaxCompressedBlock);

// A deflate stream with its buffers, set up once per thread and reset for each record.
class Stream {
public:
    Stream() {
        if (deflateInit2(&m_z, kLevel, Z_DEFLATED, kWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
    }
    ~Stream() { deflateEnd(&m_z); }
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;

    // The shortest record for input, with history as the window's previous contents.
    codec::DataBlock compress(std::span<const std::uint8_t> input, std::span<const std::uint8_t> history) {
        codec::DataBlock block;
        block.uncompressedSize = static_cast<std::uint16_t>(input.size());
        // Anything as long as the stored form is no gain; the buffer's end makes deflate stop there.
        const std::size_t limit = input.size() + kStoredOverhead;
        std::size_t bestCut = 0;
        std::size_t bestSize = limit;
        for (const std::size_t cut : kCuts) {
            if (cut != 0 && (cut >= input.size() || bestSize == limit))
                break;  // nothing to cut, or no gain at all
            const std::size_t size = deflateRecord(input, history, cut, limit, kProbeSearch);
            if (size < bestSize) {
                bestSize = size;
                bestCut = cut;
            }
        }
        if (bestSize < limit) {
            const std::size_t size = deflateRecord(input, history, bestCut, limit, kFinalSearch);
            if (size < limit) {
                block.data.assign(m_buffer.begin(), m_buffer.begin() + static_cast<std::ptrdiff_t>(size));
                return block;
            }
        }
        // One stored block: BFINAL=1, BTYPE=00, then LEN and its complement.
        const auto length = static_cast<std::uint16_t>(input.size());
        block.data = {'C',
                      'K',
                      0x01,
                      static_cast<std::uint8_t>(length),
                      static_cast<std::uint8_t>(length >> 8),
                      static_cast<std::uint8_t>(~length),
                      static_cast<std::uint8_t>(~length >> 8)};
        block.data.insert(block.data.end(), input.begin(), input.end());
        return block;
    }

private:
    // Deflates input into m_buffer behind "CK", with a block end every cut bytes (0: none).
    // Returns the record's size, or limit when it would not be shorter than limit.
    std::size_t deflateRecord(std::span<const std::uint8_t> input, std::span<const std::uint8_t> history,
                              std::size_t cut, std::size_t limit, const Search& search) {
        deflateReset(&m_z);
        deflateTune(&m_z, search.goodLength, search.maxLazy, search.niceLength, search.maxChain);
        if (!history.empty()) deflateSetDictionary(&m_z, history.data(), static_cast<uInt>(history.size()));
        m_buffer.resize(limit);
        m_buffer[0] = 'C';
        m_buffer[1] = 'K';
        m_z.next_out = m_buffer.data() + kSignatureSize;
        m_z.avail_out = static_cast<uInt>(limit - kSignatureSize);
        std::size_t at = 0;
        int result = Z_OK;
        while (result == Z_OK && m_z.avail_out > 0) {
            const std::size_t piece = cut == 0 ? input.size() - at : std::min(cut, input.size() - at);
            const bool last = at + piece == input.size();
            m_z.next_in = const_cast<Bytef*>(input.data() + at);
            m_z.avail_in = static_cast<uInt>(piece);
            result = deflate(&m_z, last ? Z_FINISH : Z_BLOCK);
            at += piece - m_z.avail_in;
            if (last && result == Z_STREAM_END) break;
            if (!last && m_z.avail_in != 0) return limit;  // out of room inside the piece
        }
        if (result != Z_STREAM_END || m_z.avail_out == 0) return limit;
        return limit - m_z.avail_out;
    }

    z_stream m_z{};
    std::vector<std::uint8_t> m_buffer;
};

}  // namespace

// Records compressed as one job: a copy of their bytes and of the record before them.
class MsZipCompressor::Batch final : public codec::Job {
public:
    Batch(std::vector<std::uint8_t> input, std::vector<std::uint8_t> history)
        : m_input(std::move(input)), m_history(std::move(history)) {}

    std::vector<codec::DataBlock>& blocks() { return m_blocks; }

private:
    void run(const codec::JobQueue& queue) override {
        thread_local std::unique_ptr<Stream> stream;
        if (!stream) stream = std::make_unique<Stream>();
        const std::span<const std::uint8_t> input(m_input);
        for (std::size_t start = 0; start < input.size(); start += codec::kBlockSize) {
            if (queue.cancelled()) throw codec::JobsCancelled();
            const auto history = start == 0 ? std::span<const std::uint8_t>(m_history)
                                            : input.subspan(start - codec::kBlockSize, codec::kBlockSize);
            m_blocks.push_back(stream->compress(
                input.subspan(start, std::min(codec::kBlockSize, input.size() - start)), history));
        }
    }

    std::vector<std::uint8_t> m_input;
    std::vector<std::uint8_t> m_history;
    std::vector<codec::DataBlock> m_blocks;
};

MsZipCompressor::MsZipCompressor(codec::JobQueue* jobs)
    : m_ownQueue(jobs == nullptr ? std::make_unique<codec::JobQueue>(1) : nullptr),
      m_queue(jobs != nullptr ? *jobs : *m_ownQueue) {
    m_batch.reserve(kBatchBlocks * codec::kBlockSize);
}

MsZipCompressor::~MsZipCompressor() {
    // A folder abandoned halfway: nobody needs its pending batches any more.
    for (const std::shared_ptr<Batch>& batch : m_inFlight)
        m_queue.withdraw(*batch);
}

void MsZipCompressor::write(std::span<const std::uint8_t> data, std::vector<codec::DataBlock>& out) {
    while (!data.empty()) {
        const std::size_t take = std::min(kBatchBlocks * codec::kBlockSize - m_batch.size(), data.size());
        m_batch.insert(m_batch.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
        data = data.subspan(take);
        if (m_batch.size() == kBatchBlocks * codec::kBlockSize) post(out);
    }
    while (!m_inFlight.empty() && m_queue.finished(*m_inFlight.front()))
        writeFirstBatch(out);
}

void MsZipCompressor::finish(std::vector<codec::DataBlock>& out) {
    if (!m_batch.empty()) post(out);
    while (!m_inFlight.empty())
        writeFirstBatch(out);
}

void MsZipCompressor::post(std::vector<codec::DataBlock>& out) {
    const std::size_t threads = m_queue.threads();
    while (!m_inFlight.empty() && (m_inFlight.size() >= threads + kSpareBatches ||
                                   m_queue.unfinished() >= kBatchesPerThread * threads))
        writeFirstBatch(out);
    const std::size_t lastStart = (m_batch.size() - 1) / codec::kBlockSize * codec::kBlockSize;
    std::vector<std::uint8_t> history(m_batch.begin() + static_cast<std::ptrdiff_t>(lastStart),
                                      m_batch.end());
    auto batch = std::make_shared<Batch>(std::move(m_batch), std::move(m_history));
    m_history = std::move(history);
    m_batch = {};
    m_batch.reserve(kBatchBlocks * codec::kBlockSize);
    m_queue.post(batch);
    m_inFlight.push_back(std::move(batch));
}

void MsZipCompressor::writeFirstBatch(std::vector<codec::DataBlock>& out) {
    const std::shared_ptr<Batch> batch = m_inFlight.front();
    m_queue.wait(*batch);
    m_inFlight.pop_front();
    for (codec::DataBlock& block : batch->blocks())
        out.push_back(std::move(block));
}

}  // namespace corvane::cabinet
