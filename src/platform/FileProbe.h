#pragma once

// Whether a file named by the author can be packed, and how long it is. Every place that takes
// a source file (adding rows, opening a project, the checks before a build) asks the same way,
// so a file is never accepted in one place and refused in another.

#include <cstdint>
#include <filesystem>

namespace corvane::platform {

struct FileProbe {
    enum class State {
        Readable,    // a regular file that opened for reading
        Missing,     // nothing by that name (or a folder on the way is missing)
        Unreadable,  // it exists but cannot be read as a regular file: permission, a folder, a FIFO...
    };
    State state = State::Missing;
    std::uint64_t size = 0;  // the length of a readable file
    int error = 0;           // the errno behind Missing or Unreadable

    bool readable() const { return state == State::Readable; }
};

// Opens path for reading without blocking (a FIFO named as a source cannot stall the caller),
// measures it and closes it again.
FileProbe probeFile(const std::filesystem::path& path);
// The same for name inside the open folder dirFd: no path to resolve again, which is what makes
// measuring a folder of many thousands of files cheap.
FileProbe probeFileAt(int dirFd, const char* name);

}  // namespace corvane::platform
