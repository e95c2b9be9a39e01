#pragma once

// A single-folder, single-file cabinet around a compressor's data blocks, just enough for the
// LZX tests and the benchmark to hand their output to real decoders.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "codec/FolderCompressor.h"

namespace corvane::testing {

// CFDATA checksum: whole little-endian words XORed into the seed, then the 1-3 leftover bytes
// packed high byte first.
std::uint32_t cabinetChecksum(std::span<const std::uint8_t> bytes, std::uint32_t seed);

// The cabinet bytes: one folder of type typeCompress holding `fileName` of `fileSize` bytes.
std::vector<std::uint8_t> makeSingleFileCabinet(const std::vector<codec::DataBlock>& blocks,
                                                std::uint16_t typeCompress, const std::string& fileName,
                                                std::uint32_t fileSize);

// Runs a compressor over data (fed in pieces of `feed` bytes) and returns its blocks.
std::vector<codec::DataBlock> compressFolder(codec::FolderCompressor& compressor,
                                             std::span<const std::uint8_t> data, std::size_t feed);

}  // namespace corvane::testing
