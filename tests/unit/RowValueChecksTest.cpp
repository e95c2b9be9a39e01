#include "builder/RowValueChecks.h"

#include <functional>

#include <gtest/gtest.h>

#include "CheckableProgram.h"
#include "model/Project.h"

namespace corvane::builder {
namespace {

struct RowCase {
    const char* name;
    std::function<void(model::Project&)> addRow;
    const char* message;  // nullptr: the row builds
    CheckedField field = CheckedField::Registry;
};

model::RegistryEntry value(const char* root, const char* subkey, const char* type, const char* data) {
    return {root, subkey, "N", type, data, "Yes", "No"};
}

class RowValues : public ::testing::TestWithParam<RowCase> {
protected:
    test::CheckableProgram m_program;
};

// Each row as Setup.exe would take it; the message names the list, the row and the field.
TEST_P(RowValues, AreRefusedAsTheSetupRefusesThem) {
    model::Project p = m_program.passingProject();
    p.settings.appVersion = "3";
    p.registry = {value("HKCU", "Software\\Ok", "String", "fine")};
    p.ini.clear();
    p.associations.clear();
    GetParam().addRow(p);
    const std::optional<CheckFailure> failure = firstFailedCheck(p);
    if (!GetParam().message) {
        EXPECT_FALSE(failure.has_value()) << failure->message;
        return;
    }
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->message, GetParam().message);
    EXPECT_EQ(failure->field, GetParam().field);
    EXPECT_EQ(failure->row, 1u);
}

const RowCase kRowCases[] = {
    {"ShortAndOddlyCasedRoots", [](auto& p) { p.registry.push_back(value(" hkLM ", "S", "string", "x")); },
     nullptr},
    {"UnknownRoot", [](auto& p) { p.registry.push_back(value("HKEY_LOCAL", "S", "String", "x")); },
     "Registry row 2: the root key \"HKEY_LOCAL\" is none of HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, "
     "HKEY_LOCAL_MACHINE, HKEY_USERS."},
    {"SubkeyOfSeparatorsOnly", [](auto& p) { p.registry.push_back(value("HKCU", " \\\\ ", "String", "x")); },
     "Registry row 2: the subkey is empty."},
    {"UnknownType", [](auto& p) { p.registry.push_back(value("HKCU", "S", "REG_SZ", "x")); },
     "Registry row 2: the type \"REG_SZ\" is neither String nor Dword."},
    {"WholeDwords",
     [](auto& p) {
         for (const char* data : {"16", "-3", " 0x1F ", "4294967295", "-2147483648", "<AppVersion>"})
             p.registry.push_back(value("HKCU", "S", "Dword", data));
     },
     nullptr},
    // The editor lets "1.5" and "2E3" pass as numbers; no DWORD holds them.
    {"FractionalDword", [](auto& p) { p.registry.push_back(value("HKCU", "S", "Dword", "1.5")); },
     "Registry row 2: the value data \"1.5\" is no Dword: a whole number from -2147483648 to 4294967295, "
     "or 0x and up to eight hexadecimal digits."},
    {"DwordTooLarge", [](auto& p) { p.registry.push_back(value("HKCU", "S", "dword", "4294967296")); },
     "Registry row 2: the value data \"4294967296\" is no Dword: a whole number from -2147483648 to "
     "4294967295, or 0x and up to eight hexadecimal digits."},
    {"IniWithoutSection",
     [](auto& p) {
         p.ini.push_back({"<WindowsDir>\\a.ini", "S", "K", "V", "Yes", "Yes"});
         p.ini.push_back({"<WindowsDir>\\a.ini", " ", "K", "V", "Yes", "Yes"});
     },
     "INI Files row 2: the section is empty.", CheckedField::IniValues},
    {"IniWithoutKey",
     [](auto& p) {
         p.ini.push_back({"<WindowsDir>\\a.ini", "S", "K", "", "Yes", "Yes"});
         p.ini.push_back({"<WindowsDir>\\a.ini", "S", "", "V", "Yes", "Yes"});
     },
     "INI Files row 2: the key is empty.", CheckedField::IniValues},
    {"Extensions",
     [](auto& p) {
         for (const char* extension : {"txt", ".txt", "tar.gz", "ünï"})
             p.associations.push_back({extension, "<InstallDir>\\a.exe"});
     },
     nullptr},
    {"BareDot",
     [](auto& p) {
         p.associations.push_back({"txt", "<InstallDir>\\a.exe"});
         p.associations.push_back({".", "<InstallDir>\\a.exe"});
     },
     "File Associations row 2: the extension \".\" is no file extension: it needs a character after the "
     "dot and no blank or any of \\ / : * ? \" < > |.",
     CheckedField::Associations},
    {"ExtensionWithBlank",
     [](auto& p) {
         p.associations.push_back({"txt", "<InstallDir>\\a.exe"});
         p.associations.push_back({"my ext", "<InstallDir>\\a.exe"});
     },
     "File Associations row 2: the extension \"my ext\" is no file extension: it needs a character after "
     "the dot and no blank or any of \\ / : * ? \" < > |.",
     CheckedField::Associations},
    // Flags read as Setup.exe and the editor read them; anything else is named, not taken for No.
    {"FlagsInAnyLetterCase",
     [](auto& p) {
         p.registry.push_back({"HKCU", "S", "N", "String", "x", " yes ", "NO"});
         p.ini.push_back({"<WindowsDir>\\a.ini", "S", "K", "V", "yES", "no"});
         p.files.front().ifExists = "skip";
     },
     nullptr},
    {"FlagNeitherYesNorNo",
     [](auto& p) {
         p.registry.push_back({"HKCU", "S", "N", "String", "x", "Yes", "true"});
     },
     "Registry row 2: \"Uninstall\" is \"true\"; it must be Yes or No."},
    // Setup.exe reads a line beginning with "[" and holding "]" as a section heading; a line
    // beginning with ";" is a row like any other.
    {"ExtensionsAsTheLineRuleReadsThem",
     [](auto& p) {
         for (const char* extension : {";txt", "[txt", "#txt"})
             p.associations.push_back({extension, "<InstallDir>\\a.exe"});
     },
     nullptr},
    {"ExtensionReadAsASection",
     [](auto& p) {
         p.associations.push_back({"txt", "<InstallDir>\\a.exe"});
         p.associations.push_back({"[txt]", "<InstallDir>\\a.exe"});
     },
     "File Associations row 2: the setup would read its line, \"[txt]?<InstallDir>\\a.exe\", as a section "
     "heading (it begins with \"[\" and holds \"]\"), not as this row.",
     CheckedField::Associations},
};

INSTANTIATE_TEST_SUITE_P(Rows, RowValues, ::testing::ValuesIn(kRowCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace corvane::builder
