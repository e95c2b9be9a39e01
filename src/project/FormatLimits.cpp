#include "project/FormatLimits.h"

#include <unordered_map>

#include "contract/RowFormat.h"
#include "model/Project.h"
#include "model/SettingsTable.h"
#include "platform/TextCase.h"
#include "project/RowFields.h"

namespace corvane::project {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}
bool hasLineBreak(const std::string& s) {
    return s.find_first_of("\r\n") != std::string::npos;
}

std::string trimmedFolded(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return platform::foldedCopy(std::string_view(s).substr(b, e - b));
}

class Checker {
public:
    explicit Checker(std::vector<FormatLimitProblem>& out) : m_out(out) {}

    template <class Entry>
    void checkRows(const char* section, const std::vector<Entry>& rows) {
        std::unordered_map<std::string, std::size_t> seen;
        for (std::size_t i = 0; i < rows.size(); ++i) {
            const std::string row = joinRow(rows[i]);
            auto report = [&](std::string reason) { m_out.push_back({section, i, row, std::move(reason)}); };
            if (uncarriedQuestionMark(rows[i])) report("a field holds \"?\", so the fields after it shift");
            if (hasLineBreak(row)) report("it holds a line break, which is stored as a blank");
            if (!row.empty() && (isBlank(row.front()) || isBlank(row.back())))
                report("blanks at its start or end are dropped");
            const std::string key = trimmedFolded(row);
            if (key.empty()) {
                report("it is empty, so it is not read back");
                continue;
            }
            if (contract::readProfileLine(std::string_view(row)).kind == contract::LineKind::Section)
                report("it starts with \"[\" and would read as a section");
            const auto [it, added] = seen.emplace(key, i);
            if (!added)
                report("it equals row " + std::to_string(it->second + 1) +
                       " up to letter case, so only one of them is stored");
        }
    }

    void checkSettings(const model::ProjectSettings& settings) {
        for (const model::SettingField& field : model::settingFields()) {
            const std::string value = model::storedValue(settings, field);
            auto report = [&](std::string reason) {
                m_out.push_back({"Settings", 0, std::string(field.key), std::move(reason)});
            };
            if (hasLineBreak(value)) report("it holds a line break, which is stored as a blank");
            if (!value.empty() && (isBlank(value.front()) || isBlank(value.back())))
                report("blanks at its start or end are dropped");
            else if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                     value.back() == value.front())
                report("its enclosing quotes are dropped");
        }
    }

private:
    std::vector<FormatLimitProblem>& m_out;
};

}  // namespace

std::string FormatLimitProblem::describe() const {
    if (section == "Settings") return "Settings " + name + ": " + reason;
    return section + " row " + std::to_string(row + 1) + " (" + name + "): " + reason;
}

std::vector<FormatLimitProblem> findFormatLimitProblems(const model::Project& project) {
    std::vector<FormatLimitProblem> problems;
    Checker checker(problems);
    checker.checkSettings(project.settings);
    checker.checkRows("License", project.licenses);
    checker.checkRows("Readme", project.readmes);
    checker.checkRows("Files", project.files);
    checker.checkRows("Shortcuts", project.shortcuts);
    checker.checkRows("Registry", project.registry);
    checker.checkRows("INI", project.ini);
    checker.checkRows("Associations", project.associations);
    checker.checkRows("DLL", project.dlls);
    return problems;
}

std::string withoutLineBreaks(std::string text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;  // CR LF is one break
        out += (text[i] == '\r' || text[i] == '\n') ? ' ' : text[i];
    }
    return out;
}

}  // namespace corvane::project
