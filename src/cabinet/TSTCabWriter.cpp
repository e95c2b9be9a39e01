#include "cabinet/TSTCabWriter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "cabinet/ByteSink.h"
#include "cabinet/CabinetEngine.h"
#include "cabinet/CabinetFormat.h"
#include "cabinet/CompressorFactory.h"
#include "cabinet/DosDateTime.h"
#include "cabinet/ESTCabinet.h"

namespace corvane::cabinet {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kUnlimited = kMaxCabinetBytes;  // what a size threshold of 0 stands for
constexpr int kProgressInterval = 8;                    // OnProgress on every ninth block report
constexpr char kSeparator = static_cast<char>(fs::path::preferred_separator);

std::string replaceStars(const std::string& text, int number) {
    std::string result;
    for (const char c : text) {
        if (c == '*')
            result += std::to_string(number);
        else
            result += c;
    }
    return result;
}

std::string withSeparator(std::string folder) {
    if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
    return folder;
}

// The source's size, local modification time and attributes, the way Windows tools see them:
// a file the owner may not write is read-only; every file carries the archive bit, as a file
// written on Windows does.
FciSourceInfo openSource(const std::string& path, int& error) {
    FciSourceInfo info;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        error = errno;
        return info;
    }
    if (S_ISDIR(status.st_mode)) {
        error = EISDIR;
        return info;
    }
    info.source = FileSource::open(path, error);
    if (!info.source) return info;
    info.size = static_cast<std::uint64_t>(status.st_size);
    const DosDateTime stamp = toDosDateTime(status.st_mtime);
    info.date = stamp.date;
    info.time = stamp.time;
    info.attribs = kAttribArchive | ((status.st_mode & S_IWUSR) ? 0 : kAttribReadOnly);
    return info;
}

}  // namespace

TSTCabWriter::TSTCabWriter() {
    recomputeCompressionCode();
}

TSTCabWriter::~TSTCabWriter() {
    try {
        Close(false);
    } catch (...) {
    }
}

void TSTCabWriter::setCompressionType(TSTCabCompressionType value) {
    m_compressionType = value;
    recomputeCompressionCode();
}

void TSTCabWriter::setCompressionLzxLevel(TSTCabLzxLevel value) {
    m_compressionLzxLevel = value;
    recomputeCompressionCode();
}

void TSTCabWriter::recomputeCompressionCode() {
    switch (m_compressionType) {
        case cctNone:
            m_compressionCode = kCompressNone;
            return;
        case cctMsZip:
            m_compressionCode = kCompressMsZip;
            return;
        case cctLzx:
            if (m_compressionLzxLevel >= kLzxMinWindowBits && m_compressionLzxLevel <= kLzxMaxWindowBits) {
                m_compressionCode = lzxCompressType(m_compressionLzxLevel);
                return;
            }
            break;
    }
    m_compressionCode = kCompressBad;
}

std::string TSTCabWriter::CabinetName(int number) const {
    std::string pattern = m_cabinetNameTemplate;
    if (pattern.empty()) {
        const std::string name = fs::path(m_firstCabinetPath).filename().string();
        const std::size_t dot = std::min(name.rfind('.'), name.size());
        pattern = name.substr(0, dot) + '*' + name.substr(dot);
    }
    return replaceStars(pattern, number);
}

std::string TSTCabWriter::CabinetPath(int number) const {
    if (m_cabinetPathTemplate.empty())
        return withSeparator(fs::path(m_firstCabinetPath).parent_path().string());
    return withSeparator(replaceStars(m_cabinetPathTemplate, number));
}

std::string TSTCabWriter::DiskLabel(int number) const {
    return replaceStars(m_diskLabelTemplate.empty() ? std::string("Disk*") : m_diskLabelTemplate, number);
}

void TSTCabWriter::raise() const {
    throw ESTCabinet(m_erf);
}

void TSTCabWriter::requireOpen(const char* operation) const {
    if (!m_engine) throw ESTCabinet(std::string(operation) + ": the cabinet writer has no open cabinet");
}

void TSTCabWriter::prepareCabinetFolder(const TCCAB& ccab) {
    std::error_code ignored;  // a folder that cannot be made fails when the cabinet is written
    fs::create_directories(fs::path(ccab.szCabPath), ignored);
    fs::remove(fs::path(std::string(ccab.szCabPath) + ccab.szCab), ignored);
}

void TSTCabWriter::Open(const std::string& cabinetPath) {
    Close(false);
    m_firstCabinetPath = fs::absolute(fs::path(cabinetPath)).lexically_normal().string();

    m_erf = ERF{};
    m_ccab = TCCAB{};
    m_ccab.cb = m_cabinetSizeThreshold == 0 ? kUnlimited : m_cabinetSizeThreshold;
    m_ccab.cbFolderThresh = m_folderSizeThreshold == 0 ? kUnlimited : m_folderSizeThreshold;
    m_ccab.cbReserveCFHeader = m_reservePerCabinetSize;
    m_ccab.cbReserveCFFolder = m_reservePerFolderSize;
    m_ccab.cbReserveCFData = m_reservePerDataSize;
    m_ccab.iCab = 0;
    m_ccab.iDisk = 1;
    m_ccab.setID = m_setID;
    const fs::path first(m_firstCabinetPath);
    if (!setCcabString(m_ccab.szDisk, DiskLabel(1)) ||
        !setCcabString(m_ccab.szCab, first.filename().string()) ||
        !setCcabString(m_ccab.szCabPath, first.parent_path().string()))
        throw ESTCabinet("Could not create cabinet file " + m_firstCabinetPath +
                         ": its name, folder or disk label has more than 255 bytes");

    bool abort = false;
    if (OnGetNextCabinet) OnGetNextCabinet(*this, m_ccab, 0, abort);
    if (abort) return;

    if (!setCcabString(m_ccab.szCabPath, withSeparator(m_ccab.szCabPath)))
        throw ESTCabinet("Could not create cabinet file " + m_firstCabinetPath +
                         ": its folder has more than 254 bytes");
    prepareCabinetFolder(m_ccab);

    m_cabinetFileCount = 0;
    m_folderFileCount = 0;
    m_progressCountdown = 0;
    FciCallbacks callbacks;
    callbacks.filePlaced = [this](const TCCAB& ccab, const std::string& name, std::uint32_t size,
                                  bool continuation) { return filePlaced(ccab, name, size, continuation); };
    callbacks.createCabinet = [this](const std::string& path, int& error) -> std::unique_ptr<ByteSink> {
        if (m_sinkFactory) return m_sinkFactory(path, error);
        return FileSink::create(path, error);
    };
    callbacks.makeCompressor = m_compressorFactory;
    if (!callbacks.makeCompressor && m_jobs != nullptr)
        callbacks.makeCompressor = [jobs = m_jobs](std::uint16_t type) {
            return makeFolderCompressor(type, jobs);
        };
    m_engine = CabinetEngine::create(m_erf, std::move(callbacks), m_ccab);
    if (!m_engine) raise();
}

void TSTCabWriter::AddFile(const std::string& sourcePath, const std::string& nameInCabinet, bool execute) {
    bool skip = false;
    if (OnBeforeFileAdd) OnBeforeFileAdd(*this, sourcePath, skip);
    if (skip) return;
    requireOpen("AddFile");

    if (m_cabinetFileCountThreshold != 0 && m_cabinetFileCount >= m_cabinetFileCountThreshold)
        FlushCabinet(true);
    else if (m_folderFileCountThreshold != 0 && m_folderFileCount >= m_folderFileCountThreshold)
        FlushFolder();

    const std::string name =
        !nameInCabinet.empty() && nameInCabinet.front() == '\\' ? nameInCabinet.substr(1) : nameInCabinet;
    const auto getNext = [this](TCCAB& ccab, std::uint32_t size) { return nextCabinet(ccab, size); };
    const auto onStatus = [this](FciStatus kind, std::uint32_t a, std::uint32_t b) {
        return status(kind, a, b);
    };
    if (!m_engine->addFile(sourcePath, name, execute, getNext, onStatus, openSource, m_compressionCode))
        raise();
    ++m_cabinetFileCount;
    ++m_folderFileCount;
}

void TSTCabWriter::Close(bool flush) {
    if (!m_engine) return;
    if (flush) FlushCabinet(false);
    std::unique_ptr<CabinetEngine> engine = std::move(m_engine);
    if (!engine->destroy()) raise();
}

void TSTCabWriter::FlushCabinet(bool startNext) {
    requireOpen("FlushCabinet");
    const auto getNext = [this](TCCAB& ccab, std::uint32_t size) { return nextCabinet(ccab, size); };
    const auto onStatus = [this](FciStatus kind, std::uint32_t a, std::uint32_t b) {
        return status(kind, a, b);
    };
    if (!m_engine->flushCabinet(startNext, getNext, onStatus)) raise();
    m_cabinetFileCount = 0;
    m_folderFileCount = 0;
}

void TSTCabWriter::FlushFolder() {
    requireOpen("FlushFolder");
    const auto getNext = [this](TCCAB& ccab, std::uint32_t size) { return nextCabinet(ccab, size); };
    const auto onStatus = [this](FciStatus kind, std::uint32_t a, std::uint32_t b) {
        return status(kind, a, b);
    };
    if (!m_engine->flushFolder(getNext, onStatus)) raise();
    m_folderFileCount = 0;
}

bool TSTCabWriter::nextCabinet(TCCAB& ccab, std::uint32_t prevCabinetSize) {
    ++ccab.iDisk;
    if (!setCcabString(ccab.szDisk, DiskLabel(ccab.iDisk)) ||
        !setCcabString(ccab.szCab, CabinetName(ccab.iCab)) ||
        !setCcabString(ccab.szCabPath, CabinetPath(ccab.iDisk)))
        return false;
    bool abort = false;
    if (OnGetNextCabinet) OnGetNextCabinet(*this, ccab, prevCabinetSize, abort);
    if (!abort) prepareCabinetFolder(ccab);
    m_ccab = ccab;
    m_cabinetFileCount = 0;
    m_folderFileCount = 0;
    return !abort;
}

long TSTCabWriter::status(FciStatus kind, std::uint32_t first, std::uint32_t second) {
    bool abort = false;
    switch (kind) {
        case FciStatus::File:
            if (OnFileStatus) OnFileStatus(*this, first, second, abort);
            if (m_progressCountdown < 0 && OnProgress && !abort) {
                OnProgress(*this, abort);
                m_progressCountdown = kProgressInterval;
            }
            --m_progressCountdown;
            return abort ? -1 : 0;
        case FciStatus::Folder:
            if (OnFolderStatus) OnFolderStatus(*this, first, second, abort);
            m_folderFileCount = 0;
            return abort ? -1 : 0;
        case FciStatus::Cabinet: {
            std::uint32_t desired = 0;
            if (OnCabinetStatus) OnCabinetStatus(*this, first, second, desired, abort);
            m_cabinetFileCount = 0;
            m_folderFileCount = 0;
            return abort ? -1 : static_cast<long>(desired);
        }
    }
    return 0;
}

int TSTCabWriter::filePlaced(const TCCAB& ccab, const std::string& name, std::uint32_t size,
                             bool continuation) {
    bool abort = false;
    if (OnFilePlaced) OnFilePlaced(*this, ccab, name, size, continuation, abort);
    return abort ? -1 : 0;
}

}  // namespace corvane::cabinet
