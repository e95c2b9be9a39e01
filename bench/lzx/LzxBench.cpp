// corvane-lzx-bench [--window N] [--jobs N] [--job-size BYTES] [--keep DIR] FILE...
// Each file is packed alone into a one-file LZX cabinet by TSTCabWriter, as the build packs it,
// with N threads for a large file's jobs (default 1); prints one line per file and the totals:
// input bytes, cabinet bytes, seconds of packing (reading the source and writing the cabinet
// included).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "codec/JobQueue.h"
#include "lzx/LzxCompressor.h"

#include "cabinet/ESTCabinet.h"
#include "cabinet/TSTCabWriter.h"

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    int window = 21;
    unsigned jobs = 1;
    std::uint32_t jobSize = 0;
    std::string keep;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--window" && i + 1 < argc)
            window = std::atoi(argv[++i]);
        else if (arg == "--job-size" && i + 1 < argc)
            jobSize = static_cast<std::uint32_t>(std::atoi(argv[++i]));
        else if (arg == "--jobs" && i + 1 < argc)
            jobs = static_cast<unsigned>(std::max(1, std::atoi(argv[++i])));
        else if (arg == "--keep" && i + 1 < argc)
            keep = argv[++i];
        else
            files.push_back(arg);
    }
    const fs::path out = keep.empty() ? fs::temp_directory_path() : fs::path(keep);
    corvane::codec::JobQueue queue(jobs);
    const corvane::codec::ServingThreads helpers(queue);
    std::uint64_t totalIn = 0, totalCab = 0;
    double totalSeconds = 0;
    for (const std::string& file : files) {
        const std::string name = fs::path(file).filename().string();
        const fs::path cab = out / (name + ".cab");
        const auto start = std::chrono::steady_clock::now();
        try {
            corvane::cabinet::TSTCabWriter writer;
            writer.setJobQueue(&queue);
            if (jobSize != 0) {
                writer.setCompressorFactory([&](std::uint16_t) {
                    corvane::lzx::LzxOptions options;
                    options.windowBits = window;
                    options.jobs = &queue;
                    options.jobBytes = jobSize;
                    return corvane::lzx::makeLzxCompressor(options);
                });
            }
            writer.setCompressionType(corvane::cabinet::cctLzx);
            writer.setCompressionLzxLevel(window);
            writer.Open(cab.string());
            writer.AddFile(file, name, false);
            writer.Close(true);
        } catch (const corvane::cabinet::ESTCabinet& error) {
            std::fprintf(stderr, "%s: %s\n", file.c_str(), error.what());
            return 1;
        }
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        const std::uint64_t inSize = fs::file_size(file), cabSize = fs::file_size(cab);
        if (keep.empty()) fs::remove(cab);
        std::printf("%10llu %10llu %8.3f %s\n", static_cast<unsigned long long>(inSize),
                    static_cast<unsigned long long>(cabSize), seconds, file.c_str());
        totalIn += inSize;
        totalCab += cabSize;
        totalSeconds += seconds;
    }
    std::printf("TOTAL %llu %llu %.3f\n", static_cast<unsigned long long>(totalIn),
                static_cast<unsigned long long>(totalCab), totalSeconds);
    return 0;
}
