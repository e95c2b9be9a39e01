#include "cabinet/Spool.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "cabinet/ByteSink.h"

namespace corvane::cabinet {

namespace {

// Folders up to this size never touch the disk before their cabinet is written; that covers
// nearly every file of a setup, and a desktop has the memory to spare.
constexpr std::size_t kMemoryLimit = 64u << 20;
// Large enough that copying a spilled spool costs a few system calls per megabyte.
constexpr std::size_t kCopyBufferSize = 1 << 20;

int lastErrno() {
    return errno != 0 ? errno : EIO;
}

}  // namespace

std::unique_ptr<Spool> Spool::create(int&) {
    return std::unique_ptr<Spool>(new Spool());
}

Spool::~Spool() {
    if (m_file) std::fclose(m_file);
}

bool Spool::spill() {
    errno = 0;
    m_file = std::tmpfile();
    if (!m_file || std::fwrite(m_memory.data(), 1, m_memory.size(), m_file) != m_memory.size()) {
        m_lastError = lastErrno();
        return false;
    }
    std::vector<std::uint8_t>().swap(m_memory);
    return true;
}

bool Spool::append(std::span<const std::uint8_t> bytes) {
    if (!m_file) {
        if (m_memory.size() + bytes.size() <= kMemoryLimit) {
            m_memory.insert(m_memory.end(), bytes.begin(), bytes.end());
            m_size += bytes.size();
            return true;
        }
        if (!spill()) return false;
    }
    errno = 0;
    if (!m_appending) {
        if (std::fseek(m_file, 0, SEEK_END) != 0) {
            m_lastError = lastErrno();
            return false;
        }
        m_appending = true;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file) != bytes.size()) {
        m_lastError = lastErrno();
        return false;
    }
    m_size += bytes.size();
    return true;
}

bool Spool::read(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    if (!m_file) {
        std::memcpy(buffer.data(), m_memory.data() + offset, buffer.size());
        return true;
    }
    errno = 0;
    m_appending = false;
    if (std::fflush(m_file) != 0 || fseeko(m_file, static_cast<off_t>(offset), SEEK_SET) != 0 ||
        std::fread(buffer.data(), 1, buffer.size(), m_file) != buffer.size()) {
        m_lastError = lastErrno();
        return false;
    }
    return true;
}

bool Spool::copyTo(ByteSink& sink, std::uint64_t offset, std::uint64_t length) {
    if (!m_file) return sink.write(std::span(m_memory.data() + offset, static_cast<std::size_t>(length)));
    std::vector<std::uint8_t> buffer(
        static_cast<std::size_t>(std::min<std::uint64_t>(length, kCopyBufferSize)));
    while (length > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(length, buffer.size()));
        if (!read(offset, std::span(buffer.data(), chunk))) return false;
        if (!sink.write(std::span(buffer.data(), chunk))) return false;
        offset += chunk;
        length -= chunk;
    }
    return true;
}

}  // namespace corvane::cabinet
