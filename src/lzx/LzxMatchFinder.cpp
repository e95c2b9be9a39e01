#include "lzx/LzxMatchFinder.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "lzx/LzxFormat.h"
#include "lzx/LzxMatchLength.h"

namespace corvane::lzx {

namespace {

// 3-byte table size: small enough to stay in cache, large enough for the few 3-byte matches
// that pay at short offsets.
inline constexpr unsigned kHash3Bits = 15;
// The tree roots: one per 4-byte hash; more roots shorten the walks until the table itself
// stops fitting any cache.
inline constexpr unsigned kMaxHash4Bits = 20;
// For short inputs the root table shrinks to about one root per byte, not below this: a
// small file then touches a few pages of it instead of most of 4 MiB.
inline constexpr unsigned kMinHash4Bits = 12;
// Internal positions are rebased before they could overflow 32 bits.
inline constexpr std::uint32_t kRebaseAt = 0xF0000000u;

std::uint32_t read32(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

std::uint32_t extend(const std::uint8_t* a, const std::uint8_t* b, std::uint32_t len, std::uint32_t limit) {
    return extendMatch(a, b, len, limit);
}

unsigned hash4BitsFor(int windowBits, std::uint64_t sizeHint) {
    unsigned bits = kMinHash4Bits;
    while (bits < kMaxHash4Bits && (std::uint64_t{1} << bits) < sizeHint)
        ++bits;
    return std::min(bits, static_cast<unsigned>(windowBits) - 1);
}

}  // namespace

LzxMatchFinder::LzxMatchFinder(int windowBits, unsigned niceLength, unsigned maxDepth, unsigned skipDepth)
    : m_windowBits(windowBits), m_niceLength(niceLength), m_maxDepth(maxDepth), m_skipDepth(skipDepth) {
    assert(niceLength >= 4 && niceLength <= kMaxMatch);
}

void LzxMatchFinder::restart(std::uint64_t first, std::uint64_t sizeHint) {
    // Offsets stay below the cyclic size, which keeps them within the window minus 3, and
    // within the input when its size is known.
    m_cyclicSize = static_cast<std::uint32_t>(std::min<std::uint64_t>(maxOffset(m_windowBits), sizeHint) + 1);
    m_hash4Bits = hash4BitsFor(m_windowBits, sizeHint);
    m_hash2.reserve(1u << 16);
    m_hash3.reserve(1u << kHash3Bits);
    m_hash4.reserve(std::size_t{1} << m_hash4Bits);
    m_tree.reserve(2 * static_cast<std::size_t>(m_cyclicSize));
    m_hash2.zero(1u << 16);
    m_hash3.zero(1u << kHash3Bits);
    m_hash4.zero(std::size_t{1} << m_hash4Bits);
    m_next = first;
    m_pos = m_cyclicSize;
    m_cyclicPos = 0;
}

void LzxMatchFinder::rebase() {
    // Links older than the window are dead; shift the rest so the newest stay far from overflow.
    const std::uint32_t shift = m_pos - m_cyclicSize;
    auto fix = [shift](std::uint32_t& v) { v = v > shift ? v - shift : 0; };
    std::for_each(m_hash2.data(), m_hash2.data() + (1u << 16), fix);
    std::for_each(m_hash3.data(), m_hash3.data() + (1u << kHash3Bits), fix);
    std::for_each(m_hash4.data(), m_hash4.data() + (std::size_t{1} << m_hash4Bits), fix);
    std::for_each(m_tree.data(), m_tree.data() + 2 * static_cast<std::size_t>(m_cyclicSize), fix);
    m_pos -= shift;
}

unsigned LzxMatchFinder::findMatches(const std::uint8_t* data, std::uint64_t pos, std::uint32_t avail,
                                     std::uint32_t maxLength, std::uint32_t* out) {
    return advance<true>(data, pos, avail, maxLength, out);
}

void LzxMatchFinder::skip(const std::uint8_t* data, std::uint64_t pos, std::uint32_t avail) {
    advance<false>(data, pos, avail, 0, nullptr);
}

template <bool kReport>
unsigned LzxMatchFinder::advance(const std::uint8_t* cur, std::uint64_t pos, std::uint32_t avail,
                                 std::uint32_t maxLength, std::uint32_t* out) {
    assert(pos == m_next);
    (void)pos;
    if (m_pos >= kRebaseAt) rebase();
    const std::uint32_t ipos = m_pos;
    const std::uint32_t cyclicPos = m_cyclicPos;
    ++m_next;
    ++m_pos;
    if (++m_cyclicPos == m_cyclicSize) m_cyclicPos = 0;

    unsigned count = 0;
    std::uint32_t best = 1;
    const std::uint32_t lenLimit = std::min<std::uint32_t>(m_niceLength, avail);
    if (avail < 2) return 0;

    const std::uint32_t h2 = static_cast<std::uint32_t>(cur[0]) | static_cast<std::uint32_t>(cur[1]) << 8;
    const std::uint32_t c2 = m_hash2[h2];
    m_hash2[h2] = ipos;
    std::uint32_t d2 = 0;
    if (kReport && ipos - c2 < m_cyclicSize) {
        d2 = ipos - c2;
        best = extend(cur, cur - d2, 2, lenLimit);
        out[count++] = PackedMatch::pack(best, d2);
    }
    if (avail < 3) return count;

    const std::uint32_t v4 = avail >= 4 ? read32(cur)
                                        : static_cast<std::uint32_t>(cur[0]) |
                                              static_cast<std::uint32_t>(cur[1]) << 8 |
                                              static_cast<std::uint32_t>(cur[2]) << 16;
    const std::uint32_t h3 = ((v4 & 0xFFFFFF) * 0x9E3779B1u) >> (32 - kHash3Bits);
    const std::uint32_t c3 = m_hash3[h3];
    m_hash3[h3] = ipos;
    if (kReport && ipos - c3 < m_cyclicSize && ipos - c3 != d2) {
        const std::uint32_t d3 = ipos - c3;
        const std::uint32_t len = extend(cur, cur - d3, 0, lenLimit);
        if (len > best && len >= 3) {
            best = len;
            out[count++] = PackedMatch::pack(best, d3);
        }
    }
    if (avail < 4) return count;

    const std::uint32_t h4 = (v4 * 0x9E3779B1u) >> (32 - m_hash4Bits);
    if (avail >= 5) {
        // The next position's root is a likely cache miss; start fetching it now.
        __builtin_prefetch(&m_hash4[(read32(cur + 1) * 0x9E3779B1u) >> (32 - m_hash4Bits)]);
    }
    std::uint32_t match = m_hash4[h4];
    m_hash4[h4] = ipos;

    // Walk and re-link: `lessLink` collects the subtree of strings smaller than the current one,
    // `greaterLink` the greater ones; lenLess/lenGreater are the prefixes known to be shared
    // with each side, so comparisons start after them.
    std::uint32_t* lessLink = &m_tree[2 * static_cast<std::size_t>(cyclicPos)];
    std::uint32_t* greaterLink = lessLink + 1;
    std::uint32_t lenLess = 0, lenGreater = 0;
    for (unsigned depth = kReport ? m_maxDepth : m_skipDepth;; --depth) {
        const std::uint32_t delta = ipos - match;
        if (depth == 0 || delta >= m_cyclicSize) {
            *lessLink = *greaterLink = 0;
            break;
        }
        std::uint32_t* pair =
            &m_tree[2 * static_cast<std::size_t>(cyclicPos >= delta ? cyclicPos - delta
                                                                    : cyclicPos - delta + m_cyclicSize)];
        const std::uint8_t* cand = cur - delta;
        std::uint32_t len = std::min(lenLess, lenGreater);
        if (cand[len] == cur[len]) {
            len = extend(cur, cand, len + 1, lenLimit);
            if (kReport && len > best) {
                best = len;
                out[count++] = PackedMatch::pack(len, delta);
            }
            if (len == lenLimit) {
                // Same string as far as we compare: the new node takes over the old one's subtrees.
                *lessLink = pair[0];
                *greaterLink = pair[1];
                break;
            }
        }
        if (cand[len] < cur[len]) {
            *lessLink = match;
            lessLink = pair + 1;
            match = *lessLink;
            lenLess = len;
        } else {
            *greaterLink = match;
            greaterLink = pair;
            match = *greaterLink;
            lenGreater = len;
        }
    }

    if (kReport && count != 0 && best == m_niceLength && maxLength > best) {
        const std::uint32_t offset = PackedMatch::offset(out[count - 1]);
        out[count - 1] =
            PackedMatch::pack(extend(cur, cur - offset, best, std::min(maxLength, avail)), offset);
    }
    return count;
}

}  // namespace corvane::lzx
