#pragma once

#include "codec/FolderCompressor.h"

namespace corvane::cabinet {

// Type 0: each record's payload is its 32 KiB of the folder stream, unchanged.
class NoneCompressor final : public codec::FolderCompressor {
public:
    void write(std::span<const std::uint8_t> data, std::vector<codec::DataBlock>& out) override;
    void finish(std::vector<codec::DataBlock>& out) override;

private:
    codec::DataBlock m_pending;
};

}  // namespace corvane::cabinet
