#pragma once

// Length of the common prefix of two byte strings, eight bytes at a time.

#include <cstdint>
#include <cstring>

namespace corvane::lzx {

// Counts equal bytes of a and b from `len` on, stopping at `limit`; never reads past limit.
inline std::uint32_t extendMatch(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t len,
                                 std::uint32_t limit) {
    while (len + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y) return len + static_cast<std::uint32_t>(__builtin_ctzll(x ^ y) >> 3);
        len += 8;
    }
    while (len < limit && a[len] == b[len])
        ++len;
    return len;
}

}  // namespace corvane::lzx
