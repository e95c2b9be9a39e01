#pragma once

// Turns parsed blocks into the LZX bitstream and cuts it into CFDATA payloads.
//
// A block is verbatim (main and length trees; footer bits sent raw), aligned (an extra 8-symbol
// tree codes the low three footer bits of far matches, which pays when offsets cluster on a
// stride such as 4 or 8) or uncompressed (raw bytes after the repeat offsets). Trees are sent as
// differences against the previous compressed block's lengths through a small "pretree", with
// run symbols for zeros and for equal values.
//
// The writer knows the frame grid: after the item that completes a frame it pads to 16 bits
// and hands the frame's bytes over as one DataBlock. Corvane starts every block on a frame
// boundary, so block headers always follow a pad, uncompressed blocks cover whole frames and
// only the folder's last frame can leave an odd uncompressed byte count (its pad byte goes into
// that last payload).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "codec/FolderCompressor.h"
#include "lzx/LzxBitWriter.h"
#include "lzx/LzxCostModel.h"
#include "lzx/LzxFormat.h"

namespace corvane::lzx {

struct LzxCodes {
    std::array<std::uint8_t, kMaxMainSymbols> mainLens{};
    std::array<std::uint8_t, kNumLengthSymbols> lengthLens{};
    std::array<std::uint8_t, kNumAlignedSymbols> alignedLens{};
};

struct LzxBlockPlan {
    BlockType type = BlockType::Verbatim;
    LzxCodes codes;
    std::uint64_t bits = 0;  // estimated size of the block in bits
};

class LzxBlockWriter {
public:
    LzxBlockWriter(int windowBits, std::int32_t e8TranslationSize);

    // The cheapest block type for a block of `size` bytes whose parse has these statistics.
    // Uncompressed is considered only when `uncompressedAllowed`.
    LzxBlockPlan plan(const LzxStats& stats, std::uint32_t size, bool uncompressedAllowed) const;

    // Whether every frame the block touches stays within the largest payload decoders accept.
    bool fitsFrames(const LzxBlockPlan& plan, std::span<const LzxItem> items) const;

    void writeCompressed(const LzxBlockPlan& plan, std::span<const LzxItem> items,
                         std::vector<codec::DataBlock>& out);
    void writeUncompressed(std::span<const std::uint8_t> data, const RepState& reps,
                           std::vector<codec::DataBlock>& out);

    // Prices the next plans against these trees, as if a block coded with them was written.
    void assumeWritten(const LzxCodes& codes);

    // Ends the folder: the last, possibly short, frame goes out.
    void finish(std::vector<codec::DataBlock>& out);

private:
    std::uint64_t treeBits(const LzxCodes& codes) const;
    std::uint64_t itemBits(const LzxCodes& codes, bool aligned, const LzxItem& item) const;
    void writeStreamHeaderOnce();
    void writeBlockHeader(BlockType type, std::uint32_t size);
    void advance(std::uint32_t bytes, std::vector<codec::DataBlock>& out);
    void endFrame(std::vector<codec::DataBlock>& out);

    int m_windowBits;
    unsigned m_mainCount;
    std::int32_t m_e8TranslationSize;
    bool m_started = false;
    LzxBitWriter m_bits;
    std::uint64_t m_pos = 0;         // folder position of the next byte the stream produces
    std::uint64_t m_frameStart = 0;  // folder position where the current frame began
    std::array<std::uint8_t, kMaxMainSymbols> m_prevMain{};
    std::array<std::uint8_t, kNumLengthSymbols> m_prevLength{};
};

}  // namespace corvane::lzx
