// corvane-lzx-bench [--window N] [--keep DIR] FILE...
// Each file is compressed alone into a one-file LZX cabinet; prints one line per file and the
// totals: input bytes, cabinet bytes, compression seconds (reading and writing excluded).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "LzxOracles.h"
#include "MiniCabinet.h"
#include "lzx/LzxCompressor.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int window = 21;
    std::string keep;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--window" && i + 1 < argc)
            window = std::atoi(argv[++i]);
        else if (arg == "--keep" && i + 1 < argc)
            keep = argv[++i];
        else
            files.push_back(arg);
    }
    std::uint64_t totalIn = 0, totalCab = 0;
    double totalSeconds = 0;
    for (const std::string& file : files) {
        const std::vector<std::uint8_t> data = corvane::testing::readFile(file);
        const auto start = std::chrono::steady_clock::now();
        auto compressor = corvane::lzx::makeLzxCompressor(window);
        const auto blocks = corvane::testing::compressFolder(*compressor, data, 1 << 20);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::string name = fs::path(file).filename().string();
        const auto cab =
            corvane::testing::makeSingleFileCabinet(blocks, static_cast<std::uint16_t>(0x0003 | window << 8),
                                                    name, static_cast<std::uint32_t>(data.size()));
        if (!keep.empty()) corvane::testing::writeFile(fs::path(keep) / (name + ".cab"), cab);
        std::printf("%10zu %10zu %8.3f %s\n", data.size(), cab.size(), seconds, file.c_str());
        totalIn += data.size();
        totalCab += cab.size();
        totalSeconds += seconds;
    }
    std::printf("TOTAL %llu %llu %.3f\n", static_cast<unsigned long long>(totalIn),
                static_cast<unsigned long long>(totalCab), totalSeconds);
    return 0;
}
