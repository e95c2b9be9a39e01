#pragma once

// Everything Setup.exe knows once it has opened and checked its own file: the description,
// the packed languages and documents, where each file's cabinet lies, and the user's choices.

#include <string>
#include <string_view>
#include <vector>

#include "CabinetExtractor.h"
#include "DescriptionReader.h"
#include "LanguageStrings.h"
#include "SetupPayload.h"

namespace corvane::rt {

struct SetupOptions {
    bool silent = false;      // /S, or Silent=1 in the description
    std::wstring installDir;  // /D=folder (the rest of the command line)
    std::wstring language;    // /LANG=name
    std::wstring password;    // /PASSWORD=text, for a silent protected setup
    bool noRestart = false;   // /NORESTART: never restart, even when the setup asks
    bool help = false;        // /?: show the switches and do nothing else
    std::wstring logPath;     // /LOG=file: what was installed, skipped, replaced and failed
};

class SetupSession {
public:
    // Opens the running program's own file and checks all of it: trailer, description,
    // lengths, every cabinet's checksums. Nothing is installed when this fails.
    bool open(const std::wstring& exePath, std::wstring& error);

    const Description& description() const { return m_description; }
    const SetupFile& file() const { return m_file; }
    const std::vector<ByteRange>& cabinets() const { return m_cabinets; }
    // Each file's size once installed, in the order of the cabinets, and their sum.
    const std::vector<std::uint64_t>& fileSizes() const { return m_fileSizes; }
    std::uint64_t installedBytes() const;

    // The languages packed into this setup, by name.
    const std::vector<std::wstring>& languages() const { return m_languages; }
    std::wstring defaultLanguage() const;
    void chooseLanguage(const std::wstring& name);
    const std::wstring& language() const { return m_language; }
    const LanguageStrings& strings() const { return m_strings; }
    std::wstring text(const wchar_t* key) const;

    // The license ('L') or readme ('R') document for the chosen language, else the default one.
    const CabMember* document(wchar_t kind) const;
    const CabMember* member(const std::wstring& name) const;
    // A fixed member of the description cabinet (contract::member).
    const CabMember* member(std::string_view name) const;

    // The installation folder the setup proposes: from the registry value when the description
    // asks and it holds a usable path, else InstallDir expanded.
    std::wstring proposedInstallDir() const;
    std::wstring setupFolder() const;

private:
    SetupFile m_file;
    Description m_description;
    std::vector<CabMember> m_members;
    std::vector<ByteRange> m_cabinets;
    std::vector<std::uint64_t> m_fileSizes;
    std::vector<std::wstring> m_languages;
    std::wstring m_language;
    LanguageStrings m_strings;
};

}  // namespace corvane::rt
