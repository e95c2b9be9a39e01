#pragma once

// The parameter record, error record and callback types of Corvane's cabinet engine. They keep
// the shape of the cabinet compression interface that setup tools have long been written
// against (FCI), so the writer above it reads like its Windows counterparts.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace corvane::codec {
class FolderCompressor;
class JobQueue;
}  // namespace corvane::codec

namespace corvane::cabinet {

class ByteSink;
class ByteSource;

inline constexpr std::size_t kCcabStringSize = 256;  // names in TCCAB, NUL included

// The parameters of one cabinet of a set.
struct TCCAB {
    std::uint32_t cb = 0;                 // largest cabinet size in bytes
    std::uint32_t cbFolderThresh = 0;     // compressed folder size after which a new folder starts
    std::uint32_t cbReserveCFHeader = 0;  // reserve area in the cabinet header
    std::uint32_t cbReserveCFFolder = 0;  // reserve area per CFFOLDER
    std::uint32_t cbReserveCFData = 0;    // reserve area per CFDATA
    std::int32_t iCab = 0;                // number of the cabinet in its set, from 0
    std::int32_t iDisk = 0;               // number of its disk
    std::int32_t fFailOnIncompressible = 0;
    std::uint16_t setID = 0;
    char szDisk[kCcabStringSize] = {};     // disk label
    char szCab[kCcabStringSize] = {};      // cabinet file name
    char szCabPath[kCcabStringSize] = {};  // folder of the cabinet, with a trailing separator
};

// Copies text into one of TCCAB's strings; false (and the string left alone) when it is too long.
bool setCcabString(char (&field)[kCcabStringSize], const std::string& text);

// Operation error codes of the error record.
enum FciError : std::int32_t {
    FCIERR_NONE = 0,
    FCIERR_OPEN_SRC = 1,
    FCIERR_READ_SRC = 2,
    FCIERR_ALLOC_FAIL = 3,
    FCIERR_TEMP_FILE = 4,
    FCIERR_BAD_COMPR_TYPE = 5,
    FCIERR_CAB_FILE = 6,
    FCIERR_USER_ABORT = 7,
    FCIERR_MCI_FAIL = 8,
    FCIERR_CAB_FORMAT_LIMIT = 9,
};

// The error record: operation error code, system error code (an errno value) and error flag.
struct ERF {
    std::int32_t erfOper = 0;
    std::int32_t erfType = 0;
    std::int32_t fError = 0;
    // What the engine knows beyond the codes, such as the file that broke a format limit.
    std::string detail;
};

enum class FciStatus { File, Folder, Cabinet };

// Callbacks given at creation.
struct FciCallbacks {
    // A file (or a continued part of it) was placed in ccab's cabinet; -1 aborts.
    std::function<int(const TCCAB& ccab, const std::string& name, std::uint32_t size, bool continuation)>
        filePlaced;
    // Creates the cabinet file at path; nullptr with an errno value in error on failure.
    std::function<std::unique_ptr<ByteSink>(const std::string& path, int& error)> createCabinet;
    // Makes the compressor of a new folder; makeFolderCompressor when unset. Tests put a
    // compressor with options of their own here.
    std::function<std::unique_ptr<codec::FolderCompressor>(std::uint16_t typeCompress)> makeCompressor;
};

// Callbacks given with each file and each cabinet flush.
// Fills ccab for the next cabinet; ccab.iCab is already advanced. false aborts.
using FciGetNextCabinet = std::function<bool(TCCAB& ccab, std::uint32_t prevCabinetSize)>;
// File: compressed and uncompressed size of a block. Folder: bytes copied and total.
// Cabinet: estimated and actual size. Answers -1 to abort (for Cabinet, else the desired size).
using FciStatusCallback = std::function<long(FciStatus kind, std::uint32_t first, std::uint32_t second)>;

struct FciSourceInfo {
    std::unique_ptr<ByteSource> source;
    std::uint64_t size = 0;  // as the file system reports it before reading
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint16_t attribs = 0;  // kSourceAttribMask bits
};
// Opens a file to be stored; on failure returns no source and sets error to an errno value.
using FciOpenInfo = std::function<FciSourceInfo(const std::string& path, int& error)>;

}  // namespace corvane::cabinet
