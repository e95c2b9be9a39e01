#include <unistd.h>

#include <atomic>
#include <csignal>
#include <iostream>

#include "cli/corvane-build/BuildCommand.h"

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void onInterrupt(int) {
    g_interrupted = true;
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
