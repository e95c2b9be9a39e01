// Any bytes as a setup file, checked by Setup.exe's own payload checks built for the host: the
// checks never read outside the file, and what they accept keeps their promise, checked afresh.
// The description cabinet they pass must be a one-file cabinet of exactly its length whose data
// lies inside it and checks, its file's size what the data unpacks to; and the file cabinets
// they lay out must tile the file from the stub to the description without gaps or overlaps.

#include <span>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "SetupPayload.h"
#include "cabinet/Checksum.h"

namespace {

std::uint16_t le16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | p[1] << 8);
}
std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(le16(p)) | std::uint32_t(le16(p + 2)) << 16;
}

// What Setup.exe's acceptance of a one-file cabinet promises, checked afresh (the checksums with
// the builder's code): the signature, the length, one folder whose data blocks lie inside the
// cabinet and check, and a file entry whose size is what the blocks unpack to. Empty when kept.
std::string brokenPromise(const std::vector<std::uint8_t>& cab, std::uint64_t fileSize) {
    if (cab.size() < 36 || le32(&cab[0]) != 0x4643534D) return "no cabinet header";
    if (le32(&cab[8]) != cab.size()) return "cbCabinet is not the cabinet's length";
    const std::uint16_t flags = le16(&cab[30]);
    if (le16(&cab[26]) != 1 || le16(&cab[28]) != 1 || (flags & 3) != 0) return "not one file in one folder";
    std::size_t at = 36;
    std::size_t folderReserve = 0, dataReserve = 0;
    if (flags & 4) {
        if (at + 4 > cab.size()) return "reserve sizes past the end";
        folderReserve = cab[at + 2];
        dataReserve = cab[at + 3];
        at += 4 + le16(&cab[at]);
    }
    if (at + 8 + folderReserve > cab.size()) return "folder past the end";
    std::size_t data = le32(&cab[at]);
    std::uint64_t unpacked = 0;
    for (std::uint16_t b = 0, blocks = le16(&cab[at + 4]); b < blocks; ++b) {
        if (data + 8 + dataReserve > cab.size()) return "a data block header past the end";
        const std::uint16_t packed = le16(&cab[data + 4]);
        const std::size_t payload = data + 8 + dataReserve;
        if (payload + packed > cab.size()) return "a data block past the end";
        const std::span<const std::uint8_t> sizes(&cab[data + 4], 4 + dataReserve);
        const std::span<const std::uint8_t> bytes(&cab[payload], packed);
        if (le32(&cab[data]) !=
            corvane::cabinet::cabinetChecksum(sizes, corvane::cabinet::cabinetChecksum(bytes, 0)))
            return "a data block's checksum does not hold";
        unpacked += le16(&cab[data + 6]);
        data = payload + packed;
    }
    const std::size_t entry = le32(&cab[16]);
    if (entry + 16 > cab.size()) return "the file entry past the end";
    if (le32(&cab[entry]) != unpacked || le32(&cab[entry + 4]) != 0 || le16(&cab[entry + 8]) != 0)
        return "the file entry does not match the data";
    if (fileSize != unpacked) return "the file size given back is not the data's";
    return {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::wstring path = L"C:\\Fuzz\\Setup.exe";
    hostwin::addFile(path, bytes);
    corvane::rt::SetupFile setup;
    std::wstring error;
    CORVANE_FUZZ_CHECK(setup.open(path, error), "an in-memory file did not open");
    CORVANE_FUZZ_CHECK(setup.logicalSize() <= size, "the payload ends after the file");

    corvane::rt::ByteRange description;
    std::uint64_t described = 0;
    if (setup.locateDescription(description, error) &&
        setup.verifyCabinet(description, 1, error, &described)) {
        CORVANE_FUZZ_CHECK(description.offset + description.length + 10 == setup.logicalSize(),
                           "the description does not end at the trailer");
        const std::vector<std::uint8_t> cab(data + description.offset,
                                            data + description.offset + description.length);
        const std::string broken = brokenPromise(cab, described);
        CORVANE_FUZZ_CHECK(broken.empty(), "an accepted description cabinet: " + broken);

        // File cabinet lengths taken from the input itself, laid out after a stub of its choosing.
        const std::uint64_t stub = size > 0 ? data[0] : 0;
        std::vector<std::uint64_t> lengths;
        for (std::size_t i = 1; i + 2 <= std::min<std::size_t>(size, 17); i += 2)
            lengths.push_back(std::uint64_t(data[i] | data[i + 1] << 8));
        std::vector<corvane::rt::ByteRange> cabinets;
        if (corvane::rt::layOutCabinets(stub, lengths, description, cabinets, error)) {
            CORVANE_FUZZ_CHECK(cabinets.size() == lengths.size(), "a cabinet was laid out or lost");
            std::uint64_t at = stub;
            for (std::size_t i = 0; i < cabinets.size(); ++i) {
                CORVANE_FUZZ_CHECK(cabinets[i].offset == at && cabinets[i].length == lengths[i],
                                   "cabinets do not follow each other");
                at += cabinets[i].length;
            }
            CORVANE_FUZZ_CHECK(at == description.offset, "the last cabinet does not end at the description");
        } else {
            CORVANE_FUZZ_CHECK(!error.empty(), "a refused layout without a message");
        }
    }
    hostwin::removeFile(path);
    return 0;
}
