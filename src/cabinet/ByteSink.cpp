#include "cabinet/ByteSink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace corvane::cabinet {

namespace {

int errnoOr(int fallback) {
    return errno != 0 ? errno : fallback;
}

}  // namespace

std::unique_ptr<FileSink> FileSink::create(const std::filesystem::path& path, int& error) {
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = errnoOr(EIO);
        return nullptr;
    }
    return std::unique_ptr<FileSink>(new FileSink(file, path));
}

FileSink::~FileSink() {
    if (m_file) std::fclose(m_file);
}

bool FileSink::write(std::span<const std::uint8_t> bytes) {
    if (!m_file) return false;
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_lastError = errnoOr(EIO);
        return false;
    }
    return true;
}

bool FileSink::finish() {
    if (!m_file) return false;
    errno = 0;
    const int result = std::fclose(m_file);
    m_file = nullptr;
    if (result != 0) {
        m_lastError = errnoOr(EIO);
        return false;
    }
    return true;
}

void FileSink::discard() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
    std::error_code ignored;
    std::filesystem::remove(m_path, ignored);
}

bool MemorySink::write(std::span<const std::uint8_t> bytes) {
    m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
    return true;
}

bool FailingSink::write(std::span<const std::uint8_t> bytes) {
    if (m_written + bytes.size() > m_limit) {
        m_written = m_limit;
        m_lastError = ENOSPC;
        return false;
    }
    m_written += bytes.size();
    return true;
}

// The open does not block, so a FIFO (or a device) in a file's place is refused at once instead
// of stalling the build until something writes to it; a regular file is then read normally.
std::unique_ptr<FileSource> FileSource::open(const std::filesystem::path& path, int& error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        error = errnoOr(EIO);
        return nullptr;
    }
    struct stat status {};
    std::FILE* file = nullptr;
    if (::fstat(fd, &status) != 0) {
        error = errnoOr(EIO);
    } else if (!S_ISREG(status.st_mode)) {
        error = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
    } else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 ||
               (file = ::fdopen(fd, "rb")) == nullptr) {
        error = errnoOr(EIO);
    }
    if (!file) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<FileSource>(new FileSource(file));
}

FileSource::~FileSource() {
    std::fclose(m_file);
}

std::ptrdiff_t FileSource::read(std::span<std::uint8_t> buffer) {
    errno = 0;
    const std::size_t count = std::fread(buffer.data(), 1, buffer.size(), m_file);
    if (count < buffer.size() && std::ferror(m_file)) {
        m_lastError = errnoOr(EIO);
        return -1;
    }
    return static_cast<std::ptrdiff_t>(count);
}

std::ptrdiff_t MemorySource::read(std::span<std::uint8_t> buffer) {
    const std::size_t count = std::min(buffer.size(), m_bytes.size() - m_position);
    std::copy_n(m_bytes.begin() + static_cast<std::ptrdiff_t>(m_position), count, buffer.begin());
    m_position += count;
    return static_cast<std::ptrdiff_t>(count);
}

}  // namespace corvane::cabinet
