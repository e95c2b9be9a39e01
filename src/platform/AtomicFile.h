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

}  // namespace corvane::platform
