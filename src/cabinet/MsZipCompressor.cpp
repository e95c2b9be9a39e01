// MSZIP: deflate in 32 KiB records.
//
// Each CFDATA record holds the signature "CK" and one complete raw deflate stream (RFC 1951,
// final block flag set, nothing after it) that decodes to that record's bytes. Decoders keep
// the 32 KiB history of the folder across records, so a record may copy from the previous
// record's bytes. Corvane uses that: before each record the deflate stream is reset and given
// the previous record's bytes as its preset dictionary. Every decoder we check against
// (libmspack, 7-Zip, gcab, Windows' and wine's cabinet.dll) accepts such records; on typical
// setup payloads the history saves a few per cent against independent records, and much more
// on files that repeat themselves at distances just past a record boundary.
//
// Trade-offs: zlib at its strongest level with the largest hash table. A record is small, so
// the effort per byte is bounded and the time stays near zlib's own -9. Data that does not
// compress is stored as one deflate stored block, so a record never grows beyond its input
// plus 7 bytes; zlib's own stored fallback may split into several stored blocks and pass the
// 32780-byte cap of the format.

#include "cabinet/MsZipCompressor.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace corvane::cabinet {

namespace {

constexpr int kLevel = 9;         // size matters more than time: setups are built once, fetched often
constexpr int kMemLevel = 9;      // the largest hash table; a few hundred KiB of memory per folder
constexpr int kWindowBits = -15;  // raw deflate with the full 32 KiB window
constexpr std::size_t kSignatureSize = 2;                   // "CK"
constexpr std::size_t kStoredOverhead = kSignatureSize + 5;  // "CK", block header byte, LEN, NLEN
constexpr std::size_t kMaxPayload = 32780;  // the largest record MSZIP decoders must accept
static_assert(kBlockSize + kStoredOverhead <= kMaxPayload, "a stored record always fits");
static_assert(kMaxPayload <= kMaxCompressedBlock);

}  // namespace

struct MsZipCompressor::Stream {
    z_stream z{};
    Stream() {
        if (deflateInit2(&z, kLevel, Z_DEFLATED, kWindowBits, kMemLevel, Z_DEFAULT_STRATEGY) != Z_OK)
            throw std::bad_alloc();
    }
    ~Stream() { deflateEnd(&z); }
};

MsZipCompressor::MsZipCompressor() : m_stream(std::make_unique<Stream>()) { m_block.reserve(kBlockSize); }

MsZipCompressor::~MsZipCompressor() = default;

void MsZipCompressor::write(std::span<const std::uint8_t> data, std::vector<DataBlock>& out) {
    while (!data.empty()) {
        const std::size_t take = std::min(kBlockSize - m_block.size(), data.size());
        m_block.insert(m_block.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
        data = data.subspan(take);
        if (m_block.size() == kBlockSize) compressBlock(out);
    }
}

void MsZipCompressor::finish(std::vector<DataBlock>& out) {
    if (!m_block.empty()) compressBlock(out);
}

void MsZipCompressor::compressBlock(std::vector<DataBlock>& out) {
    z_stream& z = m_stream->z;
    DataBlock block;
    block.uncompressedSize = static_cast<std::uint16_t>(m_block.size());
    // Anything longer than the stored form is no gain; the buffer's end makes deflate stop there.
    const std::size_t limit = m_block.size() + kStoredOverhead;
    block.data.resize(limit);
    block.data[0] = 'C';
    block.data[1] = 'K';

    deflateReset(&z);
    if (!m_history.empty()) deflateSetDictionary(&z, m_history.data(), static_cast<uInt>(m_history.size()));
    z.next_in = m_block.data();
    z.avail_in = static_cast<uInt>(m_block.size());
    z.next_out = block.data.data() + kSignatureSize;
    z.avail_out = static_cast<uInt>(limit - kSignatureSize);
    const int result = deflate(&z, Z_FINISH);

    if (result == Z_STREAM_END && z.avail_out > 0) {
        block.data.resize(limit - z.avail_out);
    } else {
        // One stored block: BFINAL=1, BTYPE=00, then LEN and its complement.
        const auto length = static_cast<std::uint16_t>(m_block.size());
        block.data.resize(kStoredOverhead);
        block.data[2] = 0x01;
        block.data[3] = static_cast<std::uint8_t>(length);
        block.data[4] = static_cast<std::uint8_t>(length >> 8);
        block.data[5] = static_cast<std::uint8_t>(~length);
        block.data[6] = static_cast<std::uint8_t>(~length >> 8);
        block.data.insert(block.data.end(), m_block.begin(), m_block.end());
    }
    out.push_back(std::move(block));
    m_history.swap(m_block);
    m_block.clear();
}

}  // namespace corvane::cabinet
