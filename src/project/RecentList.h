#pragma once

// The list of recently opened projects: at most ten full paths, the most recent first. A path
// already listed keeps its place (paths are compared exactly, letter case included), so the
// Reopen menu does not reshuffle under the author's hand.
//
// The list is stored as string values "Recent0" to "Recent9"; the store itself (QSettings in the
// editor) is reached through the two functions the caller passes.

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace corvane::project {

class RecentList {
public:
    static constexpr std::size_t kCapacity = 10;

    const std::vector<std::string>& entries() const { return m_entries; }

    // Puts a path at the top unless it is listed already; returns whether the list changed.
    bool add(const std::string& path);

    using ReadValue = std::function<std::optional<std::string>(const std::string& name)>;
    using WriteValue = std::function<void(const std::string& name, const std::optional<std::string>& value)>;

    // Reads Recent0..Recent9 in order; missing values and paths whose file is gone are skipped.
    void load(const ReadValue& read, const std::function<bool(const std::string&)>& fileExists);
    // Writes one value per entry and removes the values above the list's length, so entries of
    // an earlier, longer list cannot come back at the next start.
    void store(const WriteValue& write) const;

private:
    std::vector<std::string> m_entries;
};

}  // namespace corvane::project
