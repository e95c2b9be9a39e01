// Many random buffers with repeated substrings, random windows and random write sizes, each
// decoded bit for bit by libmspack. The seed is printed; CORVANE_LZX_SEED replays one.

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>

#include "LzxOracles.h"
#include "LzxTestData.h"
#include "MiniCabinet.h"
#include "lzx/LzxCompressor.h"

namespace corvane::testing {
namespace {

TEST(LzxRandomized, LibmspackDecodesEveryBuffer) {
    std::uint32_t seed = std::random_device{}();
    if (const char* env = std::getenv("CORVANE_LZX_SEED"))
        seed = static_cast<std::uint32_t>(std::strtoul(env, nullptr, 0));
    std::cout << "CORVANE_LZX_SEED=" << seed << std::endl;
    std::mt19937 rng(seed);
#ifdef NDEBUG
    constexpr int kBuffers = 120;
#else
    constexpr int kBuffers = 40;
#endif
    ScratchDir dir("random");
    for (int n = 0; n < kBuffers; ++n) {
        lzx::LzxOptions options;
        options.windowBits = 15 + static_cast<int>(rng() % 7);
        options.e8TranslationSize = rng() % 4 == 0 ? 0 : static_cast<std::int32_t>(1 + rng() % 20000000);
        const std::size_t size = rng() % 3 == 0 ? rng() % 2000 : rng() % 300000;
        Bytes data = makeMixed(size, rng);
        // Sprinkle E8 bytes so the translation sees operands of every kind.
        for (std::size_t i = 0; i < data.size() / 50; ++i)
            data[rng() % data.size()] = 0xE8;
        const std::size_t feed = 1 + rng() % 70000;

        SCOPED_TRACE("seed " + std::to_string(seed) + ", buffer " + std::to_string(n) + ", window " +
                     std::to_string(options.windowBits) + ", size " + std::to_string(size));
        auto compressor = lzx::makeLzxCompressor(options);
        const auto blocks = compressFolder(*compressor, data, feed);
        const auto cab = dir.path() / ("r" + std::to_string(n) + ".cab");
        writeFile(cab,
                  makeSingleFileCabinet(blocks, static_cast<std::uint16_t>(0x0003 | options.windowBits << 8),
                                        "payload.bin", static_cast<std::uint32_t>(size)));
        std::string error;
        const auto decoded = extractWithLibmspack(cab, &error);
        ASSERT_TRUE(decoded) << error;
        ASSERT_TRUE(*decoded == data) << "decoded bytes differ";
        std::filesystem::remove(cab);
    }
}

}  // namespace
}  // namespace corvane::testing
