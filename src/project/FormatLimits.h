#pragma once

// Values a .zan file cannot carry faithfully. A row is stored as an INI key, so a "?" inside a
// field other than the row's free text shifts the fields after it (contract/RowFormat.h), blanks at its
// ends are dropped, and two rows equal up to letter case collapse into one; a setting's value
// loses blanks at its ends and one pair of enclosing quotes. The model does not refuse such
// values: the writer stores them as well as it can and reports them here, so the editor can
// warn the author by name.

#include <cstddef>
#include <string>
#include <vector>

namespace corvane::model {
class Project;
}

namespace corvane::project {

struct FormatLimitProblem {
    std::string section;  // "Settings", "Files", "Shortcuts", ...
    std::size_t row = 0;  // 0-based position in its list; unused for Settings
    std::string name;     // the setting's key, or the row as it is stored
    std::string reason;

    // "Files row 3 (a?b...): a field holds "?"" or "Settings AppName: ..."
    std::string describe() const;
};

std::vector<FormatLimitProblem> findFormatLimitProblems(const model::Project& project);

// Line breaks in a stored key or value would break the file's structure; they are written as
// blanks (and reported).
std::string withoutLineBreaks(std::string text);

}  // namespace corvane::project
