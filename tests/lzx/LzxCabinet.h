#pragma once

// The LZX suites hand their output to real decoders the way the build does: TSTCabWriter packs
// the data into a one-file cabinet, with an encoder the test configures. The blocks the writer
// received are kept for the tests to check the block contract on.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/FolderCompressor.h"
#include "lzx/LzxCompressor.h"

namespace corvane::test {

struct LzxCabinet {
    std::filesystem::path cabinet;         // holds one file, kPayloadName
    std::vector<codec::DataBlock> blocks;  // as the encoder gave them to the writer
};

inline constexpr const char* kPayloadName = "payload.bin";

// Writes data to folder and packs it into folder/name; the encoder sees the folder stream in
// pieces of at most `feed` bytes, whatever sizes the writer reads in.
LzxCabinet writeLzxCabinet(const std::vector<std::uint8_t>& data, const lzx::LzxOptions& options,
                           const std::filesystem::path& folder, const std::string& name, std::size_t feed);

}  // namespace corvane::test
