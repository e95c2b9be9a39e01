#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
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

std::filesystem::path writeTarget(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_symlink(path, ec)) return path;
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : resolved;
}

}  // namespace

std::string readWholeFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) throw std::runtime_error(path.string() + ": is a folder");
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error(path.string() + ": " + std::strerror(errno));
    std::string bytes;
    in.seekg(0, std::ios::end);
    const auto size = in.tellg();
    if (size > 0) bytes.reserve(static_cast<std::size_t>(size));
    in.seekg(0);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) throw std::runtime_error(path.string() + ": read error");
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
