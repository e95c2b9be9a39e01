#pragma once

// Whether a file named by the author can be packed, and how long it is. Every place that takes
// a source file (adding rows, opening a project, the checks before a build) asks the same way,
// so a file is never accepted in one place and refused in another.

#include <cstdint>
#include <filesystem>
#include <optional>

namespace corvane::platform {

struct FileProbe {
    enum class State {
        Readable,    // a regular file that opened for reading
        Missing,     // nothing by that name (or a folder on the way is missing)
        Unreadable,  // it exists but cannot be read as a regular file: permission, a folder, a FIFO...
    };
    State state = State::Missing;
    std::uint64_t size = 0;  // the length of a readable file
    int error = 0;           // the errno behind Missing or Unreadable; EINVAL: not a regular file

    bool readable() const { return state == State::Readable; }
};

// Opens path for reading without blocking (a FIFO named as a source cannot stall the caller),
// measures it and closes it again.
FileProbe probeFile(const std::filesystem::path& path);
// The same for name inside the open folder dirFd: no path to resolve again, which is what makes
// measuring a folder of many thousands of files cheap.
FileProbe probeFileAt(int dirFd, const char* name);

// Which file a path names, symbolic links followed: two paths name the same file exactly when
// their identities are equal, however they are spelled (a symbolic link, a hard link, "a/../a").
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};
// Nothing when there is no file by that name.
std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path);

}  // namespace corvane::platform
