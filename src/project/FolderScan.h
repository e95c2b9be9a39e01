#pragma once

// Collecting the files below a folder the author adds to the Files list, and turning chosen
// files into rows. Qt-free, so the editor runs it off its GUI thread and tests and benchmarks
// call it directly.
//
// The scan goes depth first: a folder's entries in name order, each subfolder scanned as it is
// met, before the next entry. Hidden files count like any other; folders themselves make no
// rows. Symbolic links never lead the scan out of the chosen folder or round in a circle: a link
// to a folder is not entered (what it points at inside the folder is reached through its real
// path), and a link to a file outside the folder is left out and reported.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/Entries.h"

namespace corvane::project {

struct AddedFiles {
    std::vector<model::FileEntry> rows;  // in the order they go into the list
    // Could not be opened for reading, or (ending in "/") a folder that could not be listed.
    std::vector<std::string> deniedFiles;
    std::vector<std::string> linksLeadingOut;  // symbolic links left out
    bool cancelled = false;                    // the caller stopped it; rows is then empty
};

// Observes long work: called now and then with the number of files seen so far. Setting the
// flag stops the work at the next file.
struct AddProgress {
    std::function<void(std::size_t filesSeen)> report;
    const std::atomic<bool>* cancel = nullptr;
};

// The destination folder typed in the Add Files dialog with one trailing backslash removed;
// destination + "\" + name is then a file's installed path.
std::string destinationFolder(std::string typed);

// Rows for single files: installTo is destination + "\" + the file's name.
AddedFiles rowsForFiles(const std::vector<std::filesystem::path>& files, const std::string& destination,
                        const AddProgress& progress = {});

// Rows for every file below folder: installTo is destination + "\" + the file's path below
// folder, its parts joined with "\".
AddedFiles rowsForFolder(const std::filesystem::path& folder, const std::string& destination,
                         const AddProgress& progress = {});

}  // namespace corvane::project
