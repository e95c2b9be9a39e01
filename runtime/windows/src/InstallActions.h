#pragma once

// Carries out what the description asks, in this order: files, OCX/DLL registration,
// shortcuts, registry values, INI values, associations, the Add/Remove Programs entry and the
// uninstall log. Every path is expanded and checked before the first change, so a bad line
// stops the setup with nothing done; a failure later on puts back everything this run created
// or replaced (Rollback.h).

#include <cstdint>
#include <string>
#include <vector>

#include "DescriptionReader.h"
#include "Rollback.h"
#include "SetupPayload.h"
#include "UninstallLog.h"

namespace corvane::rt {

class LanguageStrings;
class PathExpander;

// The system's text for an error code (GetLastError, an HRESULT), else "error <code>".
std::wstring systemError(DWORD code);

class InstallObserver {
public:
    virtual ~InstallObserver() = default;
    virtual void status(const std::wstring& text) = 0;
    virtual void progress(unsigned permille) = 0;
};

class Installer {
public:
    Installer(const SetupFile& setup, const Description& description, const std::vector<ByteRange>& cabinets,
              const std::vector<std::uint64_t>& fileSizes, const PathExpander& variables,
              const LanguageStrings& strings);

    // Expands and checks every line; nothing is changed on the machine.
    bool prepare(std::wstring& error);
    // Installs; on failure undoes this run's changes and returns false with the reason.
    bool run(InstallObserver& observer, std::wstring& error);
    // What the run did, one line per item, for /LOG=: installed, replaced, skipped, failed.
    const std::vector<std::wstring>& report() const { return m_report; }

private:
    struct PreparedFile {
        std::wstring path;
        ByteRange cabinet;
        std::uint64_t size;
        bool overwrite;
        bool uninstall;
    };
    struct PreparedShortcut {
        std::wstring path, target, arguments, workingDir, description, iconFile;
        int iconIndex, show;
    };
    struct PreparedValue {
        HKEY__* root;
        std::wstring subkey, name, data;
        bool isDword;
        std::uint32_t dword;
        bool overwrite, uninstall;
    };
    struct PreparedIni {
        std::wstring file, section, key, value;
        bool overwrite, uninstall;
    };
    struct PreparedAssociation {
        std::wstring extension, file;
    };

    // The steps of prepare, one per kind of line.
    bool prepareFiles(std::wstring& error);
    bool prepareServers(std::wstring& error);
    bool prepareShortcuts(std::wstring& error);
    bool prepareValues(std::wstring& error);
    bool prepareIni(std::wstring& error);
    bool prepareAssociations(std::wstring& error);
    bool makeFolders(const std::wstring& folder, std::wstring& error);
    bool installFiles(InstallObserver& observer, std::wstring& error);
    bool registerServers(InstallObserver& observer, std::wstring& error);
    bool createShortcuts(std::wstring& error);
    bool writeRegistry(std::wstring& error);
    bool writeIni(std::wstring& error);
    bool associate(std::wstring& error);
    bool registerUninstaller(std::wstring& error);
    bool saveLog(std::wstring& error);

    const SetupFile& m_setup;
    const Description& m_description;
    const std::vector<ByteRange>& m_cabinets;
    const std::vector<std::uint64_t>& m_fileSizes;
    const PathExpander& m_variables;
    const LanguageStrings& m_strings;

    std::vector<PreparedFile> m_files;
    std::vector<PreparedShortcut> m_shortcuts;
    std::vector<PreparedValue> m_values;
    std::vector<PreparedIni> m_ini;
    std::vector<PreparedAssociation> m_associations;
    std::vector<std::wstring> m_servers;
    std::uint64_t m_totalBytes = 0;
    UninstallLog m_log;
    std::vector<std::wstring> m_report;
    Rollback m_rollback;
};

}  // namespace corvane::rt
