#pragma once

#include <cstdint>
#include <memory>

#include "codec/FolderCompressor.h"

namespace corvane::codec {
class JobQueue;
}

namespace corvane::cabinet {

// The compressor for a CFFOLDER.typeCompress value, or nullptr when Corvane cannot write it.
// Large folders lend jobs to `jobs` when given.
std::unique_ptr<codec::FolderCompressor> makeFolderCompressor(std::uint16_t typeCompress,
                                                              codec::JobQueue* jobs = nullptr);

}  // namespace corvane::cabinet
