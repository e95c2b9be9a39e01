#pragma once

#include <cstdint>
#include <memory>

#include "cabinet/FolderCompressor.h"

namespace corvane::cabinet {

// The compressor for a CFFOLDER.typeCompress value, or nullptr when Corvane cannot write it.
std::unique_ptr<FolderCompressor> makeFolderCompressor(std::uint16_t typeCompress);

}  // namespace corvane::cabinet
