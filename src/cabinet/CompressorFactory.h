#pragma once

#include <cstdint>
#include <memory>

#include "codec/FolderCompressor.h"

namespace corvane::cabinet {

// The compressor for a CFFOLDER.typeCompress value, or nullptr when Corvane cannot write it.
std::unique_ptr<codec::FolderCompressor> makeFolderCompressor(std::uint16_t typeCompress);

}  // namespace corvane::cabinet
