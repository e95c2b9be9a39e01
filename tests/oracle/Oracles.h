#pragma once

// The independent cabinet decoders every cabinet Corvane writes must satisfy: cabextract
// (libmspack), 7-Zip, gcab, and Windows' own decoder (FDI of cabinet.dll, run under wine); and
// libmspack linked in, for suites that decode many cabinets.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace corvane::test {

using FileTree = std::map<std::string, std::vector<std::uint8_t>>;  // "dir/name" -> bytes

struct CommandResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr
};

CommandResult runCommand(const std::string& commandLine);

// What the Windows decoder reported for one file: DOS date, time and attributes.
struct FdiFileInfo {
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint16_t attribs = 0;
};

// One archive to check: the first cabinet, the cabinets of its set in order, and its content.
struct OracleJob {
    std::filesystem::path firstCabinet;
    std::vector<std::filesystem::path> cabinets;  // the whole set, first included
    FileTree expected;
};

// Extracts every job with every decoder into scratch (gcab only for single cabinets, which is
// all it reads) and returns one line per disagreement; empty when all agree with the sources.
// The Windows decoder runs once for all jobs. fdiInfo receives what it reported per file name.
std::vector<std::string> checkWithOracles(const std::vector<OracleJob>& jobs,
                                          const std::filesystem::path& scratch,
                                          std::map<std::string, FdiFileInfo>* fdiInfo = nullptr);

// The same without the Windows decoder, for suites that check many cabinets of one folder where
// starting wine for each would cost more than it finds.
std::vector<std::string> checkWithProgramOracles(const std::vector<OracleJob>& jobs,
                                                 const std::filesystem::path& scratch);

// The single file of a cabinet as libmspack extracts it in this process, or nullopt with the
// reason in *error.
std::optional<std::vector<std::uint8_t>> extractWithLibmspack(const std::filesystem::path& cab,
                                                              std::string* error);

// The files below folder, by relative name with "/" separators.
FileTree readTree(const std::filesystem::path& folder);

}  // namespace corvane::test
