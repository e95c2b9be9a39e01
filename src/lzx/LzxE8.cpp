#include "lzx/LzxE8.h"

#include "lzx/LzxFormat.h"

namespace corvane::lzx {

namespace {

// Bytes at a frame's end that never start a translation: an E8 needs its four operand bytes
// inside the frame, and decoders leave a further six bytes untouched.
inline constexpr std::size_t kE8Tail = 10;

}  // namespace

void translateE8(std::span<std::uint8_t> frame, std::uint64_t frameOffset, std::int32_t translationSize) {
    if (translationSize == 0 || frame.size() <= kE8Tail || frameOffset / kFrameSize >= kE8FrameLimit) return;
    const std::int64_t size = translationSize;
    const std::size_t end = frame.size() - kE8Tail;
    for (std::size_t i = 0; i < end;) {
        if (frame[i] != 0xE8) {
            ++i;
            continue;
        }
        const std::int64_t p = static_cast<std::int64_t>(frameOffset + i);
        std::uint8_t* operand = frame.data() + i + 1;
        const std::int64_t rel = static_cast<std::int32_t>(
            static_cast<std::uint32_t>(operand[0]) | static_cast<std::uint32_t>(operand[1]) << 8 |
            static_cast<std::uint32_t>(operand[2]) << 16 | static_cast<std::uint32_t>(operand[3]) << 24);
        if (rel >= -p && rel < size) {
            const auto abs = static_cast<std::uint32_t>(rel < size - p ? rel + p : rel - size);
            operand[0] = static_cast<std::uint8_t>(abs);
            operand[1] = static_cast<std::uint8_t>(abs >> 8);
            operand[2] = static_cast<std::uint8_t>(abs >> 16);
            operand[3] = static_cast<std::uint8_t>(abs >> 24);
        }
        i += 5;
    }
}

}  // namespace corvane::lzx
