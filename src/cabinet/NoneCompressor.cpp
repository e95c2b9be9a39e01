#include "cabinet/NoneCompressor.h"

#include <algorithm>

namespace corvane::cabinet {

void NoneCompressor::write(std::span<const std::uint8_t> data, std::vector<codec::DataBlock>& out) {
    while (!data.empty()) {
        const std::size_t take = std::min(codec::kBlockSize - m_pending.data.size(), data.size());
        m_pending.data.insert(m_pending.data.end(), data.begin(),
                              data.begin() + static_cast<std::ptrdiff_t>(take));
        data = data.subspan(take);
        if (m_pending.data.size() == codec::kBlockSize) {
            m_pending.uncompressedSize = static_cast<std::uint16_t>(codec::kBlockSize);
            out.push_back(std::move(m_pending));
            m_pending = {};
        }
    }
}

void NoneCompressor::finish(std::vector<codec::DataBlock>& out) {
    if (m_pending.data.empty()) return;
    m_pending.uncompressedSize = static_cast<std::uint16_t>(m_pending.data.size());
    out.push_back(std::move(m_pending));
    m_pending = {};
}

}  // namespace corvane::cabinet
