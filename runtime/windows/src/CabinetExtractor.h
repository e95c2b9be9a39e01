#pragma once

// Extraction through the system's cabinet decoder (FDI in cabinet.dll). FDI never opens a
// file itself: it hands a name to our open callback, so the cabinets are read in place from
// the setup file through a pseudo-file that maps FDI's offsets onto one byte range of it.

#include <cstdint>
#include <string>
#include <vector>

#include "SetupPayload.h"

namespace corvane::rt {

struct CabMember {
    std::wstring name;
    std::string bytes;
};

// Every member of a cabinet, read into memory (the description cabinet is small).
bool extractToMemory(const SetupFile& setup, const ByteRange& range, std::vector<CabMember>& members,
                     std::wstring& error);

// The one file of a file cabinet, written to destination. The data goes to a temporary file
// beside it first and replaces the destination only when complete, so a failure never leaves a
// half-written file under the real name. The decoder may write no more than expectedSize bytes
// (the size verifyCabinet found), so damage can never grow a file without bound.
bool extractToFile(const SetupFile& setup, const ByteRange& range, std::uint64_t expectedSize,
                   const std::wstring& destination, std::wstring& error);

}  // namespace corvane::rt
