#pragma once

// Temporary storage for a folder's finished CFDATA records until its cabinet is written; a
// folder may be far larger than memory should hold, so the records go to an anonymous
// temporary file.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>

namespace corvane::cabinet {

class ByteSink;

class Spool {
public:
    // nullptr when no temporary file can be made, with the errno value in error.
    static std::unique_ptr<Spool> create(int& error);
    ~Spool();
    Spool(const Spool&) = delete;
    Spool& operator=(const Spool&) = delete;

    bool append(std::span<const std::uint8_t> bytes);
    // Copies [offset, offset + length) to sink; false on failure of either side.
    bool copyTo(ByteSink& sink, std::uint64_t offset, std::uint64_t length);
    // Reads buffer.size() bytes from offset.
    bool read(std::uint64_t offset, std::span<std::uint8_t> buffer);
    std::uint64_t size() const { return m_size; }
    int lastError() const { return m_lastError; }

private:
    explicit Spool(std::FILE* file) : m_file(file) {}
    std::FILE* m_file;
    std::uint64_t m_size = 0;
    bool m_appending = true;
    int m_lastError = 0;
};

}  // namespace corvane::cabinet
