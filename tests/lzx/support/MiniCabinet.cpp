#include "MiniCabinet.h"

#include <algorithm>

namespace corvane::testing {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

}  // namespace

std::uint32_t cabinetChecksum(std::span<const std::uint8_t> bytes, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t i = 0;
    for (; i + 4 <= bytes.size(); i += 4)
        sum ^= static_cast<std::uint32_t>(bytes[i]) | static_cast<std::uint32_t>(bytes[i + 1]) << 8 |
               static_cast<std::uint32_t>(bytes[i + 2]) << 16 |
               static_cast<std::uint32_t>(bytes[i + 3]) << 24;
    std::uint32_t tail = 0;
    for (; i < bytes.size(); ++i)
        tail = tail << 8 | bytes[i];
    return sum ^ tail;
}

std::vector<std::uint8_t> makeSingleFileCabinet(const std::vector<codec::DataBlock>& blocks,
                                                std::uint16_t typeCompress, const std::string& fileName,
                                                std::uint32_t fileSize) {
    constexpr std::uint32_t kHeaderSize = 36, kFolderSize = 8, kFileFixedSize = 16, kDataHeaderSize = 8;
    const std::uint32_t filesOffset = kHeaderSize + kFolderSize;
    const std::uint32_t dataOffset =
        filesOffset + kFileFixedSize + static_cast<std::uint32_t>(fileName.size()) + 1;
    std::uint32_t total = dataOffset;
    for (const codec::DataBlock& b : blocks)
        total += kDataHeaderSize + static_cast<std::uint32_t>(b.data.size());

    std::vector<std::uint8_t> out;
    out.reserve(total);
    put32(out, 0x4643534D);  // "MSCF"
    put32(out, 0);
    put32(out, total);
    put32(out, 0);
    put32(out, filesOffset);
    put32(out, 0);
    out.push_back(3);  // version 1.3
    out.push_back(1);
    put16(out, 1);  // folders
    put16(out, 1);  // files
    put16(out, 0);  // flags
    put16(out, 0);  // set ID
    put16(out, 0);  // cabinet index

    put32(out, dataOffset);
    put16(out, static_cast<std::uint32_t>(blocks.size()));
    put16(out, typeCompress);

    put32(out, fileSize);
    put32(out, 0);       // offset in folder
    put16(out, 0);       // folder
    put16(out, 0x5821);  // 2024-01-01
    put16(out, 0x6000);  // 12:00:00
    put16(out, 0x20);    // archive
    out.insert(out.end(), fileName.begin(), fileName.end());
    out.push_back(0);

    for (const codec::DataBlock& b : blocks) {
        std::uint8_t sizes[4] = {static_cast<std::uint8_t>(b.data.size()),
                                 static_cast<std::uint8_t>(b.data.size() >> 8),
                                 static_cast<std::uint8_t>(b.uncompressedSize),
                                 static_cast<std::uint8_t>(b.uncompressedSize >> 8)};
        put32(out, cabinetChecksum(sizes, cabinetChecksum(b.data, 0)));
        out.insert(out.end(), sizes, sizes + 4);
        out.insert(out.end(), b.data.begin(), b.data.end());
    }
    return out;
}

std::vector<codec::DataBlock> compressFolder(codec::FolderCompressor& compressor,
                                             std::span<const std::uint8_t> data, std::size_t feed) {
    std::vector<codec::DataBlock> blocks;
    while (!data.empty()) {
        const std::size_t n = std::min(feed, data.size());
        compressor.write(data.first(n), blocks);
        data = data.subspan(n);
    }
    compressor.finish(blocks);
    return blocks;
}

}  // namespace corvane::testing
