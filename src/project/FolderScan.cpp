#include "project/FolderScan.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <system_error>

#include "platform/FileProbe.h"
#include "platform/TextCase.h"

namespace corvane::project {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t kReportEvery = 256;  // files between progress reports: cheap, yet lively

class RowCollector {
public:
    RowCollector(std::string destination, const AddProgress& progress)
        : m_destination(std::move(destination)), m_progress(progress) {}

    bool cancelled() const { return m_progress.cancel != nullptr && m_progress.cancel->load(); }

    // One file: made a row when it opens for reading, else listed as denied.
    void add(const platform::FileProbe& probe, const fs::path& file, const std::string& installPart) {
        if (probe.readable())
            m_result.rows.push_back({file.string(), std::to_string(probe.size),
                                     m_destination + "\\" + installPart, "Overwrite", model::kYes});
        else
            m_result.deniedFiles.push_back(file.string());
        if (++m_seen % kReportEvery == 0 && m_progress.report) m_progress.report(m_seen);
    }

    void leaveOutLink(const fs::path& link) { m_result.linksLeadingOut.push_back(link.string()); }
    // A folder that cannot be listed: its files were never seen, so the folder itself is named.
    void denyFolder(const fs::path& folder) { m_result.deniedFiles.push_back((folder / "").string()); }

    AddedFiles finish() {
        if (cancelled()) {
            AddedFiles none;
            none.cancelled = true;
            return none;
        }
        if (m_progress.report) m_progress.report(m_seen);
        return std::move(m_result);
    }

private:
    std::string m_destination;
    const AddProgress& m_progress;
    AddedFiles m_result;
    std::size_t m_seen = 0;
};

// Names in a stable order that looks like what Windows shows: letter case aside first, then by
// bytes so that two names differing only in case keep a fixed order.
bool nameOrder(const std::string& a, const std::string& b) {
    const int folded = platform::compareIgnoringCase(a, b);
    return folded != 0 ? folded < 0 : a < b;
}

bool isInside(const fs::path& candidate, const fs::path& root) {
    auto c = candidate.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++c)
        if (c == candidate.end() || *c != *r) return false;
    return true;
}

// An open folder, closed when it goes out of scope.
class OpenFolder {
public:
    // followLink: only for the folder the author chose, which may well be reached through a link.
    OpenFolder(int parentFd, const char* name, bool followLink = false)
        : m_fd(::openat(parentFd, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | (followLink ? 0 : O_NOFOLLOW))) {
    }
    ~OpenFolder() {
        if (m_fd >= 0) ::close(m_fd);
    }
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;
    int fd() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }

    enum class Kind { File, Folder, Link };
    struct Entry {
        std::string name;
        Kind kind;
    };
    // The entries but "." and "..", in name order; nothing when the folder cannot be listed.
    std::optional<std::vector<Entry>> entries() const {
        std::vector<Entry> list;
        const int copy = m_fd >= 0 ? ::dup(m_fd) : -1;
        DIR* dir = copy >= 0 ? ::fdopendir(copy) : nullptr;
        if (dir == nullptr) {
            if (copy >= 0) ::close(copy);
            return std::nullopt;
        }
        while (const dirent* e = ::readdir(dir)) {
            const std::string_view name = e->d_name;
            if (name == "." || name == "..") continue;
            list.push_back({std::string(name), kindOf(*e)});
        }
        ::closedir(dir);
        std::sort(list.begin(), list.end(),
                  [](const Entry& a, const Entry& b) { return nameOrder(a.name, b.name); });
        return list;
    }

private:
    Kind kindOf(const dirent& e) const {
        unsigned char type = e.d_type;
        if (type == DT_UNKNOWN) {  // some file systems do not say; ask without following links
            struct stat st {};
            if (::fstatat(m_fd, e.d_name, &st, AT_SYMLINK_NOFOLLOW) == 0)
                type = S_ISLNK(st.st_mode) ? DT_LNK : S_ISDIR(st.st_mode) ? DT_DIR : DT_REG;
        }
        return type == DT_LNK ? Kind::Link : type == DT_DIR ? Kind::Folder : Kind::File;
    }

    int m_fd;
};

// Walks a folder through open folder handles: each file is opened relative to its folder, so
// no path is resolved twice, and O_NOFOLLOW keeps a folder swapped for a link from being entered.
class FolderWalker {
public:
    FolderWalker(const fs::path& root, RowCollector& rows) : m_rows(rows) {
        std::error_code ec;
        m_canonicalRoot = fs::canonical(root, ec);
        if (ec) m_canonicalRoot = fs::absolute(root, ec);
    }

    void walk(const OpenFolder& folder, const fs::path& path, const std::string& below) {
        const std::optional<std::vector<OpenFolder::Entry>> entries = folder.entries();
        if (!entries) {
            m_rows.denyFolder(path);
            return;
        }
        for (const OpenFolder::Entry& entry : *entries) {
            if (m_rows.cancelled()) return;
            const fs::path child = path / entry.name;
            const std::string part = below.empty() ? entry.name : below + "\\" + entry.name;
            switch (entry.kind) {
                case OpenFolder::Kind::Link:
                    link(child, part);
                    break;
                case OpenFolder::Kind::Folder:
                    walk(OpenFolder(folder.fd(), entry.name.c_str()), child, part);
                    break;
                case OpenFolder::Kind::File:
                    m_rows.add(platform::probeFileAt(folder.fd(), entry.name.c_str()), child, part);
                    break;
            }
        }
    }

private:
    void link(const fs::path& path, const std::string& part) {
        std::error_code ec;
        const fs::path target = fs::canonical(path, ec);
        if (ec) {
            m_rows.add(platform::probeFile(path), path, part);  // dangling: a file that cannot be opened
            return;
        }
        if (!isInside(target, m_canonicalRoot)) {
            m_rows.leaveOutLink(path);
            return;
        }
        if (fs::is_directory(target, ec)) return;  // reached through its real path
        m_rows.add(platform::probeFile(path), path, part);
    }

    fs::path m_canonicalRoot;
    RowCollector& m_rows;
};

}  // namespace

std::string destinationFolder(std::string typed) {
    if (!typed.empty() && typed.back() == '\\') typed.pop_back();
    return typed;
}

AddedFiles rowsForFiles(const std::vector<fs::path>& files, const std::string& destination,
                        const AddProgress& progress) {
    RowCollector rows(destination, progress);
    for (const fs::path& file : files) {
        if (rows.cancelled()) break;
        rows.add(platform::probeFile(file), file, file.filename().string());
    }
    return rows.finish();
}

AddedFiles rowsForFolder(const fs::path& folder, const std::string& destination,
                         const AddProgress& progress) {
    RowCollector rows(destination, progress);
    const OpenFolder top(AT_FDCWD, folder.c_str(), true);
    FolderWalker(folder, rows).walk(top, folder, {});
    return rows.finish();
}

}  // namespace corvane::project
