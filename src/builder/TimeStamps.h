#pragma once

// The time stamps of what a build makes itself. A source keeps its own modification time in its
// cabinet; the description (zansetup.ini), written anew by every build, would otherwise carry
// the moment of the build and make two builds of the same inputs differ. It takes
// SOURCE_DATE_EPOCH when that is set (the reproducible-builds convention), else the newest
// modification time among the files the setup carries, which is the same for the same inputs.
//
// Cabinet stamps are local DOS date and time, as Windows tools write them; builds meant to be
// identical across machines also agree on the time zone (TZ=UTC).

#include <ctime>
#include <filesystem>
#include <optional>
#include <vector>

namespace corvane::builder {

// SOURCE_DATE_EPOCH as seconds since 1970, or nothing when it is unset or empty. A value that is
// not a whole number of seconds throws std::runtime_error naming it: a build asked to be
// reproducible must not quietly fall back to something else.
std::optional<std::time_t> sourceDateEpoch();

// The newest modification time of files, in whole seconds; files that cannot be examined are
// skipped (the build reports them when it opens them). 0 when there is none.
std::time_t newestModificationTime(const std::vector<std::filesystem::path>& files);

// Sets file's modification time; throws std::runtime_error naming the file on failure.
void setModificationTime(const std::filesystem::path& file, std::time_t moment);

}  // namespace corvane::builder
