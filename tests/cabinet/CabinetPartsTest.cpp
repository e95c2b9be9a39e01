#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "TestData.h"
#include "cabinet/Checksum.h"
#include "cabinet/DosDateTime.h"
#include "cabinet/ESTCabinet.h"
#include "cabinet/FciTypes.h"
#include "cabinet/MsZipCompressor.h"
#include "cabinet/NoneCompressor.h"
#include "codec/JobQueue.h"

namespace corvane::cabinet {
namespace {

using codec::DataBlock;
using codec::kBlockSize;

TEST(CabinetChecksum, PacksLeftoverBytesHighFirst) {
    const std::uint8_t bytes[] = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(cabinetChecksum(std::span(bytes, 4), 0), 0x04030201u);
    EXPECT_EQ(cabinetChecksum(std::span(bytes, 5), 0), 0x04030204u);
    EXPECT_EQ(cabinetChecksum(std::span(bytes, 7), 0), 0x04060406u);
    EXPECT_EQ(cabinetChecksum({}, 0x12345678), 0x12345678u);
    // The size fields are a second pass seeded with the payload's sum.
    EXPECT_EQ(dataBlockChecksum(std::span(bytes, 5), 0x8000), 0x04030204u ^ (5u | 0x8000u << 16));
}

TEST(MsZipCompressor, StoresIncompressibleBlocksWithinTheLimit) {
    MsZipCompressor compressor;
    std::vector<DataBlock> blocks;
    compressor.write(test::randomBytes(2 * kBlockSize + 10, 1), blocks);
    compressor.finish(blocks);
    ASSERT_EQ(blocks.size(), 3u);
    for (std::size_t i = 0; i < 2; ++i) {
        const DataBlock& block = blocks[i];
        ASSERT_EQ(block.data.size(), block.uncompressedSize + 7u);
        EXPECT_EQ(block.data[0], 'C');
        EXPECT_EQ(block.data[1], 'K');
        EXPECT_EQ(block.data[2], 0x01);  // one final stored block
    }
    EXPECT_EQ(blocks[0].uncompressedSize, kBlockSize);
    EXPECT_EQ(blocks[2].uncompressedSize, 10);
    EXPECT_LE(blocks[2].data.size(), 10u + 7u);
}

TEST(MsZipCompressor, UsesThePreviousBlockAsHistory) {
    // The second block repeats the first one's second half (16 KiB back, within deflate's reach).
    const std::vector<std::uint8_t> half = test::randomBytes(kBlockSize / 2, 2);
    std::vector<std::uint8_t> bytes = test::randomBytes(kBlockSize / 2, 3);
    for (int i = 0; i < 3; ++i)
        bytes.insert(bytes.end(), half.begin(), half.end());
    MsZipCompressor compressor;
    std::vector<DataBlock> blocks;
    compressor.write(bytes, blocks);
    compressor.finish(blocks);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_LT(blocks[1].data.size(), 1000u);  // a copy of the block before
}

// Records are compressed in batches on the build's threads; the first record of a batch still
// refers back into the last one of the batch before, and threads change no byte.
TEST(MsZipCompressor, BatchesOnSeveralThreadsKeepTheHistoryAndTheBytes) {
    constexpr std::size_t kRecords = 40;  // more than two batches
    // Every record opens with the second half of the one before: 16 KiB back, within reach.
    std::vector<std::uint8_t> bytes = test::randomBytes(kBlockSize / 2, 10);
    for (std::size_t r = 0; r < kRecords; ++r) {
        const std::vector<std::uint8_t> half =
            test::randomBytes(kBlockSize / 2, static_cast<unsigned>(11 + r));
        bytes.insert(bytes.end(), half.begin(), half.end());
        if (r + 1 < kRecords) bytes.insert(bytes.end(), half.begin(), half.end());
    }
    bytes.resize(kRecords * kBlockSize);
    const auto compress = [&](codec::JobQueue* jobs) {
        MsZipCompressor compressor(jobs);
        std::vector<DataBlock> blocks;
        compressor.write(bytes, blocks);
        compressor.finish(blocks);
        return blocks;
    };
    const std::vector<DataBlock> alone = compress(nullptr);
    ASSERT_EQ(alone.size(), kRecords);
    for (std::size_t r = 1; r < kRecords; ++r)
        EXPECT_LT(alone[r].data.size(), kBlockSize / 2 + 1000) << "record " << r << " missed the one before";
    codec::JobQueue queue(3);
    const codec::ServingThreads helpers(queue);
    const std::vector<DataBlock> shared = compress(&queue);
    ASSERT_EQ(shared.size(), alone.size());
    for (std::size_t r = 0; r < kRecords; ++r)
        EXPECT_TRUE(shared[r].data == alone[r].data) << "record " << r;
}

// What a job throws reaches the thread that waits for it, wherever the job ran; a cancel
// drops the jobs nobody has taken, and waiting for one of them says so.
TEST(JobQueue, FailuresReachTheWaiterAndACancelDropsWhatIsPending) {
    struct Failing final : codec::Job {
        void run(const codec::JobQueue&) override { throw std::runtime_error("disk full"); }
    };
    struct Counting final : codec::Job {
        int* runs;
        explicit Counting(int* r) : runs(r) {}
        void run(const codec::JobQueue&) override { ++*runs; }
    };
    codec::JobQueue queue(2);
    const auto failing = std::make_shared<Failing>();
    queue.post(failing);
    EXPECT_TRUE(queue.runOne());  // another thread ran it
    try {
        queue.wait(*failing);
        ADD_FAILURE() << "the failure was lost";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "disk full");
    }
    int runs = 0;
    const auto pending = std::make_shared<Counting>(&runs);
    queue.post(pending);
    queue.cancel();
    EXPECT_TRUE(queue.cancelled());
    EXPECT_THROW(queue.wait(*pending), codec::JobsCancelled);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(queue.unfinished(), 0u);
}

TEST(NoneCompressor, CutsTheStreamIntoFullBlocks) {
    NoneCompressor compressor;
    std::vector<DataBlock> blocks;
    const std::vector<std::uint8_t> bytes = test::textBytes(kBlockSize + 5, 3);
    compressor.write(std::span(bytes).first(100), blocks);
    compressor.write(std::span(bytes).subspan(100), blocks);
    compressor.finish(blocks);
    ASSERT_EQ(blocks.size(), 2u);
    EXPECT_EQ(blocks[0].data, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + kBlockSize));
    EXPECT_EQ(blocks[1].uncompressedSize, 5);
}

TEST(DosDateTime, ClampsToTheFieldsRange) {
    std::tm early{};
    early.tm_year = 70;
    early.tm_mday = 1;
    EXPECT_EQ(toDosDateTime(early).date, (1 << 5) | 1);
    std::tm late{};
    late.tm_year = 2200 - 1900;
    late.tm_mday = 1;
    EXPECT_EQ(toDosDateTime(late).date, (127 << 9) | (12 << 5) | 31);
    std::tm moment{};
    moment.tm_year = 2024 - 1900;
    moment.tm_mon = 1;
    moment.tm_mday = 29;
    moment.tm_hour = 13;
    moment.tm_min = 7;
    moment.tm_sec = 59;
    EXPECT_EQ(toDosDateTime(moment).date, (44 << 9) | (2 << 5) | 29);
    EXPECT_EQ(toDosDateTime(moment).time, (13 << 11) | (7 << 5) | 29);
}

struct MessageCase {
    std::int32_t code, type;
    bool hasError, isCompressor;
    std::string expected;
};

class ESTCabinetMessage : public ::testing::TestWithParam<MessageCase> {};

TEST_P(ESTCabinetMessage, FollowsTheTables) {
    const MessageCase& c = GetParam();
    ERF erf;
    erf.erfOper = c.code;
    erf.erfType = c.type;
    erf.fError = c.hasError;
    const ESTCabinet error(erf, c.isCompressor);
    EXPECT_EQ(std::string(error.what()), c.expected);
    EXPECT_EQ(error.ErrorCode(), c.code);
    EXPECT_EQ(error.ErrorType(), c.type);
    EXPECT_EQ(error.HasError(), c.hasError);
    EXPECT_EQ(error.IsCompressor(), c.isCompressor);
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ESTCabinetMessage,
    ::testing::Values(MessageCase{5, 0, true, true, "Unknown compression type [0x0005]"},
                      MessageCase{8, 0, true, true, "Failure compressing data [0x0008]"},
                      MessageCase{42, 0, true, true, "FCI error [0x002A]"},
                      MessageCase{3, 0, false, true, "FCI error"},
                      MessageCase{9, 0, true, false,
                                  "Cabinets in a set do not have the same RESERVE sizes [0x0009]"},
                      MessageCase{12, 0, true, false, "FDI error [0x000C]"},
                      MessageCase{6, ENOSPC, true, true,
                                  "Could not create cabinet file [0x0006].\r\n" +
                                      ESTCabinet::systemMessage(ENOSPC) + " [0x001C]."}));

TEST(ESTCabinetSystemMessage, IsTrimmedOfTrailingFullStopsAndBlanks) {
    for (int code : {1, 2, 13, 28}) {
        const std::string text = ESTCabinet::systemMessage(code);
        ASSERT_FALSE(text.empty());
        EXPECT_NE(text.back(), '.');
        EXPECT_NE(text.back(), ' ');
        EXPECT_EQ(std::string(std::strerror(code)).rfind(text, 0), 0u);
    }
}

}  // namespace
}  // namespace corvane::cabinet
