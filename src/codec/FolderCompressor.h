#pragma once

// The seam between the cabinet container and its compressors (none, MSZIP, LZX).
//
// A cabinet folder is one data stream (its files back to back) cut into CFDATA blocks. Every
// block but the folder's last stands for exactly kBlockSize uncompressed bytes: 7-Zip rejects a
// folder with a second short block for any method, and LZX frames and MSZIP's history need it.
// A compressor sees the whole folder stream in order, so it may keep history across blocks
// (MSZIP's 32 KiB window, LZX's window, repeat offsets and previous code lengths) and may look
// ahead across several blocks before it emits them, within a memory bound of its own.

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace corvane::codec {

inline constexpr std::size_t kBlockSize = 32768;           // uncompressed bytes per CFDATA block
inline constexpr std::size_t kMaxCompressedBlock = 38912;  // largest cbData every decoder accepts

// One CFDATA payload and the number of uncompressed bytes it stands for.
struct DataBlock {
    std::vector<std::uint8_t> data;
    std::uint16_t uncompressedSize = 0;
};

class FolderCompressor {
public:
    virtual ~FolderCompressor() = default;
    // Appends bytes to the folder stream; blocks that are complete are appended to out, in order.
    virtual void write(std::span<const std::uint8_t> data, std::vector<DataBlock>& out) = 0;
    // Ends the folder: the remaining blocks go to out (the last may be short; an empty folder
    // gives none). The compressor is not used again.
    virtual void finish(std::vector<DataBlock>& out) = 0;
};

}  // namespace corvane::codec
