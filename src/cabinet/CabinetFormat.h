#pragma once

// The Microsoft Cabinet container as Corvane writes it.
//
// A cabinet is a header (CFHEADER, optional reserve area, optional names of the previous and
// next cabinet of a set), one CFFOLDER entry per folder, one CFFILE entry per file, then the
// CFDATA records of every folder in folder order. A folder is one data stream, its files back
// to back, compressed with one method and cut into CFDATA records of 32 KiB uncompressed each
// (the last may be shorter). All integers are little-endian and nothing is padded. All offsets
// count from the cabinet's first byte, so a cabinet appended to an executable stays valid.
//
// Sets: when a cabinet would grow past its size limit, the folder being placed is cut between
// two records and continues as the first folder of the next cabinet. The files of such a folder
// are listed in both cabinets and marked with the special folder indexes below; decoders join
// the halves by matching those entries, so both sides must list the same files with the same
// offsets and sizes.
//
// The decoders Corvane is checked against differ in what they tolerate; the rules here are the
// intersection: version 1.3, at least one folder and one file per cabinet, zero reserve bytes,
// real checksums everywhere (gcab always verifies), every record but a folder's last exactly
// 32768 bytes uncompressed.

#include <cstddef>
#include <cstdint>

#include "codec/FolderCompressor.h"

namespace corvane::cabinet {

// The compressors' interface is the codec target's; the container speaks of the same blocks.
using codec::DataBlock;
using codec::FolderCompressor;
using codec::kBlockSize;
using codec::kMaxCompressedBlock;

inline constexpr std::uint8_t kSignature[4] = {'M', 'S', 'C', 'F'};
inline constexpr std::uint8_t kVersionMinor = 3;  // 1.3: the only version every decoder reads
inline constexpr std::uint8_t kVersionMajor = 1;

inline constexpr std::size_t kHeaderSize = 36;          // fixed part of CFHEADER
inline constexpr std::size_t kHeaderReserveFields = 4;  // u16 cbCFHeader, u8 cbCFFolder, u8 cbCFData
inline constexpr std::size_t kFolderEntrySize = 8;      // CFFOLDER without its reserve
inline constexpr std::size_t kFileEntrySize = 16;       // CFFILE without its name
inline constexpr std::size_t kDataHeaderSize = 8;       // CFDATA without reserve and payload

inline constexpr std::uint16_t kFlagPrevCabinet = 0x0001;
inline constexpr std::uint16_t kFlagNextCabinet = 0x0002;
inline constexpr std::uint16_t kFlagReservePresent = 0x0004;

// CFFILE.iFolder values for files of a folder that spans cabinets.
inline constexpr std::uint16_t kFolderContinuedFromPrev = 0xFFFD;
inline constexpr std::uint16_t kFolderContinuedToNext = 0xFFFE;
inline constexpr std::uint16_t kFolderContinuedPrevAndNext = 0xFFFF;
inline constexpr std::size_t kMaxFoldersPerCabinet = kFolderContinuedFromPrev;  // indexes 0..0xFFFC

// CFFILE.attribs.
inline constexpr std::uint16_t kAttribReadOnly = 0x01;
inline constexpr std::uint16_t kAttribHidden = 0x02;
inline constexpr std::uint16_t kAttribSystem = 0x04;
inline constexpr std::uint16_t kAttribArchive = 0x20;
inline constexpr std::uint16_t kAttribExecute = 0x40;    // run after extraction
inline constexpr std::uint16_t kAttribNameIsUtf = 0x80;  // name is UTF-8, not the ANSI code page
// Only these attributes are taken from a source file: 0x10 would make 7-Zip extract a folder.
inline constexpr std::uint16_t kSourceAttribMask =
    kAttribReadOnly | kAttribHidden | kAttribSystem | kAttribArchive;

// CFFOLDER.typeCompress.
inline constexpr std::uint16_t kCompressTypeMask = 0x000F;
inline constexpr std::uint16_t kCompressNone = 0x0000;
inline constexpr std::uint16_t kCompressMsZip = 0x0001;
inline constexpr std::uint16_t kCompressLzx = 0x0003;
inline constexpr std::uint16_t kCompressBad = 0x000F;  // what an unknown choice maps to
inline constexpr int kLzxWindowShift = 8;              // LZX window bits sit in bits 8..12
inline constexpr int kLzxMinWindowBits = 15;
inline constexpr int kLzxMaxWindowBits = 21;

constexpr std::uint16_t lzxCompressType(int windowBits) {
    return static_cast<std::uint16_t>(kCompressLzx | (windowBits << kLzxWindowShift));
}
static_assert(lzxCompressType(kLzxMinWindowBits) == 0x0F03 && lzxCompressType(kLzxMaxWindowBits) == 0x1503);

// Limits of the format and of the decoders.
inline constexpr std::size_t kMaxHeaderReserve = 60000;      // decoders refuse larger cbCFHeader
inline constexpr std::size_t kMaxFolderReserve = 255;        // u8 field
inline constexpr std::size_t kMaxDataReserve = 255;          // u8 field
inline constexpr std::size_t kMaxNameLength = 255;           // bytes without the NUL, cabinet and file names
inline constexpr std::size_t kMaxFilesPerCabinet = 0xFFFF;   // u16 cFiles
inline constexpr std::size_t kMaxRecordsPerFolder = 0xFFFF;  // u16 cCFData, counted over a whole set
inline constexpr std::uint64_t kMaxFolderBytes = std::uint64_t{kMaxRecordsPerFolder} * kBlockSize;
// A file lives in one folder, so no file can be larger than a folder can hold; this also keeps
// every CFFILE size and offset below 2^32.
inline constexpr std::uint64_t kMaxFileBytes = kMaxFolderBytes;
static_assert(kMaxFileBytes < 0xFFFFFFFFull);
inline constexpr std::uint32_t kMaxCabinetBytes = 0x7FFFFFFF;  // what a size threshold of 0 means

// DOS date range of CFFILE.date.
inline constexpr int kDosFirstYear = 1980;
inline constexpr int kDosLastYear = 2107;

}  // namespace corvane::cabinet
