#include "builder/RowValueChecks.h"

#include <string>
#include <string_view>

#include "builder/BuildTimeVariables.h"
#include "builder/SetupDescription.h"
#include "contract/RowFormat.h"
#include "contract/RowValues.h"
#include "model/Project.h"
#include "project/FormatLimits.h"
#include "project/RowFields.h"

namespace corvane::builder {

namespace {

// A text as Setup.exe sees it: read back from the description, its variables expanded (an
// unknown "<name>" stays as written in a value).
std::string asSetupSees(const std::string& text, const BuildTimeVariables& variables) {
    const std::string stored = project::withoutLineBreaks(text);
    std::string expanded, unknown;
    contract::expandVariables(std::string_view(stored), variables, true, expanded, unknown);
    return expanded;
}

bool isBlankText(std::string_view text) {
    return contract::trimBlanks(text).empty();
}

CheckFailure refused(const char* list, CheckedField field, std::size_t row, const std::string& what) {
    return CheckFailure{std::string(list) + " row " + std::to_string(row + 1) + ": " + what + ".", field,
                        row};
}

// A flag Setup.exe would not read as Yes or No (If Exists as Overwrite or Skip): the editor shows
// it by the same rule, so a hand-edited "true" is named rather than taken for No.
std::optional<std::string> refusedFlag(const char* column, const std::string& value, bool ifExists = false) {
    const std::string stored = project::withoutLineBreaks(value);
    const std::string_view v(stored);
    if (ifExists ? contract::overwritesExisting(v).has_value() : contract::yesOrNo(v).has_value())
        return std::nullopt;
    return std::string("\"") + column + "\" is \"" + value + "\"; it must be " +
           (ifExists ? "Overwrite or Skip" : "Yes or No");
}

std::optional<CheckFailure> refusedFlags(const char* list, CheckedField field, std::size_t row,
                                         const std::string& overwrite, const std::string& uninstall) {
    std::optional<std::string> what = refusedFlag("Overwrite", overwrite);
    if (!what) what = refusedFlag("Uninstall", uninstall);
    if (what) return refused(list, field, row, *what);
    return std::nullopt;
}

std::optional<CheckFailure> refusedRegistryValue(const model::RegistryEntry& r, std::size_t row,
                                                 const BuildTimeVariables& variables) {
    auto fail = [&](const std::string& what) {
        return refused("Registry", CheckedField::Registry, row, what);
    };
    if (!contract::registryRootNamed(std::string_view(r.rootKey)))
        return fail("the root key \"" + r.rootKey +
                    "\" is none of HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS");
    if (contract::cleanSubkey(std::string_view(asSetupSees(r.subkey, variables))).empty())
        return fail("the subkey is empty");
    const std::optional<contract::RegistryType> type =
        contract::registryTypeNamed(std::string_view(project::withoutLineBreaks(r.valueType)));
    if (!type) return fail("the type \"" + r.valueType + "\" is neither String nor Dword");
    std::uint32_t number = 0;
    if (*type == contract::RegistryType::Dword &&
        !contract::parseDword(std::string_view(asSetupSees(r.valueData, variables)), number))
        return fail("the value data \"" + r.valueData +
                    "\" is no Dword: a whole number from -2147483648 to 4294967295, or 0x and up to "
                    "eight hexadecimal digits");
    return std::nullopt;
}

// Setup.exe reads its description line by line as the profile reader does
// (contract/RowFormat.h): a row whose line begins with "[" and holds "]" would read as the heading
// of a section, and this row and every row after it in its list would be lost to the setup.
template <class Entry, class Line>
std::optional<CheckFailure> unreadableLine(const std::vector<Entry>& rows, const char* list,
                                           CheckedField field, const Line& lineOf) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string line = lineOf(rows[i]);
        if (!contract::readsBackAsRow(std::string_view(line)))
            return refused(list, field, i,
                           "the setup would read its line, \"" + line +
                               "\", as a section heading (it begins with \"[\" and holds \"]\"), "
                               "not as this row");
    }
    return std::nullopt;
}

std::optional<CheckFailure> firstUnreadableLine(const model::Project& project) {
    const auto joined = [](const auto& row) { return project::withoutLineBreaks(project::joinRow(row)); };
    if (auto f = unreadableLine(project.files, "Files", CheckedField::Files, [](const model::FileEntry& row) {
            return SetupDescriptionWriter::fileLine(row, 0);
        }))
        return f;
    if (auto f = unreadableLine(project.shortcuts, "Shortcuts", CheckedField::Shortcuts,
                                &SetupDescriptionWriter::shortcutLine))
        return f;
    if (auto f = unreadableLine(project.registry, "Registry", CheckedField::Registry, joined)) return f;
    if (auto f = unreadableLine(project.ini, "INI Files", CheckedField::IniValues, joined)) return f;
    if (auto f =
            unreadableLine(project.associations, "File Associations", CheckedField::Associations, joined))
        return f;
    return unreadableLine(project.dlls, "OCX, DLL", CheckedField::Dlls, joined);
}

}  // namespace

std::optional<CheckFailure> firstRefusedRowValue(const model::Project& project) {
    const BuildTimeVariables variables(project.settings, BuildTimeVariables::ForValues);
    for (std::size_t i = 0; i < project.files.size(); ++i) {
        const model::FileEntry& f = project.files[i];
        std::optional<std::string> what = refusedFlag("If Exists", f.ifExists, true);
        if (!what) what = refusedFlag("Uninstall", f.uninstall);
        if (what) return refused("Files", CheckedField::Files, i, *what);
    }
    for (std::size_t i = 0; i < project.registry.size(); ++i) {
        if (auto failure = refusedRegistryValue(project.registry[i], i, variables)) return failure;
        const model::RegistryEntry& r = project.registry[i];
        if (auto failure = refusedFlags("Registry", CheckedField::Registry, i, r.overwrite, r.uninstall))
            return failure;
    }
    for (std::size_t i = 0; i < project.ini.size(); ++i) {
        const model::IniEntry& e = project.ini[i];
        if (auto failure = refusedFlags("INI Files", CheckedField::IniValues, i, e.overwrite, e.uninstall))
            return failure;
        if (isBlankText(asSetupSees(e.section, variables)))
            return refused("INI Files", CheckedField::IniValues, i, "the section is empty");
        if (isBlankText(asSetupSees(e.key, variables)))
            return refused("INI Files", CheckedField::IniValues, i, "the key is empty");
    }
    for (std::size_t i = 0; i < project.associations.size(); ++i) {
        const std::string& extension = project.associations[i].extension;
        if (!contract::isUsableExtension(std::string_view(project::withoutLineBreaks(extension))))
            return refused("File Associations", CheckedField::Associations, i,
                           "the extension \"" + extension +
                               "\" is no file extension: it needs a character after the dot and no "
                               "blank or any of \\ / : * ? \" < > |");
    }
    return firstUnreadableLine(project);
}

}  // namespace corvane::builder
