#pragma once

// Where a cabinet's bytes go. The engine writes each cabinet through one sink: a file in
// production, memory or a sink that fails after N bytes in tests. Failures carry an errno value
// so the error record can name the system's reason.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace corvane::cabinet {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Appends bytes; false on failure, with the reason in lastError().
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Completes the output (flush, close); false on failure.
    virtual bool finish() = 0;
    // Abandons the output: whatever was written is removed.
    virtual void discard() = 0;
    int lastError() const { return m_lastError; }

protected:
    int m_lastError = 0;
};

class FileSink final : public ByteSink {
public:
    // Creates or truncates path; nullptr on failure with the errno value in error.
    static std::unique_ptr<FileSink> create(const std::filesystem::path& path, int& error);
    ~FileSink() override;
    bool write(std::span<const std::uint8_t> bytes) override;
    bool finish() override;
    void discard() override;

private:
    FileSink(std::FILE* file, std::filesystem::path path) : m_file(file), m_path(std::move(path)) {}
    std::FILE* m_file;
    std::filesystem::path m_path;
};

class MemorySink final : public ByteSink {
public:
    explicit MemorySink(std::vector<std::uint8_t>& bytes) : m_bytes(bytes) {}
    bool write(std::span<const std::uint8_t> bytes) override;
    bool finish() override { return true; }
    void discard() override { m_bytes.clear(); }

private:
    std::vector<std::uint8_t>& m_bytes;
};

// Accepts the first limit bytes, then fails as a full disk does.
class FailingSink final : public ByteSink {
public:
    explicit FailingSink(std::uint64_t limit) : m_limit(limit) {}
    bool write(std::span<const std::uint8_t> bytes) override;
    bool finish() override { return true; }
    void discard() override { m_discarded = true; }
    std::uint64_t written() const { return m_written; }
    bool discarded() const { return m_discarded; }

private:
    std::uint64_t m_limit;
    std::uint64_t m_written = 0;
    bool m_discarded = false;
};

// Sequential reading of a file to be stored.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Reads up to buffer.size() bytes; 0 at the end, -1 on failure with the reason in lastError().
    virtual std::ptrdiff_t read(std::span<std::uint8_t> buffer) = 0;
    int lastError() const { return m_lastError; }

protected:
    int m_lastError = 0;
};

class FileSource final : public ByteSource {
public:
    static std::unique_ptr<FileSource> open(const std::filesystem::path& path, int& error);
    ~FileSource() override;
    std::ptrdiff_t read(std::span<std::uint8_t> buffer) override;

private:
    explicit FileSource(std::FILE* file) : m_file(file) {}
    std::FILE* m_file;
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::vector<std::uint8_t> bytes) : m_bytes(std::move(bytes)) {}
    std::ptrdiff_t read(std::span<std::uint8_t> buffer) override;

private:
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

}  // namespace corvane::cabinet
