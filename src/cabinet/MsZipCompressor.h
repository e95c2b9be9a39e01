#pragma once

#include <memory>
#include <vector>

#include "cabinet/FolderCompressor.h"

namespace corvane::cabinet {

// Type 1: each record is "CK" and a complete raw deflate stream for its 32 KiB, which may refer
// back into the previous record's bytes. See MsZipCompressor.cpp.
class MsZipCompressor final : public FolderCompressor {
public:
    MsZipCompressor();
    ~MsZipCompressor() override;
    void write(std::span<const std::uint8_t> data, std::vector<DataBlock>& out) override;
    void finish(std::vector<DataBlock>& out) override;

private:
    struct Stream;
    void compressBlock(std::vector<DataBlock>& out);

    std::unique_ptr<Stream> m_stream;
    std::vector<std::uint8_t> m_block;    // uncompressed bytes of the record being filled
    std::vector<std::uint8_t> m_history;  // the previous record's uncompressed bytes
};

}  // namespace corvane::cabinet
