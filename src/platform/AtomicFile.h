#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace corvane::platform {

// The whole content of a file. Throws std::runtime_error naming the file and the reason.
std::string readWholeFile(const std::filesystem::path& path);

// Replaces the file at path with bytes so that readers see either the old content or the new,
// never a mix: the bytes go to a new file beside the target, are flushed to disk, and the new
// file is renamed over the target. A symbolic link is written through to the file it names.
// The new file keeps the permissions of the file it replaces; a read-only file is refused.
// Throws std::system_error on any failure, after removing the half-written file; the target is
// then untouched.
void writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The file a write to path lands on: path itself, or for a symbolic link the file it names.
std::filesystem::path writeTarget(const std::filesystem::path& path);

// The last step of the same replacement for a file written elsewhere (on target's file system):
// flushes written to disk and renames it over target in one step. Throws std::system_error
// naming target; written is then left where it was, for its writer to remove.
void commitFile(const std::filesystem::path& written, const std::filesystem::path& target);

}  // namespace corvane::platform
