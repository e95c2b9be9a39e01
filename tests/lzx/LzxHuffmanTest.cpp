// Length-limited codes must stay complete: decoders reject codes with gaps or overflow.

#include <gtest/gtest.h>

#include <vector>

#include "lzx/LzxHuffman.h"

namespace corvane::lzx {
namespace {

double kraftSum(const std::vector<std::uint8_t>& lens) {
    double sum = 0;
    for (const auto l : lens)
        if (l != 0) sum += 1.0 / static_cast<double>(1u << l);
    return sum;
}

TEST(LzxHuffman, SkewedFrequenciesAreLimitedAndComplete) {
    // Fibonacci weights would need codes of about 40 bits unlimited.
    for (const unsigned limit : {7u, 15u, 16u}) {
        std::vector<std::uint32_t> freqs(40);
        std::uint32_t a = 1, b = 1;
        for (auto& f : freqs) {
            f = a;
            const std::uint32_t c = a + b;
            a = b;
            b = c;
            if (b > 100000000) a = b = 1;
        }
        std::vector<std::uint8_t> lens(freqs.size());
        buildCodeLengths(freqs, limit, lens);
        for (const auto l : lens) {
            EXPECT_GE(l, 1u);
            EXPECT_LE(l, limit);
        }
        EXPECT_DOUBLE_EQ(kraftSum(lens), 1.0) << "limit " << limit;
    }
}

TEST(LzxHuffman, OneUsedSymbolGetsAPartnerAndNoneGivesAnEmptyCode) {
    std::vector<std::uint32_t> freqs(8, 0);
    std::vector<std::uint8_t> lens(8);
    buildCodeLengths(freqs, 7, lens);
    EXPECT_DOUBLE_EQ(kraftSum(lens), 0.0);
    for (const std::size_t used : {0u, 5u}) {
        std::fill(freqs.begin(), freqs.end(), 0);
        freqs[used] = 9;
        buildCodeLengths(freqs, 7, lens);
        EXPECT_EQ(lens[used], 1u);
        EXPECT_DOUBLE_EQ(kraftSum(lens), 1.0);
    }
}

TEST(LzxHuffman, CanonicalCodesArePrefixFreeInSymbolOrder) {
    const std::vector<std::uint8_t> lens = {3, 3, 3, 3, 3, 2, 4, 4};
    std::vector<std::uint16_t> codes(lens.size());
    buildCanonicalCodes(lens, codes);
    EXPECT_EQ(codes[5], 0b00);
    EXPECT_EQ(codes[0], 0b010);
    EXPECT_EQ(codes[4], 0b110);
    EXPECT_EQ(codes[6], 0b1110);
    EXPECT_EQ(codes[7], 0b1111);
}

}  // namespace
}  // namespace corvane::lzx
