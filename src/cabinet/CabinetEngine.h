#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cabinet/CabinetPlan.h"
#include "cabinet/FciTypes.h"

namespace corvane::codec {
class FolderCompressor;
struct DataBlock;
}  // namespace corvane::codec

namespace corvane::cabinet {

class ByteSink;

// Corvane's cabinet engine: the operations of FCI (create, add a file, flush a folder, flush a
// cabinet, destroy) with its callbacks, thresholds and error record. See CabinetEngine.cpp.
class CabinetEngine {
public:
    // nullptr when the parameters cannot make a cabinet; erf says why.
    static std::unique_ptr<CabinetEngine> create(ERF& erf, FciCallbacks callbacks, const TCCAB& ccab);
    ~CabinetEngine();
    CabinetEngine(const CabinetEngine&) = delete;
    CabinetEngine& operator=(const CabinetEngine&) = delete;

    bool addFile(const std::string& sourcePath, const std::string& nameInCabinet, bool execute,
                 const FciGetNextCabinet& getNext, const FciStatusCallback& status,
                 const FciOpenInfo& openInfo, std::uint16_t typeCompress);
    bool flushFolder(const FciGetNextCabinet& getNext, const FciStatusCallback& status);
    bool flushCabinet(bool getNextCabinet, const FciGetNextCabinet& getNext, const FciStatusCallback& status);
    // Releases the temporary storage; what was not flushed is dropped. Always succeeds.
    bool destroy();

private:
    CabinetEngine(ERF& erf, FciCallbacks callbacks, const TCCAB& ccab);

    bool fail(FciError code, int systemError = 0, std::string detail = {});
    bool failBroken(FciError code, int systemError = 0, std::string detail = {});
    std::unique_ptr<codec::FolderCompressor> newCompressor(std::uint16_t typeCompress) const;
    // The steps of addFile.
    bool checkFileFits(const std::string& sourcePath, std::uint64_t size);
    bool makeRoomInFolder(std::uint16_t typeCompress, std::uint64_t size,
                          std::unique_ptr<codec::FolderCompressor> compressor,
                          const FciGetNextCabinet& getNext, const FciStatusCallback& status);
    StoredFile storedFileEntry(const std::string& nameInCabinet, const FciSourceInfo& source,
                               bool execute) const;
    bool compressSource(const std::string& sourcePath, ByteSource& source, const FciStatusCallback& status,
                        std::uint64_t& total);
    bool startFolder(std::uint16_t typeCompress);
    bool storeBlocks(std::vector<codec::DataBlock>& blocks, const FciStatusCallback& status);
    bool placeFolders(const FciGetNextCabinet& getNext, const FciStatusCallback& status);
    bool splitSlice(FolderSlice& slice, std::uint64_t fixed, std::uint64_t room, FolderSlice& carried);
    bool writeSlice(const FolderSlice& slice, ByteSink& sink);
    bool startNextCabinet(CabinetPlan& finished, const FciGetNextCabinet& getNext);
    bool writePending(bool withNext, const FciStatusCallback& status);
    bool writeCabinet(CabinetPlan& plan, const FciStatusCallback& status);
    CabinetPlan currentPlan() const;
    std::uint64_t sizeLimit() const;
    std::size_t filesInCabinet() const;

    ERF& m_erf;
    std::optional<ERF> m_broken;  // set once the state is no longer trustworthy
    FciCallbacks m_callbacks;
    TCCAB m_ccab;       // the cabinet being filled
    TCCAB m_firstCcab;  // reserves stay as created for the whole set
    bool m_hasPrev = false;
    std::string m_prevCabinet, m_prevDisk;

    std::shared_ptr<FolderData> m_folder;  // the open folder, if any
    std::unique_ptr<codec::FolderCompressor> m_compressor;
    std::vector<FolderSlice> m_slices;     // finished folders waiting for their cabinet
    std::optional<CabinetPlan> m_pending;  // a full cabinet whose successor has no file yet
    std::vector<std::uint8_t> m_recordBuffer;
};

}  // namespace corvane::cabinet
