#pragma once

// The texts of the setup's windows in one language, read from a .lng file (see
// runtime/Languages/README.md). A text missing from the file falls back to the English one
// built into the program, so an incomplete translation never shows an empty label.

#include <string>
#include <string_view>
#include <vector>

namespace corvane::rt {

class LanguageStrings {
public:
    bool parse(std::string_view bytes);

    const std::wstring& name() const { return m_name; }
    // The text for key; %1, %2... are filled by formatText().
    std::wstring text(std::wstring_view key) const;
    // Every key with its text, built-in English where the file has none.
    std::vector<std::pair<std::wstring, std::wstring>> all() const;

private:
    std::wstring m_name;
    std::vector<std::pair<std::wstring, std::wstring>> m_texts;
};

}  // namespace corvane::rt
