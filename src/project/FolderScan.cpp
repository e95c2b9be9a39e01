#include "project/FolderScan.h"

#include <algorithm>
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

    // One file: measured and made a row, or listed as denied.
    void add(const fs::path& file, const std::string& installPart) {
        const platform::FileProbe probe = platform::probeFile(file);
        if (probe.readable())
            m_result.rows.push_back({file.string(), std::to_string(probe.size),
                                     m_destination + "\\" + installPart, "Overwrite", model::kYes});
        else
            m_result.deniedFiles.push_back(file.string());
        if (++m_seen % kReportEvery == 0 && m_progress.report) m_progress.report(m_seen);
    }

    void leaveOutLink(const fs::path& link) { m_result.linksLeadingOut.push_back(link.string()); }

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
bool nameOrder(const fs::path& a, const fs::path& b) {
    const std::string x = a.filename().string(), y = b.filename().string();
    const int folded = platform::compareIgnoringCase(x, y);
    return folded != 0 ? folded < 0 : x < y;
}

bool isInside(const fs::path& candidate, const fs::path& root) {
    auto c = candidate.begin();
    for (auto r = root.begin(); r != root.end(); ++r, ++c)
        if (c == candidate.end() || *c != *r) return false;
    return true;
}

class FolderWalker {
public:
    FolderWalker(const fs::path& root, RowCollector& rows) : m_root(root), m_rows(rows) {
        std::error_code ec;
        m_canonicalRoot = fs::canonical(root, ec);
        if (ec) m_canonicalRoot = fs::absolute(root, ec);
    }

    void walk(const fs::path& folder, const std::string& below) {
        std::vector<fs::directory_entry> entries;
        std::error_code ec;
        for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
            entries.push_back(*it);
        // A folder that cannot be listed makes no rows, like an empty one; its files were never
        // seen, so there is nothing to name.
        std::sort(entries.begin(), entries.end(),
                  [](const fs::directory_entry& a, const fs::directory_entry& b) {
                      return nameOrder(a.path(), b.path());
                  });
        for (const fs::directory_entry& entry : entries) {
            if (m_rows.cancelled()) return;
            const std::string name = entry.path().filename().string();
            const std::string part = below.empty() ? name : below + "\\" + name;
            std::error_code typeError;
            if (entry.is_symlink(typeError)) {
                link(entry.path(), part);
            } else if (entry.is_directory(typeError)) {
                walk(entry.path(), part);
            } else {
                m_rows.add(entry.path(), part);
            }
        }
    }

private:
    void link(const fs::path& path, const std::string& part) {
        std::error_code ec;
        const fs::path target = fs::canonical(path, ec);
        if (ec) {
            m_rows.add(path, part);  // a dangling link: reported as a file that cannot be opened
            return;
        }
        if (!isInside(target, m_canonicalRoot)) {
            m_rows.leaveOutLink(path);
            return;
        }
        if (fs::is_directory(target, ec)) return;  // reached through its real path
        m_rows.add(path, part);
    }

    fs::path m_root;
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
        rows.add(file, file.filename().string());
    }
    return rows.finish();
}

AddedFiles rowsForFolder(const fs::path& folder, const std::string& destination,
                         const AddProgress& progress) {
    RowCollector rows(destination, progress);
    FolderWalker(folder, rows).walk(folder, {});
    return rows.finish();
}

}  // namespace corvane::project
