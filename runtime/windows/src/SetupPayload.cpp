#include "SetupPayload.h"

#include "Text.h"

namespace corvane::rt {

namespace {

constexpr std::uint32_t kTrailerDigits = 10;
// The size of the cabinet header's fixed part, up to and including iCabinet.
constexpr std::uint32_t kCabHeaderSize = 36;
constexpr std::uint16_t kCabPrevCabinet = 0x0001;
constexpr std::uint16_t kCabNextCabinet = 0x0002;
constexpr std::uint16_t kCabReservePresent = 0x0004;
// A data block never holds more than 32 KiB once unpacked; a larger claim is damage.
constexpr std::uint32_t kCabMaxBlock = 32768;
// The fixed part of a file entry: cbFile, uoffFolderStart, iFolder, date, time, attribs.
constexpr std::uint32_t kCabFileEntrySize = 16;

std::uint16_t le16(const unsigned char* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// The cabinet data checksum: an XOR of little-endian 32-bit words, the last partial word
// assembled with its first byte highest.
std::uint32_t cabChecksum(const unsigned char* data, std::size_t length, std::uint32_t seed) {
    std::uint32_t sum = seed;
    std::size_t words = length / 4;
    while (words--) {
        sum ^= le32(data);
        data += 4;
    }
    std::uint32_t tail = 0;
    switch (length % 4) {
        case 3:
            tail |= std::uint32_t(*data++) << 16;
            [[fallthrough]];
        case 2:
            tail |= std::uint32_t(*data++) << 8;
            [[fallthrough]];
        case 1:
            tail |= *data;
            break;
        default:
            break;
    }
    return sum ^ tail;
}

}  // namespace

SetupFile::~SetupFile() {
    if (m_handle != INVALID_HANDLE_VALUE) CloseHandle(m_handle);
}

bool SetupFile::open(const std::wstring& path, std::wstring& error) {
    m_path = path;
    m_handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size{};
    if (m_handle == INVALID_HANDLE_VALUE || !GetFileSizeEx(m_handle, &size)) {
        error = L"Cannot read the setup file " + path;
        return false;
    }
    m_size = std::uint64_t(size.QuadPart);
    m_logicalSize = m_size;
    if (const std::uint64_t start = signatureStart(); start != 0) {
        // A signing tool pads the file to a multiple of 8 with zero bytes before the table.
        m_logicalSize = start;
        unsigned char byte = 0;
        for (int i = 0; i < 7 && m_logicalSize > 0 && readAt(m_logicalSize - 1, &byte, 1) && byte == 0; ++i)
            --m_logicalSize;
    }
    return true;
}

bool SetupFile::readAt(std::uint64_t offset, void* buffer, std::uint32_t length) const {
    if (offset > m_size || length > m_size - offset) return false;
    OVERLAPPED at{};
    at.Offset = DWORD(offset);
    at.OffsetHigh = DWORD(offset >> 32);
    DWORD got = 0;
    return ReadFile(m_handle, buffer, length, &got, &at) && got == length;
}

std::uint64_t SetupFile::signatureStart() const {
    // PE headers: e_lfanew at 0x3C, the optional header after the 24-byte file header, the
    // security entry is data directory 4 (a file offset, unlike the others).
    unsigned char dos[64];
    if (!readAt(0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return 0;
    const std::uint32_t pe = le32(dos + 0x3C);
    unsigned char head[24 + 2];
    if (!readAt(pe, head, sizeof head) || le32(head) != 0x00004550) return 0;
    const std::uint16_t magic = le16(head + 24);
    const std::uint32_t dirOffset = pe + 24 + (magic == 0x20B ? 112 : 96) + 4 * 8;
    unsigned char entry[8];
    if (!readAt(dirOffset, entry, sizeof entry)) return 0;
    const std::uint32_t start = le32(entry), length = le32(entry + 4);
    if (start == 0 || length == 0 || std::uint64_t(start) + length > m_size) return 0;
    return start;
}

bool SetupFile::locateDescription(ByteRange& range, std::wstring& error) const {
    unsigned char digits[kTrailerDigits];
    std::uint64_t length = 0;
    bool valid =
        m_logicalSize >= kTrailerDigits && readAt(m_logicalSize - kTrailerDigits, digits, kTrailerDigits);
    for (std::uint32_t i = 0; valid && i < kTrailerDigits; ++i) {
        valid = digits[i] >= '0' && digits[i] <= '9';
        length = length * 10 + (digits[i] - '0');
    }
    if (!valid) {
        error = L"The setup file is damaged: it does not end with the length of its description.";
        return false;
    }
    if (length < kCabHeaderSize || length > m_logicalSize - kTrailerDigits) {
        error = L"The setup file is damaged or incomplete: the description's length does not fit the file.";
        return false;
    }
    range.offset = m_logicalSize - kTrailerDigits - length;
    range.length = length;
    return true;
}

bool SetupFile::verifyCabinet(const ByteRange& range, unsigned fileCount, std::wstring& error,
                              std::uint64_t* fileSize) const {
    const std::wstring where = L" (at offset " + decimal(range.offset) + L")";
    auto fail = [&](const wchar_t* what) {
        error = std::wstring(L"The setup file is damaged: ") + what + where + L".";
        return false;
    };
    if (range.length > 0xFFFFFFFFull || range.offset + range.length > m_logicalSize)
        return fail(L"a cabinet runs past the end of the file");
    unsigned char h[kCabHeaderSize + 4];
    if (range.length < kCabHeaderSize || !readAt(range.offset, h, kCabHeaderSize))
        return fail(L"a cabinet is cut short");
    if (h[0] != 'M' || h[1] != 'S' || h[2] != 'C' || h[3] != 'F')
        return fail(L"a cabinet does not start where the description says");
    if (le32(h + 8) != range.length) return fail(L"a cabinet's length differs from the description");
    const std::uint16_t folders = le16(h + 26), files = le16(h + 28), flags = le16(h + 30);
    const std::uint32_t filesAt = le32(h + 16);
    if (flags & (kCabPrevCabinet | kCabNextCabinet)) return fail(L"a cabinet claims to span several files");
    if (fileCount != 0 && files != fileCount) return fail(L"a file cabinet does not hold exactly one file");
    if (folders == 0) return fail(L"a cabinet holds no data");
    std::uint32_t pos = kCabHeaderSize;
    std::uint32_t folderReserve = 0, dataReserve = 0;
    if (flags & kCabReservePresent) {
        if (!readAt(range.offset + pos, h, 4)) return fail(L"a cabinet header is cut short");
        pos += 4 + le16(h);
        folderReserve = h[2];
        dataReserve = h[3];
    }
    std::vector<unsigned char> block;
    std::uint64_t unpacked = 0;
    for (std::uint16_t f = 0; f < folders; ++f) {
        unsigned char folder[8];
        // The folder's reserve bytes belong to the cabinet too: a decoder reads past them.
        if (std::uint64_t(pos) + 8 + folderReserve > range.length || !readAt(range.offset + pos, folder, 8))
            return fail(L"a cabinet's folder list is cut short");
        pos += 8 + folderReserve;
        std::uint32_t dataPos = le32(folder);
        const std::uint16_t blocks = le16(folder + 4);
        for (std::uint16_t b = 0; b < blocks; ++b) {
            unsigned char d[8];
            if (std::uint64_t(dataPos) + 8 + dataReserve > range.length ||
                !readAt(range.offset + dataPos, d, 8))
                return fail(L"a cabinet's data is cut short");
            const std::uint32_t stored = le32(d);
            const std::uint16_t packed = le16(d + 4), size = le16(d + 6);
            if (size > kCabMaxBlock) return fail(L"a cabinet's data block claims more than 32 KiB");
            unpacked += size;
            const std::uint64_t end = std::uint64_t(dataPos) + 8 + dataReserve + packed;
            if (end > range.length) return fail(L"a cabinet's data is cut short");
            block.resize(4 + dataReserve + packed);
            if (!readAt(range.offset + dataPos + 4, block.data(), std::uint32_t(block.size())))
                return fail(L"a cabinet cannot be read");
            // The format lets a writer leave the checksum out (0), but ours always writes one: a
            // zero is checked like any other value, so no damaged block reaches the decoder.
            // The checksum covers the data, then the two length fields and the reserve.
            const std::uint32_t full = cabChecksum(block.data(), 4 + dataReserve,
                                                   cabChecksum(block.data() + 4 + dataReserve, packed, 0));
            if (full != stored) return fail(L"a cabinet's checksum does not match its data");
            dataPos = std::uint32_t(end);
        }
    }
    if (fileCount == 1) {
        // The file entry's size is covered by no checksum: with one file in one folder it must
        // be exactly what the data blocks unpack to, or the file would be cut short or padded.
        unsigned char entry[kCabFileEntrySize];
        if (folders != 1 || std::uint64_t(filesAt) + kCabFileEntrySize > range.length ||
            !readAt(range.offset + filesAt, entry, kCabFileEntrySize))
            return fail(L"a file cabinet's file entry is cut short");
        if (le32(entry + 4) != 0 || le16(entry + 8) != 0 || le32(entry) != unpacked)
            return fail(L"a file's size in its cabinet differs from its data");
        if (fileSize) *fileSize = unpacked;
    }
    return true;
}

}  // namespace corvane::rt

namespace corvane::rt {

bool layOutCabinets(std::uint64_t stubSize, const std::vector<std::uint64_t>& lengths,
                    const ByteRange& description, std::vector<ByteRange>& cabinets, std::wstring& error) {
    cabinets.clear();
    std::uint64_t offset = stubSize;
    bool fits = stubSize <= description.offset;
    for (const std::uint64_t length : lengths) {
        // Checked one by one, so no sum can wrap around.
        if (!fits || length > description.offset - offset) {
            fits = false;
            break;
        }
        cabinets.push_back({offset, length});
        offset += length;
    }
    if (!fits || offset != description.offset) {
        error =
            L"The setup file is damaged or incomplete: its parts do not add up to its length (expected the "
            L"files to end at " +
            decimal(offset) + L", the description starts at " + decimal(description.offset) + L").";
        return false;
    }
    return true;
}

}  // namespace corvane::rt
