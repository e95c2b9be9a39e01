#pragma once

// zansetup.ini, the setup runtime's whole view of a project: every scalar setting, the stub's
// length (FileSize, where the payload starts) and one line per file, shortcut, registry value,
// INI value, association and OCX/DLL registration. The build drives this writer step by step:
// the settings first, then one Files line as each cabinet is finished, then the other lists.
//
// The file keeps the private-profile writer's rules (see platform/ProfileFile.h), with one
// exception for Files: its k-th line must describe the k-th cabinet after the stub, so two rows
// whose lines coincide must not collapse into one. Such a line gets a trailing field, "?2" for
// the second occurrence, "?3" for the third and so on; the runtime reads the first four fields
// of a Files line (destination, cabinet length, if-exists, uninstall) and ignores any further
// ones, so the lines stay distinct and read correctly. The other sections keep the writer's rule
// that equal lines (letter case aside) are stored once.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>

#include "builder/PasswordHash.h"
#include "platform/ProfileFile.h"

namespace corvane::model {
class Project;
struct FileEntry;
struct ShortcutEntry;
}  // namespace corvane::model

namespace corvane::builder {

class SetupDescriptionWriter {
public:
    // Every failure to write throws platform::ProfileWriteError, "Unable to write to <path>".
    // Deletes an older description at path, so nothing of it can survive into this build.
    explicit SetupDescriptionWriter(std::filesystem::path path);
    // A description kept in memory only (to show it); close() is not called then.
    SetupDescriptionWriter() = default;

    // The Settings section, FileSize last: the stub's length, the offset of the first cabinet.
    void writeSettings(const model::Project& project, std::uint64_t stubSize);
    // The Files line of one row, once its cabinet is finished.
    void writeFileLine(const model::FileEntry& row, std::uint64_t cabinetLength);
    // The key of that line before any "?2", "?3"... that keeps it apart from an equal one.
    static std::string fileLine(const model::FileEntry& row, std::uint64_t cabinetLength);
    // The key of a shortcut's line: its full path (folder and name joined by "\\"), then the
    // other fields.
    static std::string shortcutLine(const model::ShortcutEntry& row);
    // Shortcuts, Registry, INI, Associations and DLL, each list in its order.
    void writeOtherSections(const model::Project& project);
    // Writes the file; it is then ready to be packed.
    void close();

    const platform::ProfileFile& profile() const { return m_profile; }
    // Where the password hash's salt comes from. Unset, it is drawn from the product's name,
    // version, company and install folder, so rebuilding gives the same bytes.
    void setSaltSource(std::function<PasswordSalt()> source) { m_salt = std::move(source); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    platform::ProfileFile m_profile;
    std::function<PasswordSalt()> m_salt;
    std::unordered_map<std::string, int> m_nextOccurrence;  // folded Files line -> next "?N" to try
};

}  // namespace corvane::builder
