#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace corvane::cabinet {

// Builds the little-endian byte image of the cabinet's structures.
class LittleEndianWriter {
public:
    void u8(std::uint8_t value) { m_bytes.push_back(value); }
    void u16(std::uint16_t value) {
        u8(static_cast<std::uint8_t>(value));
        u8(static_cast<std::uint8_t>(value >> 8));
    }
    void u32(std::uint32_t value) {
        u16(static_cast<std::uint16_t>(value));
        u16(static_cast<std::uint16_t>(value >> 16));
    }
    void bytes(std::span<const std::uint8_t> data) {
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    }
    void zeros(std::size_t count) { m_bytes.insert(m_bytes.end(), count, 0); }
    void cString(const std::string& text) {
        m_bytes.insert(m_bytes.end(), text.begin(), text.end());
        u8(0);
    }
    std::vector<std::uint8_t> take() { return std::move(m_bytes); }

private:
    std::vector<std::uint8_t> m_bytes;
};

}  // namespace corvane::cabinet
