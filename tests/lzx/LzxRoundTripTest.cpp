// Round trips of Corvane's LZX output through independent decoders, for every window size.

#include <gtest/gtest.h>

#include "LzxCabinet.h"
#include "LzxTestData.h"
#include "Oracles.h"
#include "TestSupport.h"
#include "codec/JobQueue.h"
#include "lzx/LzxCompressor.h"

namespace corvane::test {
namespace {

using codec::kBlockSize;
using codec::kMaxCompressedBlock;

// Packs data into a cabinet, checks the block contract and decodes the cabinet with every
// program oracle; returns the total payload size.
std::size_t expectRoundTrip(const Bytes& data, const lzx::LzxOptions& options, const std::string& tag,
                            std::size_t feed = 10007) {
    SCOPED_TRACE(tag + " window " + std::to_string(options.windowBits) + ", " + std::to_string(data.size()) +
                 " bytes");
    TempDir dir;
    const LzxCabinet packed = writeLzxCabinet(data, options, dir.path(), "test.cab", feed);
    const std::vector<codec::DataBlock>& blocks = packed.blocks;

    std::size_t total = 0;
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const bool last = i + 1 == blocks.size();
        if (!last) {
            EXPECT_EQ(blocks[i].uncompressedSize, kBlockSize) << "block " << i;
            EXPECT_EQ(blocks[i].data.size() % 2, 0u) << "block " << i << " not padded to 16 bits";
        }
        EXPECT_GT(blocks[i].uncompressedSize, 0u);
        EXPECT_LE(blocks[i].data.size(), kMaxCompressedBlock) << "block " << i;
        total += blocks[i].uncompressedSize;
    }
    EXPECT_EQ(total, data.size());
    std::size_t payload = 0;
    for (const codec::DataBlock& b : blocks)
        payload += b.data.size();

    OracleJob job{packed.cabinet, {packed.cabinet}, {{kPayloadName, data}}};
    for (const std::string& problem : checkWithProgramOracles({job}, dir / "out"))
        ADD_FAILURE() << problem;
    if (::testing::Test::HasFailure()) dir.keep();
    return payload;
}

class LzxWindow : public ::testing::TestWithParam<int> {
protected:
    lzx::LzxOptions options() const {
        lzx::LzxOptions o;
        o.windowBits = GetParam();
        return o;
    }
};

TEST_P(LzxWindow, TinyInputsAndFrameEdges) {
    expectRoundTrip({}, options(), "empty");
    expectRoundTrip({'x'}, options(), "one-byte");
    expectRoundTrip(makeText(11, 1), options(), "eleven");
    expectRoundTrip(makeText(32767, 2), options(), "frame-minus-one");
    expectRoundTrip(makeText(32768, 3), options(), "one-frame");
    expectRoundTrip(makeText(32769, 4), options(), "frame-plus-one");
    // Incompressible with an odd last frame: uncompressed blocks and their pad byte.
    expectRoundTrip(makeRandom(2 * 32768 + 1, 5), options(), "random-odd-tail");
}

TEST_P(LzxWindow, IncompressibleDataGrowsOnlyByBlockHeaders) {
    // Stored frames cost a block header, the pad and the repeat offsets (16 bytes) at most;
    // Huffman-coding noise instead adds trees and near-8-bit codes on top.
    const Bytes noise = makeRandom(300000, 6);
    const std::size_t frames = (noise.size() + kBlockSize - 1) / kBlockSize;
    EXPECT_LE(expectRoundTrip(noise, options(), "noise"), noise.size() + 20 * frames);
}

TEST_P(LzxWindow, Text) {
    expectRoundTrip(makeText(300000, 10), options(), "text");
}

TEST_P(LzxWindow, X86CodeWithAndWithoutE8Translation) {
    const Bytes code = makeX86(400000, 11);
    expectRoundTrip(code, options(), "x86");
    lzx::LzxOptions off = options();
    off.e8TranslationSize = 0;
    expectRoundTrip(code, off, "x86-no-e8");
}

TEST_P(LzxWindow, RandomAndMixedBlockTypes) {
    // Random data between compressible stretches: uncompressed blocks in the middle of a folder,
    // tree deltas against the last compressed block across them.
    Bytes data = makeText(70000, 20);
    const Bytes noise = makeRandom(100000, 21);
    data.insert(data.end(), noise.begin(), noise.end());
    const Bytes more = makeText(50000, 22);
    data.insert(data.end(), more.begin(), more.end());
    data.insert(data.end(), noise.begin(), noise.begin() + 40000);
    expectRoundTrip(data, options(), "mixed-types");
}

TEST_P(LzxWindow, LongRuns) {
    expectRoundTrip(makeRuns(600000), options(), "runs");
}

TEST_P(LzxWindow, RepeatOffsetsAndLongestMatches) {
    expectRoundTrip(makeRepeats(400000, 30), options(), "repeats", 65536);
}

TEST_P(LzxWindow, LargeInputCrossingManyFrames) {
#ifdef NDEBUG
    const std::size_t size = GetParam() == 21 ? 50u << 20 : 6u << 20;
#else
    const std::size_t size = 2u << 20;     // the sanitizer build is slow; the release build goes large
#endif
    // Text, code and noise, with repeats farther back than the small windows reach.
    Bytes data;
    data.reserve(size);
    std::uint32_t seed = 40;
    while (data.size() < size) {
        const Bytes part = seed % 3 == 0   ? makeX86(700000, seed)
                           : seed % 3 == 1 ? makeText(900000, seed % 5)
                                           : makeRandom(50000, seed);
        data.insert(data.end(), part.begin(), part.end());
        ++seed;
    }
    data.resize(size);
    expectRoundTrip(data, options(), "large", 1 << 20);
}

// A folder cut into many short jobs: matches reach back across job boundaries, every job's first
// block starts from a fresh repeat queue that must be recoded against the stream's, and the
// stream must be the same on one thread or several, however the input arrives. The smallest
// window's history is shorter than a job, the largest's as long as the default.
TEST(LzxCompressor, JobsGiveOneStreamForAnyNumberOfThreads) {
#ifdef NDEBUG
    constexpr std::size_t kSize = 700000;
#else
    constexpr std::size_t kSize = 300000;  // the sanitizer build is slow
#endif
    Bytes data;
    for (std::uint32_t seed = 60; data.size() < kSize; ++seed) {
        const Bytes part = seed % 3 == 0   ? makeX86(90000, seed)
                           : seed % 3 == 1 ? makeText(70000, seed % 5)
                                           : makeRepeats(60000, 12);
        data.insert(data.end(), part.begin(), part.end());
    }
    for (const int windowBits : {15, 21}) {
        lzx::LzxOptions options;
        options.windowBits = windowBits;
        options.jobBytes = 128 * 1024;
        const auto pack = [&](unsigned threads, std::size_t feed) {
            codec::JobQueue queue(threads);
            const codec::ServingThreads helpers(queue);
            lzx::LzxOptions withQueue = options;
            withQueue.jobs = &queue;
            TempDir dir;
            const LzxCabinet packed = writeLzxCabinet(data, withQueue, dir.path(), "jobs.cab", feed);
            Bytes stream;  // the cabinet's time stamps would differ
            for (const codec::DataBlock& block : packed.blocks)
                stream.insert(stream.end(), block.data.begin(), block.data.end());
            return stream;
        };
        const Bytes one = pack(1, 1 << 20);
        EXPECT_TRUE(pack(2, 4099) == one) << "two threads changed the stream, window " << windowBits;
        EXPECT_TRUE(pack(3, 65536) == one) << "three threads changed the stream, window " << windowBits;
        expectRoundTrip(data, options, "jobs", 30011);
    }
}

INSTANTIATE_TEST_SUITE_P(AllWindows, LzxWindow, ::testing::Range(15, 22),
                         [](const auto& info) { return "Window" + std::to_string(info.param); });

// Random data repeated at the longest distance the 32 KiB window allows (window size - 3): every
// match reaches to the far end of the window and, after the first frame, past its wrap. These are
// the matches 7-Zip copies wrongly (see the oracle suite); libmspack, the reference the other
// decoders share, must read them right.
TEST(LzxCompressor, MatchesAtTheLongestDistanceOfTheSmallestWindow) {
    const Bytes block = makeRandom((1u << 15) - 3, 50);
    Bytes data = block;
    data.insert(data.end(), block.begin(), block.end());
    data.insert(data.end(), block.begin(), block.begin() + 20000);
    lzx::LzxOptions options;
    options.windowBits = 15;
    TempDir dir;
    const LzxCabinet packed = writeLzxCabinet(data, options, dir.path(), "far.cab", 10007);
    EXPECT_LT(std::filesystem::file_size(packed.cabinet), block.size() + 20000u)
        << "the repeats were not found";
    std::string error;
    const auto decoded = extractWithLibmspack(packed.cabinet, &error);
    ASSERT_TRUE(decoded) << error;
    EXPECT_TRUE(*decoded == data);
}

TEST(LzxCompressor, RejectsWindowsOutsideTheFormat) {
    EXPECT_THROW(lzx::makeLzxCompressor(14), std::invalid_argument);
    EXPECT_THROW(lzx::makeLzxCompressor(22), std::invalid_argument);
}

}  // namespace
}  // namespace corvane::test
