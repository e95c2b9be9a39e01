#pragma once

// The file cabinets of a build, compressed on several threads at once. Every Files row becomes
// a cabinet of its own, written by a cabinet writer of its own, so rows are independent: the
// workers take them in list order and the build collects them in that same order. Collecting a
// row replays its compressed blocks as a single thread would have met them, one call per block,
// where the build pumps and checks for cancel. What the author sees (the status line, the
// progress positions, the description's lines, a cancel, the first failing row) is therefore
// what one thread shows; only the wait is shorter, and every cabinet's bytes are the same.
//
// A large file's compressor splits it into jobs of its own (codec/JobQueue.h); the workers run
// those first, between rows, and once no row is left to start, so the one large file most
// payloads carry keeps every core busy. The jobs are cut the same for any number of workers,
// so the cabinet's bytes are too.
//
// Memory: at most `jobs` rows are compressed at a time, each streaming its source in blocks,
// and the compressors' jobs in flight are bounded by the workers; finished cabinets wait on
// disk, as they always have until the setup is assembled.
//
// A source must not change while it is packed: each one's size and modification time are taken
// before and after, and a difference fails its row naming the file, since the cabinet may then
// hold neither version.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <exception>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace corvane::cabinet {
class TSTCabWriter;
}

#include "codec/JobQueue.h"

namespace corvane::builder {

// A cabinet error about a file it was given, followed by that file's name: the cabinet's own
// text gives only the system's reason.
std::string cabinetErrorNaming(const std::string& text, const std::filesystem::path& file, int error);

// Adds `file` to the cabinet as `name`; an error opening or reading it names `shownAs`, the
// file as the author knows it.
void addMemberNamingErrors(cabinet::TSTCabWriter& writer, const std::filesystem::path& file,
                           const std::string& name, const std::filesystem::path& shownAs);

struct PackRequest {
    std::filesystem::path source;  // as the file system is asked, relative paths resolved
    std::string nameInCabinet;
    std::filesystem::path cabinet;  // <k>.cab in the work folder
    bool sign = false;              // pack a signed private copy instead (the uninstaller)
};

struct PackSettings {
    unsigned jobs = 1;
    int compressionType = 0;  // cabinet::TSTCabCompressionType
    int lzxLevel = 21;
    std::string signingCommand;
    std::filesystem::path signingFolder;  // private; where signed copies are made
    // Tests change a source here: runs on the packing thread once a row's source is packed,
    // before it is examined again.
    std::function<void(std::size_t row)> afterSourcePacked;
};

class FilePacker {
public:
    FilePacker(std::vector<PackRequest> requests, PackSettings settings);
    // Stops the workers at their next block and waits for them; cabinets written so far stay.
    ~FilePacker();
    FilePacker(const FilePacker&) = delete;
    FilePacker& operator=(const FilePacker&) = delete;

    // Waits until row k is packed. onBlock runs on the calling thread once for each block the
    // row's writer compressed, in order, also while the row is still being packed; whileWaiting
    // runs whenever no block has come for kWaitingInterval (a large file's blocks come a job
    // at a time). Whatever they throw passes through. Throws the row's own failure.
    void awaitRow(std::size_t k, const std::function<void()>& onBlock,
                  const std::function<void()>& whileWaiting = {});

private:
    struct RowState {
        std::size_t blocks = 0;  // compressed so far
        bool done = false;
        std::exception_ptr failure;
    };

    void work();
    bool takesMoreRows() const;  // under m_mutex
    std::optional<std::size_t> takeRow();
    void pack(std::size_t k);
    void stop();

    std::vector<PackRequest> m_requests;
    PackSettings m_settings;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<RowState> m_rows;
    std::size_t m_next = 0;
    std::size_t m_packing = 0;  // rows taken and not yet done
    std::size_t m_firstFailure = static_cast<std::size_t>(-1);
    bool m_stopping = false;
    codec::JobQueue m_jobs;
    std::vector<std::thread> m_workers;
};

// The number of rows a build compresses at a time when not told: CORVANE_JOBS when it holds a
// usable number, else the number of cores.
unsigned defaultJobs();
// How often a build waiting for a large file's next block hears its Cancel.
inline constexpr std::chrono::milliseconds kWaitingInterval{50};
// "N" as a number of jobs, 1 to kMaxJobs; 0 when the text is not one.
unsigned parseJobs(const std::string& text);
inline constexpr unsigned kMaxJobs = 256;

}  // namespace corvane::builder
