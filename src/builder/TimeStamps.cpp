#include "builder/TimeStamps.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <string_view>

namespace corvane::builder {

std::optional<std::time_t> sourceDateEpoch() {
    const char* text = std::getenv("SOURCE_DATE_EPOCH");
    if (text == nullptr || *text == '\0') return std::nullopt;
    const std::string_view value(text);
    long long seconds = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
    if (error != std::errc() || end != value.data() + value.size() || seconds < 0)
        throw std::runtime_error("SOURCE_DATE_EPOCH must be a whole number of seconds since 1970, not \"" +
                                 std::string(value) + "\"");
    return static_cast<std::time_t>(seconds);
}

std::time_t newestModificationTime(const std::vector<std::filesystem::path>& files) {
    std::time_t newest = 0;
    for (const std::filesystem::path& file : files) {
        struct stat status {};
        if (::stat(file.c_str(), &status) == 0 && status.st_mtime > newest) newest = status.st_mtime;
    }
    return newest;
}

void setModificationTime(const std::filesystem::path& file, std::time_t moment) {
    const struct timespec times[2] = {{moment, 0}, {moment, 0}};
    if (::utimensat(AT_FDCWD, file.c_str(), times, 0) != 0)
        throw std::runtime_error("Cannot set the time stamp of " + file.string() + ": " +
                                 std::strerror(errno));
}

}  // namespace corvane::builder
