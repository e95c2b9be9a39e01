#pragma once

// The setup file as Setup.exe finds it: its own program image, followed by one cabinet per
// installed file, the description cabinet zansetup.cab, and ten decimal digits giving that
// cabinet's length. Nothing is trusted: the trailer, every length and every cabinet's data
// checksums are checked before a single file is installed.

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace corvane::rt {

struct ByteRange {
    std::uint64_t offset = 0;
    std::uint64_t length = 0;
};

class SetupFile {
public:
    SetupFile() = default;
    ~SetupFile();
    SetupFile(const SetupFile&) = delete;
    SetupFile& operator=(const SetupFile&) = delete;

    bool open(const std::wstring& path, std::wstring& error);
    const std::wstring& path() const { return m_path; }
    // Where the payload ends: the file's end, or the start of an Authenticode signature
    // appended after the trailer.
    std::uint64_t logicalSize() const { return m_logicalSize; }
    bool readAt(std::uint64_t offset, void* buffer, std::uint32_t length) const;

    // The description cabinet, from the trailer.
    bool locateDescription(ByteRange& range, std::wstring& error) const;
    // Checks a cabinet in place: its header, that it is exactly range.length long, that its data
    // blocks lie inside it and their checksums hold. fileCount 0 accepts any number of files;
    // with 1 the file's size must match its data, and is given back as fileSize.
    bool verifyCabinet(const ByteRange& range, unsigned fileCount, std::wstring& error,
                       std::uint64_t* fileSize = nullptr) const;

private:
    std::uint64_t signatureStart() const;

    std::wstring m_path;
    HANDLE m_handle = INVALID_HANDLE_VALUE;
    std::uint64_t m_size = 0;
    std::uint64_t m_logicalSize = 0;
};

}  // namespace corvane::rt

namespace corvane::rt {

// Where each file cabinet lies: the first at stubSize, the others following without gaps, the
// last ending exactly where the description cabinet starts. Anything else (a truncated file,
// a length that was tampered with) is refused.
bool layOutCabinets(std::uint64_t stubSize, const std::vector<std::uint64_t>& lengths,
                    const ByteRange& description, std::vector<ByteRange>& cabinets, std::wstring& error);

}  // namespace corvane::rt
