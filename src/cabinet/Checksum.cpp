#include "cabinet/Checksum.h"

namespace corvane::cabinet {

// XOR of the little-endian 32-bit words; the one to three bytes left over are packed high byte
// first, the reverse of the words' order. Every decoder computes it this way.
std::uint32_t cabinetChecksum(std::span<const std::uint8_t> bytes, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t i = 0;
    for (; i + 4 <= bytes.size(); i += 4) {
        sum ^= std::uint32_t{bytes[i]} | std::uint32_t{bytes[i + 1]} << 8 |
               std::uint32_t{bytes[i + 2]} << 16 | std::uint32_t{bytes[i + 3]} << 24;
    }
    std::uint32_t tail = 0;
    for (; i < bytes.size(); ++i)
        tail = tail << 8 | bytes[i];
    return sum ^ tail;
}

// The payload is summed first; its sum seeds a second pass over cbData, cbUncomp and the reserve.
// Zero reserve bytes add nothing, so the second pass is one word.
std::uint32_t dataBlockChecksum(std::span<const std::uint8_t> payload, std::uint16_t uncompressedSize) {
    const auto compressedSize = static_cast<std::uint32_t>(payload.size());
    return cabinetChecksum(payload, 0) ^ (compressedSize | std::uint32_t{uncompressedSize} << 16);
}

}  // namespace corvane::cabinet
