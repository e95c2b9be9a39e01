#include "builder/SigningCommand.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

extern char** environ;

namespace corvane::builder {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kPlaceholder = "{}";
// The end of a failing command's output that its message quotes; signing tools put the reason
// last, and a page of it would bury the message.
constexpr std::size_t kQuotedOutput = 600;

std::string shellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

std::string outputTail(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    if (text.size() > kQuotedOutput) text = "..." + text.substr(text.size() - kQuotedOutput);
    return text;
}

}  // namespace

std::string signingCommandProblem(std::string_view command) {
    if (command.find_first_not_of(" \t") == std::string_view::npos) return {};
    if (command.find(kPlaceholder) == std::string_view::npos)
        return "The signing command must contain {} where the file to sign goes.";
    if (command.find_first_of("\r\n") != std::string_view::npos)
        return "The signing command must be one line.";
    return {};
}

std::string signingCommandFor(std::string_view command, const fs::path& file) {
    const std::string quoted = shellQuoted(file.string());
    std::string result;
    std::size_t at = 0;
    for (std::size_t found; (found = command.find(kPlaceholder, at)) != std::string_view::npos;
         at = found + kPlaceholder.size())
        result.append(command.substr(at, found - at)).append(quoted);
    return result.append(command.substr(at));
}

void runSigningCommand(std::string_view command, const fs::path& file, const fs::path& shownAs,
                       const fs::path& scratchFolder) {
    const std::string line = signingCommandFor(command, file);
    const fs::path output = scratchFolder / "signing-output.txt";
    const auto failure = [&](const std::string& what) {
        const std::string said = outputTail(output);
        return std::runtime_error("Signing " + shownAs.string() + " failed: " + what +
                                  (said.empty() ? std::string() : ":\n" + said));
    };

    // The command's output goes to a file, so the message can quote it; it reads nothing.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    const char* argv[] = {"/bin/sh", "-c", line.c_str(), nullptr};
    pid_t child = 0;
    const int spawned =
        posix_spawn(&child, "/bin/sh", &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        throw failure(std::string("the shell cannot be started (") + std::strerror(spawned) + ")");

    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            throw failure(std::string("waiting for the command failed (") + std::strerror(errno) + ")");
    }
    std::error_code ec;
    if (WIFSIGNALED(status)) {
        const std::runtime_error error =
            failure("the command was killed by signal " + std::to_string(WTERMSIG(status)));
        fs::remove(output, ec);
        throw error;
    }
    if (WEXITSTATUS(status) != 0) {
        const std::runtime_error error =
            failure("the command exited with status " + std::to_string(WEXITSTATUS(status)));
        fs::remove(output, ec);
        throw error;
    }
    fs::remove(output, ec);
    if (!fs::is_regular_file(file, ec))
        throw std::runtime_error("Signing " + shownAs.string() + " failed: the command left no file behind");
}

}  // namespace corvane::builder
