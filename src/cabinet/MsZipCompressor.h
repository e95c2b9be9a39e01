#pragma once

#include <memory>
#include <vector>

#include "codec/FolderCompressor.h"

namespace corvane::cabinet {

// Type 1: each record is "CK" and a complete raw deflate stream for its 32 KiB, which may refer
// back into the previous record's bytes. See MsZipCompressor.cpp.
class MsZipCompressor final : public codec::FolderCompressor {
public:
    MsZipCompressor();
    ~MsZipCompressor() override;
    void write(std::span<const std::uint8_t> data, std::vector<codec::DataBlock>& out) override;
    void finish(std::vector<codec::DataBlock>& out) override;

private:
    class Stream;
    void compressBatch(std::vector<codec::DataBlock>& out);

    std::vector<std::unique_ptr<Stream>> m_streams;  // one per worker
    std::vector<std::uint8_t> m_batch;               // uncompressed bytes of the records to compress next
    std::vector<std::uint8_t> m_history;             // the uncompressed bytes of the record before them
};

}  // namespace corvane::cabinet
