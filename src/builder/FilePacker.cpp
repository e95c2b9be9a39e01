#include "builder/FilePacker.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <system_error>

#include "builder/SigningCommand.h"
#include "cabinet/ESTCabinet.h"
#include "cabinet/TSTCabWriter.h"

namespace corvane::builder {

namespace {

namespace fs = std::filesystem;

// What tells a changed source: its size and its modification time to the nanosecond, and the
// file itself (one renamed over it is another file, whatever its stamp).
struct SourceStamp {
    off_t size = 0;
    timespec modified{};
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const SourceStamp& other) const {
        return size == other.size && modified.tv_sec == other.modified.tv_sec &&
               modified.tv_nsec == other.modified.tv_nsec && device == other.device && inode == other.inode;
    }
};

std::optional<SourceStamp> stampOf(const fs::path& file) {
    struct stat status {};
    if (::stat(file.c_str(), &status) != 0) return std::nullopt;
    return SourceStamp{status.st_size, status.st_mtim, status.st_dev, status.st_ino};
}

// The uninstaller is signed as a private copy; the author's file is never changed. The copy
// keeps the original's permissions and modification time, so its cabinet entry carries the
// source's own attributes and stamp.
fs::path signedCopy(const PackRequest& request, std::size_t row, const PackSettings& settings) {
    const fs::path folder = settings.signingFolder / std::to_string(row);
    const fs::path copy = folder / request.source.filename();
    struct stat original {};
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (::stat(request.source.c_str(), &original) != 0 ||
        !fs::copy_file(request.source, copy, fs::copy_options::overwrite_existing, ec))
        throw std::runtime_error("Cannot copy " + request.source.string() +
                                 " to sign it: " + std::strerror(ec ? ec.value() : errno));
    fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ec);
    runSigningCommand(settings.signingCommand, copy, request.source, folder);
    const struct timespec times[2] = {original.st_atim, original.st_mtim};
    if (::utimensat(AT_FDCWD, copy.c_str(), times, 0) != 0 ||
        ::chmod(copy.c_str(), original.st_mode & 07777) != 0)
        throw std::runtime_error("Cannot restore the time stamp of the signed copy " + copy.string() + ": " +
                                 std::strerror(errno));
    return copy;
}

}  // namespace

std::string cabinetErrorNaming(const std::string& text, const fs::path& file, int error) {
    const char* why = error == EINVAL ? " is not a regular file and cannot be packed" : " cannot be packed";
    return text + "\r\n" + file.string() + why;
}

void addMemberNamingErrors(cabinet::TSTCabWriter& writer, const fs::path& file, const std::string& name,
                           const fs::path& shownAs) {
    try {
        writer.AddFile(file.string(), name, false);
    } catch (const cabinet::ESTCabinet& e) {
        if (e.ErrorCode() != cabinet::FCIERR_OPEN_SRC && e.ErrorCode() != cabinet::FCIERR_READ_SRC) throw;
        throw cabinet::ESTCabinet(cabinetErrorNaming(e.what(), shownAs, e.ErrorType()));
    }
}

FilePacker::FilePacker(std::vector<PackRequest> requests, PackSettings settings)
    : m_requests(std::move(requests)),
      m_settings(std::move(settings)),
      m_rows(m_requests.size()),
      m_jobs(std::max(m_settings.jobs, 1u)) {
    const std::size_t threads = m_requests.empty() ? 0 : m_jobs.threads();
    try {
        for (std::size_t i = 0; i < threads; ++i)
            m_workers.emplace_back([this] { work(); });
    } catch (...) {
        stop();
        throw;
    }
}

FilePacker::~FilePacker() {
    stop();
}

void FilePacker::stop() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_jobs.cancel();
    m_jobs.close();
    for (std::thread& worker : m_workers)
        if (worker.joinable()) worker.join();
}

void FilePacker::work() {
    for (;;) {
        // Jobs first: they finish rows already under way.
        if (m_jobs.runOne()) continue;
        if (const std::optional<std::size_t> k = takeRow()) {
            std::exception_ptr failure;
            try {
                pack(*k);
            } catch (...) {
                failure = std::current_exception();
            }
            bool allDone = false;
            {
                const std::lock_guard lock(m_mutex);
                m_rows[*k].done = true;
                m_rows[*k].failure = failure;
                if (failure) m_firstFailure = std::min(m_firstFailure, *k);
                allDone = --m_packing == 0 && !takesMoreRows();
            }
            m_changed.notify_all();
            if (allDone) m_jobs.close();
            continue;
        }
        // No row to start: help the rows still packing until the last of them is done.
        if (!m_jobs.awaitWork()) return;
    }
}

bool FilePacker::takesMoreRows() const {
    // Past a failed row nothing more is needed: the build ends there.
    return !m_stopping && m_next < m_rows.size() && m_next <= m_firstFailure;
}

std::optional<std::size_t> FilePacker::takeRow() {
    const std::lock_guard lock(m_mutex);
    if (!takesMoreRows()) return std::nullopt;
    ++m_packing;
    return m_next++;
}

void FilePacker::pack(std::size_t k) {
    const PackRequest& request = m_requests[k];
    std::error_code ec;
    fs::remove(request.cabinet, ec);  // a stale cabinet of an earlier build never enters this one
    if (ec) throw std::runtime_error("Cannot replace " + request.cabinet.string() + ": " + ec.message());

    const std::optional<SourceStamp> before = stampOf(request.source);
    const fs::path packed = request.sign ? signedCopy(request, k, m_settings) : request.source;

    cabinet::TSTCabWriter writer;
    writer.setJobQueue(&m_jobs);
    writer.setCompressionType(static_cast<cabinet::TSTCabCompressionType>(m_settings.compressionType));
    writer.setCompressionLzxLevel(m_settings.lzxLevel);
    writer.OnFileStatus = [this, k](cabinet::TSTCabWriter&, std::uint32_t, std::uint32_t, bool& abort) {
        {
            const std::lock_guard lock(m_mutex);
            ++m_rows[k].blocks;
            abort = m_stopping;
        }
        m_changed.notify_all();
    };
    writer.Open(request.cabinet.string());
    addMemberNamingErrors(writer, packed, request.nameInCabinet, request.source);
    writer.Close(true);

    if (m_settings.afterSourcePacked) m_settings.afterSourcePacked(k);
    // A source that vanished before it was opened has been reported by the writer already.
    if (before && stampOf(request.source) != before)
        throw std::runtime_error("File changed while it was packed: " + request.source.string());
}

void FilePacker::awaitRow(std::size_t k, const std::function<void()>& onBlock,
                          const std::function<void()>& whileWaiting) {
    std::size_t replayed = 0;
    std::unique_lock lock(m_mutex);
    for (;;) {
        const auto ready = [&] { return m_rows[k].blocks > replayed || m_rows[k].done; };
        if (!m_changed.wait_for(lock, kWaitingInterval, ready)) {
            if (whileWaiting) {
                lock.unlock();
                whileWaiting();
                lock.lock();
            }
            continue;
        }
        if (m_rows[k].blocks > replayed) {
            ++replayed;
            lock.unlock();
            onBlock();
            lock.lock();
            continue;
        }
        if (m_rows[k].failure) std::rethrow_exception(m_rows[k].failure);
        return;
    }
}

unsigned parseJobs(const std::string& text) {
    unsigned jobs = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), jobs);
    if (error != std::errc() || end != text.data() + text.size() || jobs < 1 || jobs > kMaxJobs) return 0;
    return jobs;
}

unsigned defaultJobs() {
    if (const char* text = std::getenv("CORVANE_JOBS"); text != nullptr)
        if (const unsigned jobs = parseJobs(text); jobs != 0) return jobs;
    return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxJobs);
}

}  // namespace corvane::builder
