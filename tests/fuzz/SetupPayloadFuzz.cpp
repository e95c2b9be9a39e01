// Any bytes as a setup file, checked by Setup.exe's own payload checks built for the host: the
// checks never read outside the file, and what they accept an independent reader accepts too.
// The description cabinet they pass must be a well-formed one-file cabinet of exactly its
// length whose data checksums hold, and the file cabinets they lay out must tile the file from
// the stub to the description without gaps or overlaps.

#include <vector>

#include "CabinetListing.h"
#include "FuzzCheck.h"
#include "SetupPayload.h"
#include "cabinet/Checksum.h"

namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// The data checksums of a cabinet, checked with the builder's checksum rather than the runtime's.
bool checksumsHold(const std::vector<std::uint8_t>& cab, const corvane::test::CabinetListing& listing) {
    for (const auto& folder : listing.folders) {
        std::size_t at = folder.dataOffset;
        for (std::uint16_t b = 0; b < folder.dataCount; ++b) {
            if (at + 8 + listing.dataReserve > cab.size()) return false;
            const std::uint32_t stored = le32(&cab[at]);
            const std::uint16_t packed = std::uint16_t(cab[at + 4] | cab[at + 5] << 8);
            const std::size_t payload = at + 8 + listing.dataReserve;
            if (payload + packed > cab.size()) return false;
            const std::span<const std::uint8_t> bytes(&cab[payload], packed);
            // The payload first, then the sizes and the reserve, as the format sums them.
            const std::span<const std::uint8_t> sizes(&cab[at + 4], 4u + listing.dataReserve);
            if (stored != 0 && stored != corvane::cabinet::cabinetChecksum(
                                             sizes, corvane::cabinet::cabinetChecksum(bytes, 0)))
                return false;
            at = payload + packed;
        }
    }
    return true;
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
        corvane::test::CabinetListing listing;
        try {
            listing = corvane::test::listCabinet(cab);
        } catch (const std::exception& problem) {
            corvane::test::fuzzFailure("listCabinet(description)", problem.what(), __FILE__, __LINE__);
        }
        CORVANE_FUZZ_CHECK(listing.files.size() == 1,
                           "an accepted description cabinet holds other than one file");
        CORVANE_FUZZ_CHECK(listing.files[0].size == described, "the accepted file size is not the cabinet's");
        CORVANE_FUZZ_CHECK(checksumsHold(cab, listing),
                           "an accepted cabinet has a data block that does not check");

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
