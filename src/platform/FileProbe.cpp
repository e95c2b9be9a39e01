#include "platform/FileProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace corvane::platform {

namespace {

FileProbe probeOpened(int fd) {
    FileProbe probe;
    if (fd < 0) {
        probe.error = errno;
        probe.state = probe.error == ENOENT || probe.error == ENOTDIR ? FileProbe::State::Missing
                                                                      : FileProbe::State::Unreadable;
        return probe;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        probe.error = errno;
        probe.state = FileProbe::State::Unreadable;
    } else if (!S_ISREG(st.st_mode)) {
        probe.error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
        probe.state = FileProbe::State::Unreadable;
    } else {
        probe.state = FileProbe::State::Readable;
        probe.size = static_cast<std::uint64_t>(st.st_size);
    }
    ::close(fd);
    return probe;
}

}  // namespace

FileProbe probeFile(const std::filesystem::path& path) {
    return probeOpened(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
}

FileProbe probeFileAt(int dirFd, const char* name) {
    return probeOpened(::openat(dirFd, name, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
}

std::optional<FileIdentity> fileIdentity(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    return FileIdentity{static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino)};
}

}  // namespace corvane::platform
