#pragma once

// The author's signing command, run on the uninstaller before it is packed and on the finished
// setup before it takes its place: a shell command line in which {} stands for the file, for
// example
//
//     osslsigncode sign -pkcs12 cert.p12 -in {} -out {}.signed && mv {}.signed {}
//
// Corvane quotes the path it puts in place of {}, so {} is written bare. The command must leave
// the signed file under the same name; any exit status but 0 fails the build.

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane::builder {

// What is wrong with a signing command as the author typed it, or empty when it can be used.
std::string signingCommandProblem(std::string_view command);

// The command with every {} replaced by file, quoted for the shell.
std::string signingCommandFor(std::string_view command, const std::filesystem::path& file);

// Runs the command on file through /bin/sh, its output kept in scratchFolder. Throws
// std::runtime_error naming shownAs (the file as the author knows it) with the exit status and
// the end of the command's output when the command fails or cannot be started.
void runSigningCommand(std::string_view command, const std::filesystem::path& file,
                       const std::filesystem::path& shownAs, const std::filesystem::path& scratchFolder);

}  // namespace corvane::builder
