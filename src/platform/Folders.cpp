#include "platform/Folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace corvane::platform {

std::string withTrailingSeparator(std::string path) {
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

std::string programFolder() {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return withTrailingSeparator(std::filesystem::current_path(ec).string());
    return withTrailingSeparator(exe.parent_path().string());
}

std::string workFolder() {
    std::error_code ec;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
    return withTrailingSeparator(ec ? std::string("/tmp") : temp.string());
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0')
        return withTrailingSeparator(home);
    if (const passwd* pw = ::getpwuid(::getuid()); pw != nullptr && pw->pw_dir != nullptr)
        return withTrailingSeparator(pw->pw_dir);
    return "/";
}

std::string defaultSetupFile() {
    return homeFolder() + "Setup.exe";
}

}  // namespace corvane::platform
