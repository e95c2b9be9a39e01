#include <unistd.h>

#include <atomic>
#include <csignal>
#include <iostream>

#include "cli/corvane-build/BuildCommand.h"

namespace {

std::atomic<bool> g_interrupted{false};

// The first Ctrl+C (or SIGTERM) asks the build to stop at its next check, which removes its
// work folder and partial setup; a second one ends the program at once, and what it leaves is
// removed by the next build.
extern "C" void onInterrupt(int signal) {
    if (g_interrupted.exchange(true)) {
        std::signal(signal, SIG_DFL);
        std::raise(signal);
    }
}

}  // namespace

int main(int argc, char** argv) {
    std::signal(SIGINT, onInterrupt);
    std::signal(SIGTERM, onInterrupt);
    corvane::cli::CommandEnvironment environment;
    environment.terminal = ::isatty(STDOUT_FILENO) != 0;
    environment.interrupted = &g_interrupted;
    return corvane::cli::runBuildCommand(std::vector<std::string>(argv + 1, argv + argc), std::cout,
                                         std::cerr, environment);
}
