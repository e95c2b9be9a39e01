#pragma once

#include <cstdint>
#include <memory>

#include "codec/FolderCompressor.h"
#include "lzx/LzxFormat.h"

namespace corvane::codec {
class JobQueue;
}

namespace corvane::lzx {

struct LzxOptions {
    int windowBits = lzx::kMaxWindowBits;  // 15..21
    // E8 call translation size written into the stream header; 0 turns the translation off.
    std::int32_t e8TranslationSize = lzx::kDefaultE8TranslationSize;
    // Where the jobs of a large folder may run on other threads; none: all run on the caller's.
    // The stream is the same either way.
    codec::JobQueue* jobs = nullptr;
    // The stretch of folder each job codes, a multiple of 128 KiB; 0 takes Corvane's own. Every
    // length gives a valid stream; cabinets Corvane builds always use its own, so they do not
    // change with anything but their input. Tests take short ones to meet many job boundaries.
    std::uint32_t jobBytes = 0;
};

// An LZX compressor for one cabinet folder (typeCompress 0x0003 | windowBits << 8), with the
// E8 translation on. Throws std::invalid_argument for a window outside 15..21 or a job length
// that is not a multiple of 128 KiB.
std::unique_ptr<codec::FolderCompressor> makeLzxCompressor(int windowBits, codec::JobQueue* jobs = nullptr);
std::unique_ptr<codec::FolderCompressor> makeLzxCompressor(const LzxOptions& options);

}  // namespace corvane::lzx
