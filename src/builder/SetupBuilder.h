#pragma once

// The build: a project becomes one setup file. The setup stub comes first, then one cabinet per
// Files row in list order, then the description cabinet (languages, documents, zansetup.ini,
// bitmaps), and last the description cabinet's length as ten decimal digits:
//
//     [ Setup.exe | 0.cab | 1.cab | ... | zansetup.cab | 0000001234 ]
//
// The stub finds the description from the trailer, and the file cabinets from FileSize (the
// stub's length) and the lengths the Files lines give. The project file is never read, and a
// build changes nothing in the project.
//
// The engine knows no window: it reports through callbacks (status text, progress 0..100, a
// pump for the caller's events, and the cancel flag, read at every check point), which the
// editor's build dialog and corvane-build both supply.
//
// Where Corvane goes beyond the classic build: the setup is assembled under a temporary name
// beside the target and renamed over it only when complete, so a cancelled or failed build never
// leaves a truncated setup where a good one stood; cancel is also honoured while one large file
// is compressed; files the cabinet format cannot hold are refused before anything is written;
// the files' cabinets are compressed on several threads at once (FilePacker.h), with the same
// bytes and the same progress as on one; two builds of the same inputs are byte-identical
// (TimeStamps.h); and an author's signing command signs the uninstaller before it is packed and
// the finished setup before it takes its place (SigningCommand.h).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace corvane::model {
class Project;
}

namespace corvane::builder {

struct BuildCallbacks {
    std::function<void(const std::string& text)> status;
    std::function<void(int position)> progress;  // 0 to 100
    std::function<void()> pump;
    std::function<bool()> cancelRequested;
};

struct BuildResult {
    enum class Outcome {
        Succeeded,
        Cancelled,
        AccessDenied,  // the setup file could not be prepared: "File access denied:\r<path>"
        Failed,        // any other failure; message holds its text
    };
    Outcome outcome = Outcome::Failed;
    std::string message;
    std::filesystem::path setupFile;
    std::uint64_t setupSize = 0;
};

class SetupBuilder {
public:
    // programFolder holds Setup.exe and Languages/; workFolder takes the temporary files. Both
    // end with a separator.
    SetupBuilder(const model::Project& project, std::string programFolder, std::string workFolder);

    // Writes the setup here instead of the project's SetupFile.
    void setSetupFile(std::filesystem::path path) { m_setupFileOverride = std::move(path); }
    // How many files are compressed at a time; 0 (the default) takes defaultJobs().
    void setJobs(unsigned jobs) { m_jobs = jobs; }
    // A shell command with {} for the file; empty signs nothing. A command that fails fails the
    // build, and no setup is written.
    void setSigningCommand(std::string command) { m_signingCommand = std::move(command); }
    // Tests change a source here, on the packing thread, between packing it and examining it
    // again.
    void setAfterSourcePacked(std::function<void(std::size_t row)> hook) {
        m_afterSourcePacked = std::move(hook);
    }

    BuildResult run(const BuildCallbacks& callbacks);

private:
    const model::Project& m_project;
    std::string m_programFolder;
    std::string m_workFolder;
    std::filesystem::path m_setupFileOverride;
    unsigned m_jobs = 0;
    std::string m_signingCommand;
    std::function<void(std::size_t row)> m_afterSourcePacked;
};

// The progress position for k of n steps within one half of the bar, rounded half to even:
// 12.5 shows as 12, 37.5 as 38.
int progressPosition(std::size_t k, std::size_t n, int base);

}  // namespace corvane::builder
