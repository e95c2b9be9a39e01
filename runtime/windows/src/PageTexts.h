#pragma once

// Texts a property sheet points at while it runs: they must outlive it and never move, so they
// live in a fixed array, and a text past its capacity comes back empty instead of writing past
// the end.

#include <array>
#include <cstddef>
#include <string>

namespace corvane::rt {

template <std::size_t Capacity>
class PageTexts {
public:
    const wchar_t* keep(std::wstring text) {
        if (m_used == Capacity) return L"";
        m_texts[m_used] = std::move(text);
        return m_texts[m_used++].c_str();
    }
    std::size_t size() const { return m_used; }

private:
    std::array<std::wstring, Capacity> m_texts;
    std::size_t m_used = 0;
};

}  // namespace corvane::rt
