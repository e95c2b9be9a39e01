#pragma once

#include "cabinet/FolderCompressor.h"

namespace corvane::cabinet {

// Type 0: each record's payload is its 32 KiB of the folder stream, unchanged.
class NoneCompressor final : public FolderCompressor {
public:
    void write(std::span<const std::uint8_t> data, std::vector<DataBlock>& out) override;
    void finish(std::vector<DataBlock>& out) override;

private:
    DataBlock m_pending;
};

}  // namespace corvane::cabinet
