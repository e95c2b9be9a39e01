#pragma once

// Temporary files and folders that a build makes carry the id of the process that made them:
//
//     <work folder>/corvane-build-<pid>-<letters>/     a build's private work folder
//     <setup file>.part-<pid>-<letters>                  a setup (or cabinet set) being written
//
// A build that ends normally removes them itself. One that is killed (SIGKILL, a power cut)
// cannot, so every build first removes what dead builds left: an entry whose name has exactly
// this form and whose process no longer runs. A live build's entries, and anything named
// otherwise, are never touched.

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace corvane::platform {

// A new private folder "<parent>/<prefix>-<pid>-XXXXXX", removed with all it holds when the
// object goes. path() is empty when the folder could not be made.
class OwnedFolder {
public:
    OwnedFolder(const std::filesystem::path& parent, const std::string& prefix);
    ~OwnedFolder();
    OwnedFolder(const OwnedFolder&) = delete;
    OwnedFolder& operator=(const OwnedFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

// A name for the partial form of target, beside it: "<target>.part-<pid>-<letters>". Nothing is
// created.
std::filesystem::path partialPath(const std::filesystem::path& target);

// Removes the folders "<parent>/<prefix>-<pid>-<letters>" of processes that are gone; returns
// how many.
int removeDeadFolders(const std::filesystem::path& parent, const std::string& prefix);

// Removes the partial outputs "<target>.part-<pid>-<letters>" (files or folders) of processes
// that are gone; returns how many.
int removeDeadPartials(const std::filesystem::path& target);

// True when no process of this id runs any more. A process of another user still runs.
bool processIsGone(pid_t pid);

}  // namespace corvane::platform
