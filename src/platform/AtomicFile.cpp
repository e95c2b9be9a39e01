#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <stdexcept>
#include <system_error>

namespace corvane::platform {

namespace {

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Closes the descriptor and removes the temporary file unless the rename has taken it over.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
        std::random_device seed;
        std::mt19937 rng(seed());
        for (int attempt = 0; attempt < 100; ++attempt) {
            m_path = target;
            m_path += ".tmp-" + std::to_string(rng() % 1000000000u);
            m_fd = ::open(m_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (m_fd >= 0 || errno != EEXIST) break;
        }
        if (m_fd < 0) throwErrno("cannot create a file beside " + target.string());
    }
    ~TemporaryFile() {
        if (m_fd >= 0) ::close(m_fd);
        if (!m_committed) ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return m_fd; }
    const std::filesystem::path& path() const { return m_path; }
    void closeFile() {
        const int fd = m_fd;
        m_fd = -1;
        if (::close(fd) != 0) throwErrno("cannot close " + m_path.string());
    }
    void commit() { m_committed = true; }

private:
    std::filesystem::path m_path;
    int m_fd = -1;
    bool m_committed = false;
};

}  // namespace

std::filesystem::path writeTarget(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : resolved;
}

void commitFile(const std::filesystem::path& written, const std::filesystem::path& target) {
    const int fd = ::open(written.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throwErrno("cannot write " + target.string());
    const bool flushed = ::fsync(fd) == 0;
    const int error = errno;
    ::close(fd);
    errno = error;
    if (!flushed) throwErrno("cannot write " + target.string());
    if (::rename(written.c_str(), target.c_str()) != 0) throwErrno("cannot replace " + target.string());
}

// The open does not block, so a FIFO in a project's or a language file's place fails at once
// instead of hanging the caller until something writes to it.
std::string readWholeFile(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) throw std::runtime_error(path.string() + ": " + std::strerror(errno));
    struct stat st {};
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        problem = "is a folder";
    else if (!S_ISREG(st.st_mode))
        problem = "is not a regular file";
    else if (::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)
        problem = std::strerror(errno);
    std::string bytes;
    if (problem.empty()) {
        if (st.st_size > 0) bytes.reserve(static_cast<std::size_t>(st.st_size));
        char block[65536];
        for (;;) {
            const ssize_t n = ::read(fd, block, sizeof block);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) problem = "read error";
            if (n <= 0) break;
            bytes.append(block, static_cast<std::size_t>(n));
        }
    }
    ::close(fd);
    if (!problem.empty()) throw std::runtime_error(path.string() + ": " + problem);
    return bytes;
}

void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    const std::filesystem::path target = writeTarget(path);
    struct stat old {};
    const bool replacing = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    // The rename below would replace a file whatever its own permissions say, so a file the user
    // made read-only is refused here, as an editor on any desktop refuses it. The mode bits are
    // asked as well as access(): for root, access() grants every write.
    if (replacing && ((old.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0)) {
        errno = EACCES;
        throwErrno(target.string() + " is read-only");
    }
    TemporaryFile temp(target);
    if (replacing) ::fchmod(temp.fd(), old.st_mode & 07777);

    const char* p = bytes.data();
    std::size_t left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(temp.fd(), p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            throwErrno("cannot write " + temp.path().string());
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    if (::fsync(temp.fd()) != 0) throwErrno("cannot flush " + temp.path().string());
    temp.closeFile();
    if (::rename(temp.path().c_str(), target.c_str()) != 0) throwErrno("cannot replace " + target.string());
    temp.commit();
}

}  // namespace corvane::platform
