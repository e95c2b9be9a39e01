#pragma once

// The fixed vocabulary of the LZX bitstream as cabinets carry it: frame size, symbol alphabets,
// position slots and their footer bits, code length limits. Everything here is dictated by the
// format; the tunables of Corvane's encoder live beside the code that uses them.

#include <array>
#include <cstdint>

namespace corvane::lzx {

inline constexpr int kMinWindowBits = 15;
inline constexpr int kMaxWindowBits = 21;

// One frame is the uncompressed extent of one CFDATA block; the bitstream is padded to 16 bits
// at every frame end and no match may cross one.
inline constexpr std::uint32_t kFrameSize = 32768;

inline constexpr unsigned kNumChars = 256;
inline constexpr unsigned kMinMatch = 2;
inline constexpr unsigned kMaxMatch = 257;
// A main symbol carries min(length - 2, 7); header 7 means "the length tree holds the rest".
inline constexpr unsigned kNumPrimaryLengths = 7;
inline constexpr unsigned kNumLengthSymbols = 249;
inline constexpr unsigned kNumAlignedSymbols = 8;
inline constexpr unsigned kNumPretreeSymbols = 20;
inline constexpr unsigned kNumRepeats = 3;
inline constexpr unsigned kMaxPositionSlots = 50;
inline constexpr unsigned kMaxMainSymbols =
    kNumChars + 8 * kMaxPositionSlots;  // mainSymbol(kMaxPositionSlots, 0)

static_assert(kMinMatch + kNumPrimaryLengths + kNumLengthSymbols - 1 == kMaxMatch,
              "the length tree must reach exactly the longest match");

// Code length limits the decoders accept: main and length trees 16 bits, aligned lengths are
// 3-bit fields, pretree lengths 4-bit fields.
inline constexpr unsigned kMaxMainCodeLen = 16;
inline constexpr unsigned kMaxLengthCodeLen = 16;
inline constexpr unsigned kMaxAlignedCodeLen = 7;
inline constexpr unsigned kMaxPretreeCodeLen = 15;

enum class BlockType : unsigned { Verbatim = 1, Aligned = 2, Uncompressed = 3 };

// The E8 translation size that Microsoft's encoders and the WIM format use.
inline constexpr std::int32_t kDefaultE8TranslationSize = 12000000;

// The end of the frame that holds folder position pos: matches and uncompressed stretches stop
// there, and the bitstream is padded.
constexpr std::uint64_t frameEnd(std::uint64_t pos) {
    return (pos / kFrameSize + 1) * kFrameSize;
}

// The length header a main symbol carries for a match length: min(length - 2, 7).
constexpr unsigned lengthHeader(unsigned length) {
    return length - kMinMatch < kNumPrimaryLengths ? length - kMinMatch : kNumPrimaryLengths;
}

// The length tree's symbol for a length whose header is kNumPrimaryLengths.
constexpr unsigned lengthSymbol(unsigned length) {
    return length - kMinMatch - kNumPrimaryLengths;
}

// A match's main symbol: past the literals, eight headers per position slot.
constexpr unsigned mainSymbol(unsigned slot, unsigned header) {
    return kNumChars + 8 * slot + header;
}

// Position slots for window sizes 2^15 .. 2^21.
constexpr unsigned numPositionSlots(int windowBits) {
    constexpr unsigned slots[] = {30, 32, 34, 36, 38, 42, 50};
    return slots[windowBits - kMinWindowBits];
}

constexpr unsigned numMainSymbols(int windowBits) {
    return mainSymbol(numPositionSlots(windowBits), 0);
}

// Footer ("verbatim") bits of a slot: none for the repeat slots and slot 3, then one more every
// two slots, capped at 17.
constexpr unsigned footerBits(unsigned slot) {
    return slot < 4 ? 0 : slot < 36 ? slot / 2 - 1 : 17;
}

inline constexpr std::array<std::uint32_t, kMaxPositionSlots + 1> kSlotBase = [] {
    std::array<std::uint32_t, kMaxPositionSlots + 1> base{};
    for (unsigned s = 1; s <= kMaxPositionSlots; ++s)
        base[s] = base[s - 1] + (1u << footerBits(s - 1));
    return base;
}();

static_assert(kSlotBase[36] == 262144 && kSlotBase[49] == 1966080, "slot bases follow the LZX table");

// A formatted offset is offset + 2 for an explicit match; 0, 1, 2 name the repeat offsets.
inline constexpr std::uint32_t kOffsetAdjustment = kNumRepeats - 1;

constexpr std::uint32_t formattedOffset(std::uint32_t offset) {
    return offset + kOffsetAdjustment;
}

constexpr std::uint32_t matchOffset(std::uint32_t formatted) {
    return formatted - kOffsetAdjustment;
}

static_assert(formattedOffset(1) == kNumRepeats, "explicit offsets follow the repeat codes");

inline unsigned slotOf(std::uint32_t formatted) {
    if (formatted < 4) return formatted;
    if (formatted >= kSlotBase[36]) return 36 + ((formatted - kSlotBase[36]) >> 17);
    const unsigned log = 31 - static_cast<unsigned>(__builtin_clz(formatted));
    return 2 * log + ((formatted >> (log - 1)) & 1);
}

// The largest offset an encoder may use: the window minus 3.
constexpr std::uint32_t maxOffset(int windowBits) {
    return (1u << windowBits) - 3;
}

}  // namespace corvane::lzx
