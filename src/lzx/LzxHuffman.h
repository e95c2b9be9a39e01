#pragma once

// Length-limited canonical Huffman codes. Every code LZX decoders accept is complete (its
// Kraft sum is exactly one), so a code with a single used symbol gets an unused partner.

#include <cstdint>
#include <span>

namespace corvane::lzx {

// Fills lens with code lengths for freqs, none longer than maxLen. Symbols of frequency 0 get
// length 0, except the partner of a lone used symbol. With no used symbol all lengths are 0.
void buildCodeLengths(std::span<const std::uint32_t> freqs, unsigned maxLen, std::span<std::uint8_t> lens);

// Canonical codewords for lens: shorter codes first, ties in symbol order.
void buildCanonicalCodes(std::span<const std::uint8_t> lens, std::span<std::uint16_t> codes);

}  // namespace corvane::lzx
