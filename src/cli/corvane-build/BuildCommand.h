#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

namespace corvane::cli {

struct CommandEnvironment {
    bool terminal = false;                           // draw a progress bar instead of plain lines
    const std::atomic<bool>* interrupted = nullptr;  // set by Ctrl+C: the build stops at its next check
};

// corvane-build's whole behaviour, with its arguments (without the program name) and output
// streams passed in, so tests run it in-process. Returns the process exit code.
int runBuildCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                    const CommandEnvironment& environment = {});

}  // namespace corvane::cli
