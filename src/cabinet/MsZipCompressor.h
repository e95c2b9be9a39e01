#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "codec/FolderCompressor.h"
#include "codec/JobQueue.h"

namespace corvane::cabinet {

// Type 1: each record is "CK" and a complete raw deflate stream for its 32 KiB, which may refer
// back into the previous record's bytes. See MsZipCompressor.cpp.
class MsZipCompressor final : public codec::FolderCompressor {
public:
    // Batches of records run on `jobs` when given, else here.
    explicit MsZipCompressor(codec::JobQueue* jobs = nullptr);
    ~MsZipCompressor() override;
    void write(std::span<const std::uint8_t> data, std::vector<codec::DataBlock>& out) override;
    void finish(std::vector<codec::DataBlock>& out) override;

private:
    class Batch;
    void post(std::vector<codec::DataBlock>& out);
    void writeFirstBatch(std::vector<codec::DataBlock>& out);

    std::unique_ptr<codec::JobQueue> m_ownQueue;  // when no queue is lent: every batch runs here
    codec::JobQueue& m_queue;
    std::deque<std::shared_ptr<Batch>> m_inFlight;  // posted, not yet written, in stream order
    std::vector<std::uint8_t> m_batch;              // uncompressed bytes of the records to post next
    std::vector<std::uint8_t> m_history;            // the uncompressed bytes of the record before them
};

}  // namespace corvane::cabinet
