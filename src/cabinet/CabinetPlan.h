#pragma once

// What one cabinet of a set holds, before it is written: slices of folders (all of a folder's
// records, or the part of a spanning folder that falls into this cabinet), the names of its
// neighbours, and the files those slices list.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cabinet/FciTypes.h"

namespace corvane::cabinet {

class Spool;

struct StoredFile {
    std::string name;  // as stored: "\" separators, UTF-8
    std::uint32_t size = 0;
    std::uint32_t folderOffset = 0;  // where its bytes start in the folder stream
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint16_t attribs = 0;
    bool placed = false;  // listed in a cabinet already written
};

struct StoredRecord {
    std::uint64_t spoolOffset = 0;
    std::uint32_t recordSize = 0;  // CFDATA header, reserve and payload
    std::uint32_t payloadSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint64_t folderOffset = 0;  // uncompressed offset of its first byte in the folder stream
};

struct FolderData {
    std::uint16_t typeCompress = 0;
    std::unique_ptr<Spool> spool;  // the finished records, back to back
    std::vector<StoredRecord> records;
    std::vector<StoredFile> files;
    std::uint64_t uncompressedSize = 0;
    std::uint64_t payloadSize = 0;  // compressed bytes, for the folder size threshold
    // Once the folder spans cabinets: the first file listed as continuing in its first cabinet.
    // Every later cabinet of the folder lists the files from here on, so that each pair of
    // neighbours lists the same continuing files (libmspack joins the halves only then).
    std::optional<std::size_t> continuedFiles;
    ~FolderData();
};

// Records [firstRecord, endRecord) of a folder. A folder that continues into the next cabinet
// ends its slice with a fragment: the first tailEnd payload bytes of its last record, stored with
// an uncompressed size of 0. The next slice starts with the rest of that record (headSkip bytes
// left out), stored with the record's real uncompressed size. Decoders join the two.
struct FolderSlice {
    std::shared_ptr<FolderData> folder;
    std::size_t firstRecord = 0;
    std::size_t endRecord = 0;
    std::uint32_t headSkip = 0;
    std::uint32_t tailEnd = 0;  // 0: the last record is whole
    bool continuedFromPrev = false;
    bool continuesToNext = false;

    std::uint64_t startOffset() const;  // folder stream offset of the first record that ends here
    std::uint64_t endOffset() const;    // folder stream offset after the last record that ends here
    std::uint64_t recordBytes() const;
    // Payload bytes [begin, end) of record index within this slice.
    std::uint32_t payloadBegin(std::size_t index) const { return index == firstRecord ? headSkip : 0; }
    std::uint32_t payloadEnd(std::size_t index) const;
};

struct CabinetPlan {
    TCCAB ccab;
    bool hasPrev = false;
    std::string prevCabinet, prevDisk;
    bool hasNext = false;
    std::string nextCabinet, nextDisk;
    std::vector<FolderSlice> slices;
};

struct FileListing {
    StoredFile* file = nullptr;
    std::uint16_t iFolder = 0;
};

// Whether a file's bytes end at offset or earlier; an empty file lies where it starts.
bool liesBefore(const StoredFile& file, std::uint64_t offset);

// The CFFILE entries of a plan, in order: every file of each slice's folder, or for a
// continued folder the files it continues (FolderData::continuedFiles).
std::vector<FileListing> listFiles(const CabinetPlan& plan);

// Bytes before the first CFDATA record, and the whole cabinet.
std::uint64_t headerBytes(const CabinetPlan& plan, const std::vector<FileListing>& files);
std::uint64_t cabinetBytes(const CabinetPlan& plan, const std::vector<FileListing>& files);

// CFHEADER, its reserve and names, the CFFOLDER and CFFILE entries.
std::vector<std::uint8_t> encodeHeader(const CabinetPlan& plan, const std::vector<FileListing>& files);

}  // namespace corvane::cabinet
