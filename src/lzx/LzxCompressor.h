#pragma once

#include <cstdint>
#include <memory>

#include "codec/FolderCompressor.h"
#include "lzx/LzxFormat.h"

namespace corvane::lzx {

struct LzxOptions {
    int windowBits = lzx::kMaxWindowBits;  // 15..21
    // E8 call translation size written into the stream header; 0 turns the translation off.
    std::int32_t e8TranslationSize = lzx::kDefaultE8TranslationSize;
};

// An LZX compressor for one cabinet folder (typeCompress 0x0003 | windowBits << 8), with the
// E8 translation on. Throws std::invalid_argument for a window outside 15..21.
std::unique_ptr<codec::FolderCompressor> makeLzxCompressor(int windowBits);
std::unique_ptr<codec::FolderCompressor> makeLzxCompressor(const LzxOptions& options);

}  // namespace corvane::lzx
