#pragma once

// LZX's bit order: fields are written most significant bit first into 16-bit units, and each
// unit is stored little-endian. Uncompressed blocks switch to plain bytes once the stream is
// aligned to a unit boundary.

#include <cassert>
#include <cstdint>
#include <span>
#include <vector>

namespace corvane::lzx {

class LzxBitWriter {
public:
    // Appends the low `count` bits of `bits` (count <= 32).
    void put(std::uint32_t bits, unsigned count) {
        assert(count <= 32 && (count == 32 || bits >> count == 0));
        m_acc = (m_acc << count) | bits;
        m_count += count;
        while (m_count >= 16) {
            m_count -= 16;
            const auto unit = static_cast<std::uint16_t>(m_acc >> m_count);
            m_bytes.push_back(static_cast<std::uint8_t>(unit));
            m_bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
        }
    }

    // Pads with zero bits up to the next 16-bit boundary (nothing when already there).
    void alignTo16() {
        if (m_count != 0) put(0, 16 - m_count);
    }

    bool aligned() const { return m_count == 0; }

    // Raw bytes, only at a unit boundary.
    void putBytes(std::span<const std::uint8_t> bytes) {
        assert(aligned());
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    }

    void putU32(std::uint32_t v) {
        const std::uint8_t b[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                   static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
        putBytes(b);
    }

    // Bits written since the last take().
    std::uint64_t bitCount() const { return 8 * static_cast<std::uint64_t>(m_bytes.size()) + m_count; }

    // Hands over the bytes written so far; the stream must be aligned.
    std::vector<std::uint8_t> take() {
        assert(aligned());
        std::vector<std::uint8_t> bytes;
        bytes.swap(m_bytes);
        return bytes;
    }

private:
    std::uint64_t m_acc = 0;
    unsigned m_count = 0;
    std::vector<std::uint8_t> m_bytes;
};

}  // namespace corvane::lzx
