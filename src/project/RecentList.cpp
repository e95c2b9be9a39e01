#include "project/RecentList.h"

#include <algorithm>

namespace corvane::project {

namespace {

std::string valueName(std::size_t n) {
    return "Recent" + std::to_string(n);
}

}  // namespace

bool RecentList::add(const std::string& path) {
    if (std::find(m_entries.begin(), m_entries.end(), path) != m_entries.end()) return false;
    m_entries.insert(m_entries.begin(), path);
    if (m_entries.size() > kCapacity) m_entries.pop_back();
    return true;
}

void RecentList::load(const ReadValue& read, const std::function<bool(const std::string&)>& fileExists) {
    m_entries.clear();
    for (std::size_t n = 0; n < kCapacity; ++n) {
        const std::optional<std::string> path = read(valueName(n));
        if (path && fileExists(*path)) m_entries.push_back(*path);
    }
}

void RecentList::store(const WriteValue& write) const {
    for (std::size_t n = 0; n < kCapacity; ++n)
        write(valueName(n), n < m_entries.size() ? std::optional<std::string>(m_entries[n]) : std::nullopt);
}

}  // namespace corvane::project
