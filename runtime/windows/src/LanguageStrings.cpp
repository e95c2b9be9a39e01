#include "LanguageStrings.h"

#include "Text.h"

namespace corvane::rt {

namespace {

struct BuiltIn {
    const wchar_t* key;
    const wchar_t* text;
};

// English, the fallback for every key; runtime/Languages/English.lng holds the same texts.
// One entry per line, as tests/runtime/LanguageFilesCheck.sh reads them.
// clang-format off
constexpr BuiltIn kEnglish[] = {
    {L"SetupCaption", L"%1 Setup"},
    {L"LanguageTitle", L"Select Setup Language"},
    {L"LanguagePrompt", L"Select the language to use during the installation:"},
    {L"ButtonOK", L"OK"},
    {L"ButtonCancel", L"Cancel"},
    {L"ButtonBrowse", L"B&rowse..."},
    {L"ButtonBack", L"< &Back"},
    {L"ButtonNext", L"&Next >"},
    {L"ButtonInstall", L"&Install"},
    {L"ButtonFinish", L"&Finish"},
    {L"WelcomeTitle", L"Welcome to the %1 Setup Wizard"},
    {L"WelcomeText", L"This wizard will install %1 %2 on your computer.\n\nIt is recommended that you close all other applications before continuing.\n\nClick Next to continue, or Cancel to exit Setup."},
    {L"LicenseTitle", L"License Agreement"},
    {L"LicenseSubtitle", L"Please read the following license agreement carefully."},
    {L"LicenseAccept", L"I &accept the agreement"},
    {L"ReadmeTitle", L"Information"},
    {L"ReadmeSubtitle", L"Please read the following important information before continuing."},
    {L"PasswordTitle", L"Password"},
    {L"PasswordSubtitle", L"This installation is password protected."},
    {L"PasswordPrompt", L"Please enter the password, then click Next to continue."},
    {L"PasswordLabel", L"&Password:"},
    {L"PasswordWrong", L"The password you entered is not correct. Please try again."},
    {L"FolderTitle", L"Select Destination Location"},
    {L"FolderSubtitle", L"Where should %1 be installed?"},
    {L"FolderPrompt", L"Setup will install %1 into the following folder.\n\nTo continue, click Install. To choose a different folder, click Browse."},
    {L"FolderBrowse", L"Select the folder to install into:"},
    {L"FolderInvalid", L"Please enter a full path with a drive letter, for example C:\\Program Files\\%1."},
    {L"FolderSpaceRequired", L"Space required:"},
    {L"FolderSpaceAvailable", L"Space available:"},
    {L"ProgressTitle", L"Installing"},
    {L"ProgressSubtitle", L"Please wait while Setup installs %1 on your computer."},
    {L"StatusPreparing", L"Preparing the installation..."},
    {L"StatusExtracting", L"Extracting %1"},
    {L"StatusRegistering", L"Registering %1"},
    {L"StatusShortcuts", L"Creating shortcuts..."},
    {L"StatusRegistry", L"Writing registry values..."},
    {L"StatusIni", L"Writing INI values..."},
    {L"StatusAssociations", L"Associating file types..."},
    {L"StatusUninstaller", L"Registering the uninstaller..."},
    {L"FinishTitle", L"Completing the %1 Setup Wizard"},
    {L"FinishText", L"Setup has finished installing %1 on your computer.\n\nClick Finish to exit Setup."},
    {L"FinishRestart", L"&Restart the computer now"},
    {L"FinishLaunch", L"&Launch %1"},
    {L"FinishReadme", L"&View the readme file"},
    {L"FinishSite", L"Visit the &web site"},
    {L"FailedTitle", L"Setup was not completed"},
    {L"FailedText", L"Setup could not install %1. The changes made so far have been undone.\n\n%2"},
    {L"CancelConfirm", L"Setup is not complete. If you exit now, the program will not be installed.\n\nDo you want to exit Setup?"},
    {L"UninstallCaption", L"%1 Uninstall"},
    {L"UninstallConfirm", L"Are you sure you want to completely remove %1 and all of its components?"},
    {L"UninstallDone", L"%1 was successfully removed from your computer."},
    {L"UninstallDeferred", L"%1 was removed from your computer. Some files were in use; they will be removed when the computer restarts."},
    {L"UninstallNoLog", L"The uninstall information was not found. %1 cannot be removed automatically."},
};
// clang-format on

std::wstring unescapeBreaks(std::wstring_view text) {
    std::wstring out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\\' && i + 1 < text.size() && text[i + 1] == L'n') {
            out += L"\r\n";
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

}  // namespace

bool LanguageStrings::parse(std::string_view bytes) {
    const std::wstring content = fromUtf8(bytes);
    std::wstring section;
    for (const std::wstring& raw : splitFields(content, L'\n')) {
        const std::wstring line = trimmed(raw);
        if (line.empty() || line[0] == L';' || line[0] == L'#') continue;
        if (line[0] == L'[') {
            section = trimmed(std::wstring_view(line).substr(1, line.find(L']') - 1));
            continue;
        }
        const std::size_t eq = line.find(L'=');
        if (eq == std::wstring::npos) continue;
        const std::wstring key = trimmed(std::wstring_view(line).substr(0, eq));
        const std::wstring value = trimmed(std::wstring_view(line).substr(eq + 1));
        if (equalsNoCase(section, L"Language") && equalsNoCase(key, L"Name"))
            m_name = value;
        else if (equalsNoCase(section, L"Strings"))
            m_texts.emplace_back(key, unescapeBreaks(value));
    }
    return !m_name.empty() || !m_texts.empty();
}

std::wstring LanguageStrings::text(std::wstring_view key) const {
    for (const auto& [k, v] : m_texts)
        if (equalsNoCase(k, key) && !v.empty()) return v;
    for (const BuiltIn& b : kEnglish)
        if (key == b.key) {
            std::wstring out;
            for (const wchar_t* c = b.text; *c; ++c)
                out += *c == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, *c);
            return out;
        }
    return std::wstring(key);
}

std::vector<std::pair<std::wstring, std::wstring>> LanguageStrings::all() const {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    for (const BuiltIn& b : kEnglish)
        out.emplace_back(b.key, text(b.key));
    return out;
}

}  // namespace corvane::rt
