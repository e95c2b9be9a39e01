#include "cabinet/CabinetPlan.h"

#include <cstring>

#include "cabinet/CabinetFormat.h"
#include "cabinet/LittleEndian.h"
#include "cabinet/Spool.h"

namespace corvane::cabinet {

FolderData::~FolderData() = default;

std::uint64_t FolderSlice::startOffset() const {
    return firstRecord < folder->records.size() ? folder->records[firstRecord].folderOffset
                                                : folder->uncompressedSize;
}

std::uint64_t FolderSlice::endOffset() const {
    if (tailEnd != 0) return folder->records[endRecord - 1].folderOffset;
    return endRecord < folder->records.size() ? folder->records[endRecord].folderOffset
                                              : folder->uncompressedSize;
}

std::uint32_t FolderSlice::payloadEnd(std::size_t index) const {
    return index + 1 == endRecord && tailEnd != 0 ? tailEnd : folder->records[index].payloadSize;
}

std::uint64_t FolderSlice::recordBytes() const {
    if (firstRecord >= endRecord) return 0;
    const StoredRecord& last = folder->records[endRecord - 1];
    std::uint64_t size = last.spoolOffset + last.recordSize - folder->records[firstRecord].spoolOffset;
    size -= headSkip;
    if (tailEnd != 0) size -= last.payloadSize - tailEnd;
    return size;
}

namespace {

bool hasReserve(const TCCAB& ccab) {
    return ccab.cbReserveCFHeader != 0 || ccab.cbReserveCFFolder != 0 || ccab.cbReserveCFData != 0;
}

}  // namespace

bool liesBefore(const StoredFile& file, std::uint64_t offset) {
    return file.folderOffset < offset && std::uint64_t{file.folderOffset} + file.size <= offset;
}

std::vector<FileListing> listFiles(const CabinetPlan& plan) {
    std::vector<FileListing> listing;
    for (std::size_t index = 0; index < plan.slices.size(); ++index) {
        const FolderSlice& slice = plan.slices[index];
        std::vector<StoredFile>& folderFiles = slice.folder->files;
        const std::size_t continued = slice.folder->continuedFiles.value_or(folderFiles.size());
        for (std::size_t number = slice.continuedFromPrev ? continued : 0; number < folderFiles.size();
             ++number) {
            StoredFile& file = folderFiles[number];
            const bool fromPrev = slice.continuedFromPrev;
            const bool toNext = slice.continuesToNext && number >= continued;
            std::uint16_t iFolder = static_cast<std::uint16_t>(index);
            if (fromPrev && toNext)
                iFolder = kFolderContinuedPrevAndNext;
            else if (fromPrev)
                iFolder = kFolderContinuedFromPrev;
            else if (toNext)
                iFolder = kFolderContinuedToNext;
            listing.push_back({&file, iFolder});
        }
    }
    return listing;
}

std::uint64_t headerBytes(const CabinetPlan& plan, const std::vector<FileListing>& files) {
    const TCCAB& ccab = plan.ccab;
    std::uint64_t size = kHeaderSize;
    if (hasReserve(ccab)) size += kHeaderReserveFields + ccab.cbReserveCFHeader;
    if (plan.hasPrev) size += plan.prevCabinet.size() + 1 + plan.prevDisk.size() + 1;
    if (plan.hasNext) size += plan.nextCabinet.size() + 1 + plan.nextDisk.size() + 1;
    size += plan.slices.size() * (kFolderEntrySize + ccab.cbReserveCFFolder);
    for (const FileListing& entry : files)
        size += kFileEntrySize + entry.file->name.size() + 1;
    return size;
}

std::uint64_t cabinetBytes(const CabinetPlan& plan, const std::vector<FileListing>& files) {
    std::uint64_t size = headerBytes(plan, files);
    for (const FolderSlice& slice : plan.slices)
        size += slice.recordBytes();
    return size;
}

std::vector<std::uint8_t> encodeHeader(const CabinetPlan& plan, const std::vector<FileListing>& files) {
    const TCCAB& ccab = plan.ccab;
    const bool reserve = hasReserve(ccab);
    const std::uint64_t total = cabinetBytes(plan, files);
    std::uint64_t foldersEnd = kHeaderSize + (reserve ? kHeaderReserveFields + ccab.cbReserveCFHeader : 0);
    if (plan.hasPrev) foldersEnd += plan.prevCabinet.size() + plan.prevDisk.size() + 2;
    if (plan.hasNext) foldersEnd += plan.nextCabinet.size() + plan.nextDisk.size() + 2;
    foldersEnd += plan.slices.size() * (kFolderEntrySize + ccab.cbReserveCFFolder);

    LittleEndianWriter out;
    out.bytes(kSignature);
    out.u32(0);
    out.u32(static_cast<std::uint32_t>(total));
    out.u32(0);
    out.u32(static_cast<std::uint32_t>(foldersEnd));
    out.u32(0);
    out.u8(kVersionMinor);
    out.u8(kVersionMajor);
    out.u16(static_cast<std::uint16_t>(plan.slices.size()));
    out.u16(static_cast<std::uint16_t>(files.size()));
    out.u16(static_cast<std::uint16_t>((plan.hasPrev ? kFlagPrevCabinet : 0) |
                                       (plan.hasNext ? kFlagNextCabinet : 0) |
                                       (reserve ? kFlagReservePresent : 0)));
    out.u16(ccab.setID);
    out.u16(static_cast<std::uint16_t>(ccab.iCab));
    if (reserve) {
        out.u16(static_cast<std::uint16_t>(ccab.cbReserveCFHeader));
        out.u8(static_cast<std::uint8_t>(ccab.cbReserveCFFolder));
        out.u8(static_cast<std::uint8_t>(ccab.cbReserveCFData));
        out.zeros(ccab.cbReserveCFHeader);
    }
    if (plan.hasPrev) {
        out.cString(plan.prevCabinet);
        out.cString(plan.prevDisk);
    }
    if (plan.hasNext) {
        out.cString(plan.nextCabinet);
        out.cString(plan.nextDisk);
    }
    std::uint64_t dataOffset = headerBytes(plan, files);
    for (const FolderSlice& slice : plan.slices) {
        out.u32(static_cast<std::uint32_t>(dataOffset));
        out.u16(static_cast<std::uint16_t>(slice.endRecord - slice.firstRecord));
        out.u16(slice.folder->typeCompress);
        out.zeros(ccab.cbReserveCFFolder);
        dataOffset += slice.recordBytes();
    }
    for (const FileListing& entry : files) {
        const StoredFile& file = *entry.file;
        out.u32(file.size);
        out.u32(file.folderOffset);
        out.u16(entry.iFolder);
        out.u16(file.date);
        out.u16(file.time);
        out.u16(file.attribs);
        out.cString(file.name);
    }
    return out.take();
}

}  // namespace corvane::cabinet
