#pragma once

// The Intel E8 call translation. x86 CALL instructions (opcode E8) carry a displacement
// relative to the next instruction, so calls to one function look different everywhere. LZX
// encoders rewrite each displacement into an absolute target before matching, which turns
// repeated calls into repeated bytes; decoders undo it frame by frame.
//
// The rules, which every decoder applies identically: per frame of length L at folder offset F,
// only when L > 10 and the frame index is below 32768; scan frame offsets 0 .. L-11 for E8; at
// folder position p read the signed little-endian displacement rel; when -p <= rel < size,
// write rel + p if rel < size - p, else rel - size; then skip the four operand bytes whether
// they changed or not. The last six bytes of a frame therefore never change.

#include <cstdint>
#include <span>

namespace corvane::lzx {

// Frames from this index on are left alone by every decoder (folder offsets of 1 GiB and more).
inline constexpr std::uint64_t kE8FrameLimit = 32768;

// Translates one frame in place; frameOffset is the frame's position in the folder stream.
void translateE8(std::span<std::uint8_t> frame, std::uint64_t frameOffset, std::int32_t translationSize);

}  // namespace corvane::lzx
