// Many random buffers with repeated substrings, random windows, job lengths and write sizes,
// each decoded bit for bit by libmspack. The seed is printed; CORVANE_SEED replays one.

#include <gtest/gtest.h>

#include <iostream>

#include "LzxCabinet.h"
#include "LzxTestData.h"
#include "Oracles.h"
#include "TestData.h"
#include "TestSupport.h"
#include "lzx/LzxCompressor.h"

namespace corvane::test {
namespace {

TEST(LzxRandomized, LibmspackDecodesEveryBuffer) {
    const auto seed = static_cast<std::uint32_t>(testSeed());
    std::cout << "CORVANE_SEED=" << seed << std::endl;
    std::mt19937 rng(seed);
#ifdef NDEBUG
    constexpr int kBuffers = 120;
#else
    constexpr int kBuffers = 40;
#endif
    TempDir dir;
    for (int n = 0; n < kBuffers; ++n) {
        lzx::LzxOptions options;
        options.windowBits = 15 + static_cast<int>(rng() % 7);
        options.e8TranslationSize = rng() % 4 == 0 ? 0 : static_cast<std::int32_t>(1 + rng() % 20000000);
        // Short jobs now and then, so boundaries fall inside repeats of every kind.
        if (rng() % 2 == 0) options.jobBytes = (1 + rng() % 2) * 128 * 1024;
        const std::size_t size = rng() % 3 == 0 ? rng() % 2000 : rng() % 300000;
        Bytes data = makeMixed(size, rng);
        // Sprinkle E8 bytes so the translation sees operands of every kind.
        for (std::size_t i = 0; i < data.size() / 50; ++i)
            data[rng() % data.size()] = 0xE8;
        const std::size_t feed = 1 + rng() % 70000;

        SCOPED_TRACE("CORVANE_SEED=" + std::to_string(seed) + ", buffer " + std::to_string(n) + ", window " +
                     std::to_string(options.windowBits) + ", size " + std::to_string(size) + ", jobs of " +
                     std::to_string(options.jobBytes));
        const LzxCabinet packed =
            writeLzxCabinet(data, options, dir.path(), "r" + std::to_string(n) + ".cab", feed);
        std::string error;
        const auto decoded = extractWithLibmspack(packed.cabinet, &error);
        ASSERT_TRUE(decoded) << error;
        ASSERT_TRUE(*decoded == data) << "decoded bytes differ";
        std::filesystem::remove(packed.cabinet);
    }
}

}  // namespace
}  // namespace corvane::test
