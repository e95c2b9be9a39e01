// The cabinet engine.
//
// Files are appended back to back to the open folder's stream and compressed as they are read;
// the finished CFDATA records go to a temporary spool per folder, so memory stays small however
// large the files are. A folder ends when the compression type changes, when its compressed
// size reaches the folder threshold, when it could not take the next file without passing the
// format's 65535 records, or on an explicit flush. A finished folder joins the cabinet being
// filled. When the cabinet would then pass its size limit, the folder is cut between two
// records: the cabinet is written with what fits and the name of its successor (asked for
// through the next-cabinet callback), and the rest of the folder opens the next cabinet as a
// continued folder. The cut falls inside a record: the cabinet ends with a fragment of it and the
// next cabinet starts with the rest. libmspack follows a folder into the next cabinet only
// through such a fragment, and it lets a cabinet be filled to its limit.
//
// A cabinet always leaves room for the longest names of a successor (2 × 256 bytes), so a
// cabinet that turns out to need a successor still fits its limit once the names are known.
//
// Flushing a cabinet with "start next" announces a successor. The announced cabinet is written
// when the successor receives its first file, so a set never ends in a cabinet without files
// (which decoders refuse) and never names a successor that was not written: when no file
// follows, the announced cabinet is written as the last of the set.

#include "cabinet/CabinetEngine.h"

#include <cerrno>
#include <new>
#include <stdexcept>

#include "cabinet/ByteSink.h"
#include "cabinet/CabinetFormat.h"
#include "cabinet/Checksum.h"
#include "cabinet/CompressorFactory.h"
#include "cabinet/LittleEndian.h"
#include "cabinet/Spool.h"
#include "codec/FolderCompressor.h"

namespace corvane::cabinet {

namespace {

constexpr std::size_t kReadBufferSize = 256 * 1024;               // a few records per read call
constexpr std::uint64_t kNextNamesReserve = 2 * kCcabStringSize;  // successor's cabinet and disk names

std::uint32_t clamp32(std::uint64_t value) {
    return value > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<std::uint32_t>(value);
}

bool hasHighBytes(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    return false;
}

}  // namespace

bool setCcabString(char (&field)[kCcabStringSize], const std::string& text) {
    if (text.size() >= kCcabStringSize) return false;
    std::fill(std::begin(field), std::end(field), '\0');
    std::copy(text.begin(), text.end(), field);
    return true;
}

std::unique_ptr<CabinetEngine> CabinetEngine::create(ERF& erf, FciCallbacks callbacks, const TCCAB& ccab) {
    erf = ERF{};
    if (ccab.cbReserveCFHeader > kMaxHeaderReserve || ccab.cbReserveCFFolder > kMaxFolderReserve ||
        ccab.cbReserveCFData > kMaxDataReserve) {
        erf.erfOper = FCIERR_CAB_FORMAT_LIMIT;
        erf.fError = 1;
        erf.detail = "Reserve sizes may be at most " + std::to_string(kMaxHeaderReserve) +
                     " bytes per cabinet and " + std::to_string(kMaxFolderReserve) +
                     " bytes per folder and per data block";
        return nullptr;
    }
    return std::unique_ptr<CabinetEngine>(new CabinetEngine(erf, std::move(callbacks), ccab));
}

CabinetEngine::CabinetEngine(ERF& erf, FciCallbacks callbacks, const TCCAB& ccab)
    : m_erf(erf), m_callbacks(std::move(callbacks)), m_ccab(ccab), m_firstCcab(ccab) {}

CabinetEngine::~CabinetEngine() = default;

bool CabinetEngine::destroy() {
    m_compressor.reset();
    m_folder.reset();
    m_slices.clear();
    m_pending.reset();
    return true;
}

bool CabinetEngine::fail(FciError code, int systemError, std::string detail) {
    m_erf.erfOper = code;
    m_erf.erfType = systemError;
    m_erf.fError = 1;
    m_erf.detail = std::move(detail);
    return false;
}

bool CabinetEngine::failBroken(FciError code, int systemError, std::string detail) {
    fail(code, systemError, std::move(detail));
    m_broken = m_erf;
    return false;
}

std::uint64_t CabinetEngine::sizeLimit() const {
    const std::uint64_t limit = m_ccab.cb == 0 ? kMaxCabinetBytes : m_ccab.cb;
    return std::min<std::uint64_t>(limit, kMaxCabinetBytes);
}

CabinetPlan CabinetEngine::currentPlan() const {
    CabinetPlan plan;
    plan.ccab = m_ccab;
    plan.ccab.cbReserveCFHeader = m_firstCcab.cbReserveCFHeader;
    plan.ccab.cbReserveCFFolder = m_firstCcab.cbReserveCFFolder;
    plan.ccab.cbReserveCFData = m_firstCcab.cbReserveCFData;
    plan.hasPrev = m_hasPrev;
    plan.prevCabinet = m_prevCabinet;
    plan.prevDisk = m_prevDisk;
    plan.slices = m_slices;
    return plan;
}

std::size_t CabinetEngine::filesInCabinet() const {
    std::size_t count = m_folder ? m_folder->files.size() : 0;
    for (const FolderSlice& slice : m_slices) {
        const FolderData& folder = *slice.folder;
        count += folder.files.size() - (slice.continuedFromPrev ? folder.continuedFiles.value_or(0) : 0);
    }
    return count;
}

std::unique_ptr<codec::FolderCompressor> CabinetEngine::newCompressor(std::uint16_t typeCompress) const {
    if (m_callbacks.makeCompressor) return m_callbacks.makeCompressor(typeCompress);
    return makeFolderCompressor(typeCompress);
}

bool CabinetEngine::addFile(const std::string& sourcePath, const std::string& nameInCabinet, bool execute,
                            const FciGetNextCabinet& getNext, const FciStatusCallback& status,
                            const FciOpenInfo& openInfo, std::uint16_t typeCompress) {
    if (m_broken) {
        m_erf = *m_broken;
        return false;
    }
    try {
        if (nameInCabinet.empty() || nameInCabinet.size() > kMaxNameLength)
            return fail(FCIERR_CAB_FORMAT_LIMIT, 0,
                        "The name in the cabinet of " + sourcePath + " must have 1 to " +
                            std::to_string(kMaxNameLength) + " bytes");
        // A new folder needs a compressor; an unknown type fails before the source is opened.
        std::unique_ptr<FolderCompressor> compressor;
        if (!m_folder || m_folder->typeCompress != typeCompress) {
            compressor = newCompressor(typeCompress);
            if (!compressor) return fail(FCIERR_BAD_COMPR_TYPE);
        }
        int error = 0;
        FciSourceInfo source = openInfo(sourcePath, error);
        if (!source.source) return fail(FCIERR_OPEN_SRC, error);
        if (!checkFileFits(sourcePath, source.size)) return false;
        if (!makeRoomInFolder(typeCompress, source.size, std::move(compressor), getNext, status))
            return false;

        StoredFile file = storedFileEntry(nameInCabinet, source, execute);
        std::uint64_t total = 0;
        if (!compressSource(sourcePath, *source.source, status, total)) return false;
        file.size = static_cast<std::uint32_t>(total);
        m_folder->files.push_back(std::move(file));

        if (m_folder->payloadSize >= m_ccab.cbFolderThresh) return flushFolder(getNext, status);
        return true;
    } catch (const std::bad_alloc&) {
        return failBroken(FCIERR_ALLOC_FAIL);
    } catch (const std::exception& e) {
        return failBroken(FCIERR_MCI_FAIL, 0, e.what());
    }
}

// The format's limits on one file and on a cabinet's file count, checked before anything moves.
bool CabinetEngine::checkFileFits(const std::string& sourcePath, std::uint64_t size) {
    if (size > kMaxFileBytes)
        return fail(FCIERR_CAB_FORMAT_LIMIT, 0,
                    sourcePath + " has " + std::to_string(size) + " bytes; a cabinet holds at most " +
                        std::to_string(kMaxFileBytes) + " bytes per file");
    if (filesInCabinet() >= kMaxFilesPerCabinet)
        return fail(FCIERR_CAB_FORMAT_LIMIT, 0,
                    "A cabinet holds at most " + std::to_string(kMaxFilesPerCabinet) + " files; " +
                        sourcePath + " is one too many");
    return true;
}

// Writes a pending cabinet, closes the open folder when the file needs another type or would
// overflow it, and opens a folder when none is open.
bool CabinetEngine::makeRoomInFolder(std::uint16_t typeCompress, std::uint64_t size,
                                     std::unique_ptr<FolderCompressor> compressor,
                                     const FciGetNextCabinet& getNext, const FciStatusCallback& status) {
    if (m_pending && !writePending(true, status)) return false;
    if (m_folder &&
        (m_folder->typeCompress != typeCompress || m_folder->uncompressedSize + size > kMaxFolderBytes)) {
        if (!flushFolder(getNext, status)) return false;
        if (!compressor) compressor = newCompressor(typeCompress);
    }
    if (!m_folder) {
        m_compressor = std::move(compressor);
        if (!startFolder(typeCompress)) return false;
    }
    return true;
}

StoredFile CabinetEngine::storedFileEntry(const std::string& nameInCabinet, const FciSourceInfo& source,
                                          bool execute) const {
    StoredFile file;
    file.name = nameInCabinet;
    file.folderOffset = static_cast<std::uint32_t>(m_folder->uncompressedSize);
    file.date = source.date;
    file.time = source.time;
    file.attribs =
        static_cast<std::uint16_t>((source.attribs & kSourceAttribMask) | (execute ? kAttribExecute : 0) |
                                   (hasHighBytes(nameInCabinet) ? kAttribNameIsUtf : 0));
    return file;
}

// Reads the source to its end through the folder's compressor; total is the bytes read. A file
// that grows past the format's limits while it is read breaks the engine: the folder is half
// written.
bool CabinetEngine::compressSource(const std::string& sourcePath, ByteSource& source,
                                   const FciStatusCallback& status, std::uint64_t& total) {
    std::vector<std::uint8_t> buffer(kReadBufferSize);
    std::vector<DataBlock> blocks;
    for (;;) {
        const std::ptrdiff_t count = source.read(buffer);
        if (count < 0) return failBroken(FCIERR_READ_SRC, source.lastError());
        if (count == 0) return true;
        total += static_cast<std::uint64_t>(count);
        if (total > kMaxFileBytes ||
            m_folder->uncompressedSize + static_cast<std::uint64_t>(count) > kMaxFolderBytes)
            return failBroken(FCIERR_CAB_FORMAT_LIMIT, 0,
                              sourcePath + " grew while it was read and no longer fits the cabinet format");
        m_folder->uncompressedSize += static_cast<std::uint64_t>(count);
        m_compressor->write(std::span(buffer.data(), static_cast<std::size_t>(count)), blocks);
        if (!storeBlocks(blocks, status)) return false;
    }
}

bool CabinetEngine::startFolder(std::uint16_t typeCompress) {
    int error = 0;
    auto folder = std::make_shared<FolderData>();
    folder->typeCompress = typeCompress;
    folder->spool = Spool::create(error);
    if (!folder->spool) return failBroken(FCIERR_TEMP_FILE, error);
    m_folder = std::move(folder);
    return true;
}

// Appends the compressor's finished blocks to the open folder as CFDATA records.
bool CabinetEngine::storeBlocks(std::vector<DataBlock>& blocks, const FciStatusCallback& status) {
    const std::uint32_t reserve = m_firstCcab.cbReserveCFData;
    for (DataBlock& block : blocks) {
        FolderData& folder = *m_folder;
        // The compressor's contract, checked because a broken record would make a broken archive.
        const bool previousFull =
            folder.records.empty() || folder.records.back().uncompressedSize == kBlockSize;
        if (block.data.size() > kMaxCompressedBlock || block.uncompressedSize == 0 ||
            block.uncompressedSize > kBlockSize || !previousFull ||
            folder.records.size() >= kMaxRecordsPerFolder)
            return failBroken(FCIERR_MCI_FAIL, 0,
                              "The compressor produced a block the cabinet format cannot hold");
        const auto payloadSize = static_cast<std::uint16_t>(block.data.size());
        LittleEndianWriter header;
        header.u32(dataBlockChecksum(block.data, block.uncompressedSize));
        header.u16(payloadSize);
        header.u16(block.uncompressedSize);
        header.zeros(reserve);
        m_recordBuffer = header.take();
        m_recordBuffer.insert(m_recordBuffer.end(), block.data.begin(), block.data.end());

        StoredRecord record;
        record.spoolOffset = folder.spool->size();
        record.recordSize = static_cast<std::uint32_t>(m_recordBuffer.size());
        record.payloadSize = payloadSize;
        record.uncompressedSize = block.uncompressedSize;
        record.folderOffset = folder.records.empty() ? 0
                                                     : folder.records.back().folderOffset +
                                                           folder.records.back().uncompressedSize;
        if (!folder.spool->append(m_recordBuffer))
            return failBroken(FCIERR_TEMP_FILE, folder.spool->lastError());
        folder.records.push_back(record);
        folder.payloadSize += payloadSize;
        if (status && status(FciStatus::File, payloadSize, block.uncompressedSize) == -1)
            return failBroken(FCIERR_USER_ABORT);
    }
    blocks.clear();
    return true;
}

bool CabinetEngine::flushFolder(const FciGetNextCabinet& getNext, const FciStatusCallback& status) {
    if (m_broken) {
        m_erf = *m_broken;
        return false;
    }
    if (!m_folder) return true;
    try {
        std::vector<DataBlock> blocks;
        m_compressor->finish(blocks);
        if (!storeBlocks(blocks, status)) return false;
    } catch (const std::bad_alloc&) {
        return failBroken(FCIERR_ALLOC_FAIL);
    } catch (const std::exception& e) {
        return failBroken(FCIERR_MCI_FAIL, 0, e.what());
    }
    m_compressor.reset();
    std::shared_ptr<FolderData> folder = std::move(m_folder);
    m_folder.reset();
    if (status) {
        const std::uint32_t size = clamp32(folder->spool->size());
        if (status(FciStatus::Folder, size, size) == -1) return failBroken(FCIERR_USER_ABORT);
    }
    FolderSlice slice;
    slice.folder = folder;
    slice.endRecord = folder->records.size();
    m_slices.push_back(std::move(slice));
    return placeFolders(getNext, status);
}

// Keeps the cabinet being filled within its limits: while it is too large, its last folder is
// cut, the full cabinet written, and the rest carried into the next cabinet.
bool CabinetEngine::placeFolders(const FciGetNextCabinet& getNext, const FciStatusCallback& status) {
    for (;;) {
        CabinetPlan plan = currentPlan();
        std::vector<FileListing> files = listFiles(plan);
        const std::uint64_t limit = sizeLimit();
        const std::uint64_t room = limit > kNextNamesReserve ? limit - kNextNamesReserve : 0;
        if (plan.slices.size() > kMaxFoldersPerCabinet)
            return failBroken(FCIERR_CAB_FORMAT_LIMIT, 0, "A cabinet holds at most 65533 folders");
        if (files.size() > kMaxFilesPerCabinet)
            return failBroken(FCIERR_CAB_FORMAT_LIMIT, 0, "A cabinet holds at most 65535 files");
        if (cabinetBytes(plan, files) <= room) return true;
        FolderSlice carried;

        FolderSlice& last = plan.slices.back();
        const std::uint64_t fixed = cabinetBytes(plan, files) - last.recordBytes();
        if (!splitSlice(last, fixed, room, carried)) {
            if (plan.slices.size() == 1 || last.continuedFromPrev)
                return failBroken(FCIERR_CAB_FORMAT_LIMIT, 0,
                                  "The cabinet size limit of " + std::to_string(limit) +
                                      " bytes leaves no room for " + m_ccab.szCab + "'s data");
            carried = last;
            plan.slices.pop_back();
        }
        if (!startNextCabinet(plan, getNext) || !writeCabinet(plan, status)) return false;
        m_slices = {std::move(carried)};
    }
}

// Cuts slice so that its bytes fit room after fixed bytes: it ends with a fragment of the record
// that does not fit, and carried receives the rest. false when not even a fragment fits.
bool CabinetEngine::splitSlice(FolderSlice& slice, std::uint64_t fixed, std::uint64_t room,
                               FolderSlice& carried) {
    const std::vector<StoredRecord>& records = slice.folder->records;
    const std::uint64_t headerSize = kDataHeaderSize + m_firstCcab.cbReserveCFData;
    std::uint64_t size = fixed;
    std::size_t index = slice.firstRecord;
    std::uint32_t tailEnd = 0;
    for (; index < slice.endRecord; ++index) {
        const std::uint32_t begin = slice.payloadBegin(index);
        const std::uint32_t part = records[index].payloadSize - begin;
        if (size + headerSize + part <= room) {
            size += headerSize + part;
            continue;
        }
        // Each side of a cut keeps at least one payload byte.
        if (size + headerSize < room && part >= 2) {
            tailEnd = begin +
                      static_cast<std::uint32_t>(std::min<std::uint64_t>(room - size - headerSize, part - 1));
        } else if (index > slice.firstRecord &&
                   records[index - 1].payloadSize - slice.payloadBegin(index - 1) >= 2) {
            --index;  // the previous record fitted whole; cut it instead, leaving one byte over
            tailEnd = records[index].payloadSize - 1;
        } else {
            return false;
        }
        break;
    }
    if (tailEnd == 0) return false;
    carried = slice;
    carried.firstRecord = index;
    carried.headSkip = tailEnd;
    carried.continuedFromPrev = true;
    slice.endRecord = index + 1;
    slice.tailEnd = tailEnd;
    slice.continuesToNext = true;
    FolderData& folder = *slice.folder;
    if (!folder.continuedFiles) {
        const std::uint64_t end = slice.endOffset();
        std::size_t first = 0;
        while (first < folder.files.size() && liesBefore(folder.files[first], end))
            ++first;
        folder.continuedFiles = first;
    }
    return true;
}

// Asks for the successor of finished, names it there, and makes it the cabinet being filled.
bool CabinetEngine::startNextCabinet(CabinetPlan& finished, const FciGetNextCabinet& getNext) {
    TCCAB next = m_ccab;
    ++next.iCab;
    const std::uint32_t estimate = clamp32(cabinetBytes(finished, listFiles(finished)));
    if (!getNext || !getNext(next, estimate)) return failBroken(FCIERR_USER_ABORT);
    finished.hasNext = true;
    finished.nextCabinet = next.szCab;
    finished.nextDisk = next.szDisk;
    if (finished.nextCabinet.empty())
        return failBroken(FCIERR_CAB_FORMAT_LIMIT, 0,
                          "The cabinet following " + finished.prevCabinet + " has no name");
    m_hasPrev = true;
    m_prevCabinet = m_ccab.szCab;
    m_prevDisk = m_ccab.szDisk;
    m_ccab = next;
    m_slices.clear();
    return true;
}

bool CabinetEngine::flushCabinet(bool getNextCabinet, const FciGetNextCabinet& getNext,
                                 const FciStatusCallback& status) {
    if (!flushFolder(getNext, status)) return false;
    if (m_slices.empty()) {
        // Nothing new: an announced cabinet becomes the last of its set unless more is asked.
        return getNextCabinet || !m_pending || writePending(false, status);
    }
    if (m_pending && !writePending(true, status)) return false;
    CabinetPlan plan = currentPlan();
    if (getNextCabinet) {
        if (!startNextCabinet(plan, getNext)) return false;
        m_pending = std::move(plan);
        return true;
    }
    if (!writeCabinet(plan, status)) return false;
    m_slices.clear();
    m_hasPrev = false;
    return true;
}

bool CabinetEngine::writePending(bool withNext, const FciStatusCallback& status) {
    CabinetPlan plan = std::move(*m_pending);
    m_pending.reset();
    if (!withNext) {
        plan.hasNext = false;
        m_hasPrev = false;
    }
    return writeCabinet(plan, status);
}

// Whole records are copied from the spool as they are; the parts of a cut record get a header of
// their own, with their own checksum.
bool CabinetEngine::writeSlice(const FolderSlice& slice, ByteSink& sink) {
    Spool& spool = *slice.folder->spool;
    const std::vector<StoredRecord>& records = slice.folder->records;
    const std::uint64_t headerSize = kDataHeaderSize + m_firstCcab.cbReserveCFData;
    std::size_t index = slice.firstRecord;
    while (index < slice.endRecord) {
        const StoredRecord& record = records[index];
        const std::uint32_t begin = slice.payloadBegin(index);
        const std::uint32_t end = slice.payloadEnd(index);
        if (begin == 0 && end == record.payloadSize) {
            std::size_t last = index + 1;  // a run of whole records goes in one copy
            while (last < slice.endRecord && slice.payloadBegin(last) == 0 &&
                   slice.payloadEnd(last) == records[last].payloadSize)
                ++last;
            const StoredRecord& final = records[last - 1];
            if (!spool.copyTo(sink, record.spoolOffset,
                              final.spoolOffset + final.recordSize - record.spoolOffset))
                return false;
            index = last;
            continue;
        }
        std::vector<std::uint8_t> part(end - begin);
        if (!spool.read(record.spoolOffset + headerSize + begin, part)) return false;
        const auto uncompressed =
            static_cast<std::uint16_t>(end == record.payloadSize ? record.uncompressedSize : 0);
        LittleEndianWriter header;
        header.u32(dataBlockChecksum(part, uncompressed));
        header.u16(static_cast<std::uint16_t>(part.size()));
        header.u16(uncompressed);
        header.zeros(m_firstCcab.cbReserveCFData);
        if (!sink.write(header.take()) || !sink.write(part)) return false;
        ++index;
    }
    return true;
}

bool CabinetEngine::writeCabinet(CabinetPlan& plan, const FciStatusCallback& status) {
    std::vector<FileListing> files = listFiles(plan);
    if (files.empty()) return true;
    for (const FileListing& entry : files) {
        const bool continuation = entry.file->placed;
        entry.file->placed = true;
        if (m_callbacks.filePlaced &&
            m_callbacks.filePlaced(plan.ccab, entry.file->name, entry.file->size, continuation) == -1)
            return failBroken(FCIERR_USER_ABORT);
    }
    const std::vector<std::uint8_t> header = encodeHeader(plan, files);
    const std::uint64_t size = cabinetBytes(plan, files);
    const std::string path = std::string(plan.ccab.szCabPath) + plan.ccab.szCab;

    int error = 0;
    std::unique_ptr<ByteSink> sink =
        m_callbacks.createCabinet ? m_callbacks.createCabinet(path, error) : nullptr;
    if (!sink) return failBroken(FCIERR_CAB_FILE, error != 0 ? error : EIO);
    bool ok = sink->write(header);
    int writeError = sink->lastError();
    for (const FolderSlice& slice : plan.slices) {
        if (!ok) break;
        ok = writeSlice(slice, *sink);
        writeError = sink->lastError() != 0 ? sink->lastError() : slice.folder->spool->lastError();
    }
    if (ok) {
        ok = sink->finish();
        writeError = sink->lastError();
    }
    if (!ok) {
        sink->discard();
        return failBroken(FCIERR_CAB_FILE, writeError != 0 ? writeError : EIO);
    }
    if (status && status(FciStatus::Cabinet, clamp32(size), clamp32(size)) == -1)
        return failBroken(FCIERR_USER_ABORT);
    return true;
}

}  // namespace corvane::cabinet
