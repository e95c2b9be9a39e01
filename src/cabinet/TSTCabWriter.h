#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "cabinet/FciTypes.h"

namespace corvane::cabinet {

class ByteSink;
class CabinetEngine;

enum TSTCabCompressionType { cctNone, cctMsZip, cctLzx };
using TSTCabLzxLevel = int;  // LZX window size as a power of two, 15 to 21

// Writes cabinet archives: Open a first cabinet, AddFile any number of times, Close with a flush.
// Further cabinets of a set are named from the templates; every engine failure is raised as an
// ESTCabinet.
class TSTCabWriter {
public:
    TSTCabWriter();
    ~TSTCabWriter();  // closes without flushing
    TSTCabWriter(const TSTCabWriter&) = delete;
    TSTCabWriter& operator=(const TSTCabWriter&) = delete;

    std::uint32_t CabinetSizeThreshold() const { return m_cabinetSizeThreshold; }
    void setCabinetSizeThreshold(std::uint32_t value) { m_cabinetSizeThreshold = value; }
    std::uint32_t CabinetFileCountThreshold() const { return m_cabinetFileCountThreshold; }
    void setCabinetFileCountThreshold(std::uint32_t value) { m_cabinetFileCountThreshold = value; }
    std::uint32_t FolderSizeThreshold() const { return m_folderSizeThreshold; }
    void setFolderSizeThreshold(std::uint32_t value) { m_folderSizeThreshold = value; }
    std::uint32_t FolderFileCountThreshold() const { return m_folderFileCountThreshold; }
    void setFolderFileCountThreshold(std::uint32_t value) { m_folderFileCountThreshold = value; }
    std::uint32_t ReservePerCabinetSize() const { return m_reservePerCabinetSize; }
    void setReservePerCabinetSize(std::uint32_t value) { m_reservePerCabinetSize = value; }
    std::uint32_t ReservePerFolderSize() const { return m_reservePerFolderSize; }
    void setReservePerFolderSize(std::uint32_t value) { m_reservePerFolderSize = value; }
    std::uint32_t ReservePerDataSize() const { return m_reservePerDataSize; }
    void setReservePerDataSize(std::uint32_t value) { m_reservePerDataSize = value; }
    std::uint16_t SetID() const { return m_setID; }
    void setSetID(std::uint16_t value) { m_setID = value; }
    const std::string& CabinetNameTemplate() const { return m_cabinetNameTemplate; }
    void setCabinetNameTemplate(const std::string& value) { m_cabinetNameTemplate = value; }
    const std::string& CabinetPathTemplate() const { return m_cabinetPathTemplate; }
    void setCabinetPathTemplate(const std::string& value) { m_cabinetPathTemplate = value; }
    const std::string& DiskLabelTemplate() const { return m_diskLabelTemplate; }
    void setDiskLabelTemplate(const std::string& value) { m_diskLabelTemplate = value; }
    TSTCabCompressionType CompressionType() const { return m_compressionType; }
    void setCompressionType(TSTCabCompressionType value);
    TSTCabLzxLevel CompressionLzxLevel() const { return m_compressionLzxLevel; }
    void setCompressionLzxLevel(TSTCabLzxLevel value);

    // The engine's compression code for the two properties above.
    std::uint16_t compressionCode() const { return m_compressionCode; }
    bool isOpen() const { return m_engine != nullptr; }
    const TCCAB& currentCabinet() const { return m_ccab; }
    const ERF& errorRecord() const { return m_erf; }

    void Open(const std::string& cabinetPath);
    void AddFile(const std::string& sourcePath, const std::string& nameInCabinet, bool execute);
    void Close(bool flush);
    void FlushCabinet(bool startNext);
    void FlushFolder();

    std::string CabinetName(int number) const;
    std::string CabinetPath(int number) const;
    std::string DiskLabel(int number) const;

    std::function<void(TSTCabWriter& sender, const TCCAB& aCCab, const std::string& aFileName,
                       std::int64_t aFileSize, bool aContinuation, bool& anAbort)>
        OnFilePlaced;
    std::function<void(TSTCabWriter& sender, TCCAB& aCCab, std::uint32_t aPrevCabSize, bool& anAbort)>
        OnGetNextCabinet;
    std::function<void(TSTCabWriter& sender, std::uint32_t aCompressedBlockSize,
                       std::uint32_t anUncompressedBlockSize, bool& anAbort)>
        OnFileStatus;
    std::function<void(TSTCabWriter& sender, std::uint32_t aCopiedSize, std::uint32_t aTotalSize,
                       bool& anAbort)>
        OnFolderStatus;
    std::function<void(TSTCabWriter& sender, std::uint32_t aPrevEstimatedSize, std::uint32_t anActualSize,
                       std::uint32_t& aDesiredSize, bool& anAbort)>
        OnCabinetStatus;
    std::function<void(TSTCabWriter& sender, bool& anAbort)> OnProgress;
    std::function<void(TSTCabWriter& sender, const std::string& aFileName, bool& aSkip)> OnBeforeFileAdd;

    // Where cabinets are written; files by default. Tests put memory or failing sinks here.
    using SinkFactory = std::function<std::unique_ptr<ByteSink>(const std::string& path, int& error)>;
    void setSinkFactory(SinkFactory factory) { m_sinkFactory = std::move(factory); }
    // Makes each folder's compressor, for the type the compression settings give; the built-in
    // one when unset. Tests put encoders with options of their own here.
    using CompressorFactory =
        std::function<std::unique_ptr<codec::FolderCompressor>(std::uint16_t typeCompress)>;
    void setCompressorFactory(CompressorFactory factory) { m_compressorFactory = std::move(factory); }
    // Threads the built-in compressors may lend a large file's jobs to; the cabinet's bytes are
    // the same with or without. The queue must outlive the writer's Close.
    void setJobQueue(codec::JobQueue* jobs) { m_jobs = jobs; }

private:
    void recomputeCompressionCode();
    bool nextCabinet(TCCAB& ccab, std::uint32_t prevCabinetSize);
    long status(FciStatus kind, std::uint32_t first, std::uint32_t second);
    int filePlaced(const TCCAB& ccab, const std::string& name, std::uint32_t size, bool continuation);
    void prepareCabinetFolder(const TCCAB& ccab);
    [[noreturn]] void raise() const;
    void requireOpen(const char* operation) const;

    std::uint32_t m_cabinetSizeThreshold = 0;
    std::uint32_t m_cabinetFileCountThreshold = 0;
    std::uint32_t m_folderSizeThreshold = 0;
    std::uint32_t m_folderFileCountThreshold = 0;
    std::uint32_t m_reservePerCabinetSize = 0;
    std::uint32_t m_reservePerFolderSize = 0;
    std::uint32_t m_reservePerDataSize = 0;
    std::uint16_t m_setID = 0;
    std::string m_cabinetNameTemplate;
    std::string m_cabinetPathTemplate;
    std::string m_diskLabelTemplate;
    TSTCabCompressionType m_compressionType = cctLzx;
    TSTCabLzxLevel m_compressionLzxLevel = 21;
    std::uint16_t m_compressionCode = 0;

    std::unique_ptr<CabinetEngine> m_engine;
    ERF m_erf;
    TCCAB m_ccab;
    std::string m_firstCabinetPath;
    std::uint32_t m_cabinetFileCount = 0;
    std::uint32_t m_folderFileCount = 0;
    int m_progressCountdown = 0;
    SinkFactory m_sinkFactory;
    CompressorFactory m_compressorFactory;
    codec::JobQueue* m_jobs = nullptr;
};

}  // namespace corvane::cabinet
