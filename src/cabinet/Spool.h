#pragma once

// Storage for a folder's finished CFDATA records until its cabinet is written. Records stay in
// memory up to a bound; a larger folder moves to an anonymous temporary file, so memory stays
// small however large the files are.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <vector>

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
    Spool() = default;
    bool spill();

    std::vector<std::uint8_t> m_memory;
    std::FILE* m_file = nullptr;
    std::uint64_t m_size = 0;
    bool m_appending = true;
    int m_lastError = 0;
};

}  // namespace corvane::cabinet
