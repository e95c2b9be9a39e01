#pragma once

// The independent decoders the LZX tests trust: cabextract and 7-Zip as programs, libmspack
// linked in. Each extracts the single file of a cabinet and returns its bytes, or fails the test.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace corvane::testing {

// A fresh, empty folder under the system's temporary folder, removed by the destructor.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

void writeFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readFile(const std::filesystem::path& path);

// Each returns the extracted file, or nullopt with a reason in *error.
std::optional<std::vector<std::uint8_t>> extractWithCabextract(const std::filesystem::path& cab,
                                                               const std::string& name, std::string* error);
std::optional<std::vector<std::uint8_t>> extractWith7Zip(const std::filesystem::path& cab,
                                                         const std::string& name, std::string* error);
std::optional<std::vector<std::uint8_t>> extractWithLibmspack(const std::filesystem::path& cab,
                                                              std::string* error);

}  // namespace corvane::testing
