#include "cabinet/Spool.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "cabinet/ByteSink.h"

namespace corvane::cabinet {

namespace {

// Large enough that copying a spool costs a few system calls per megabyte.
constexpr std::size_t kCopyBufferSize = 1 << 20;

}  // namespace

std::unique_ptr<Spool> Spool::create(int& error) {
    errno = 0;
    std::FILE* file = std::tmpfile();
    if (!file) {
        error = errno != 0 ? errno : EIO;
        return nullptr;
    }
    return std::unique_ptr<Spool>(new Spool(file));
}

Spool::~Spool() { std::fclose(m_file); }

bool Spool::append(std::span<const std::uint8_t> bytes) {
    errno = 0;
    if (!m_appending) {
        if (std::fseek(m_file, 0, SEEK_END) != 0) {
            m_lastError = errno != 0 ? errno : EIO;
            return false;
        }
        m_appending = true;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_lastError = errno != 0 ? errno : EIO;
        return false;
    }
    m_size += bytes.size();
    return true;
}

bool Spool::copyTo(ByteSink& sink, std::uint64_t offset, std::uint64_t length) {
    errno = 0;
    m_appending = false;
    if (std::fflush(m_file) != 0 || fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0) {
        m_lastError = errno != 0 ? errno : EIO;
        return false;
    }
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyBufferSize)));
    while (length > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer.size()));
        if (std::fread(buffer.data(), 1, chunk, m_file) != chunk) {
            m_lastError = errno != 0 ? errno : EIO;
            return false;
        }
        if (!sink.write(std::span(buffer.data(), chunk))) return false;
        length -= chunk;
    }
    return true;
}

}  // namespace corvane::cabinet

namespace corvane::cabinet {

bool Spool::read(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    errno = 0;
    m_appending = false;
    if (std::fflush(m_file) != 0 || fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0 ||
        std::fread(buffer.data(), 1, buffer.size(), m_file) != buffer.size()) {
        m_lastError = errno != 0 ? errno : EIO;
        return false;
    }
    return true;
}

}  // namespace corvane::cabinet
