#include "platform/Leftovers.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <random>
#include <system_error>

namespace corvane::platform {

namespace fs = std::filesystem;

namespace {

// The process id in "<stem>-<pid>-<letters>", or 0 when name is not of that form.
pid_t ownerOf(const std::string& name, const std::string& stem) {
    if (name.size() <= stem.size() + 1 || name.compare(0, stem.size(), stem) != 0 || name[stem.size()] != '-')
        return 0;
    const char* begin = name.data() + stem.size() + 1;
    const char* end = name.data() + name.size();
    long long pid = 0;
    const auto [afterPid, error] = std::from_chars(begin, end, pid);
    if (error != std::errc() || afterPid == begin || *begin == '+' || afterPid == end || *afterPid != '-')
        return 0;
    const char* letters = afterPid + 1;
    if (letters == end) return 0;
    for (const char* c = letters; c != end; ++c)
        if (!std::isalnum(static_cast<unsigned char>(*c))) return 0;
    if (pid <= 0 || pid > static_cast<long long>(static_cast<pid_t>(~0u >> 1))) return 0;
    return static_cast<pid_t>(pid);
}

// Removes every entry of folder named "<stem>-<pid>-<letters>" whose process is gone and which
// is ours and of a kind we make; a symbolic link of that name is never followed or removed.
int removeDead(const fs::path& folder, const std::string& stem, bool filesToo) {
    int removed = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const pid_t pid = ownerOf(it->path().filename().string(), stem);
        if (pid == 0 || pid == ::getpid() || !processIsGone(pid)) continue;
        struct stat st {};
        if (::lstat(it->path().c_str(), &st) != 0 || st.st_uid != ::geteuid()) continue;
        if (!S_ISDIR(st.st_mode) && !(filesToo && S_ISREG(st.st_mode))) continue;
        std::error_code ignored;
        if (fs::remove_all(it->path(), ignored) > 0) ++removed;
    }
    return removed;
}

}  // namespace

OwnedFolder::OwnedFolder(const fs::path& parent, const std::string& prefix) {
    std::string pattern = (parent / prefix).string() + "-" + std::to_string(::getpid()) + "-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) m_path = pattern;
}

OwnedFolder::~OwnedFolder() {
    std::error_code ec;
    if (!m_path.empty()) fs::remove_all(m_path, ec);
}

fs::path partialPath(const fs::path& target) {
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::string letters;
    for (int i = 0; i < 8; ++i)
        letters += kLetters[seed() % (sizeof kLetters - 1)];
    fs::path path = target;
    path += ".part-" + std::to_string(::getpid()) + "-" + letters;
    return path;
}

int removeDeadFolders(const fs::path& parent, const std::string& prefix) {
    return removeDead(parent, prefix, false);
}

int removeDeadPartials(const fs::path& target) {
    const fs::path folder = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    return removeDead(folder, target.filename().string() + ".part", true);
}

bool processIsGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

}  // namespace corvane::platform
