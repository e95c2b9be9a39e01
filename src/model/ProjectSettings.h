#pragma once

// The scalar settings of a project, named after their project-file keys. The choice settings
// (compressionType, rootKey, defaultLanguage) are positions in their choice lists, -1 meaning
// that nothing is chosen.

#include <cstdint>
#include <string>

namespace corvane::model {

enum CompressionChoice : std::int32_t { kNoCompression = 0, kNormalCompression = 1, kMaximalCompression = 2 };
inline constexpr std::int32_t kNoChoice = -1;
inline constexpr std::int32_t kCompressionChoiceCount = 3;
inline constexpr std::int32_t kRootKeyChoiceCount = 4;

struct ProjectSettings {
    std::string appName;
    std::string appVersion;
    std::string companyName;
    std::string webSite;
    std::string support;
    std::string setupFile;
    std::int32_t compressionType = kNormalCompression;
    bool silent = false;
    std::string wizard;
    std::string header;
    std::int32_t defaultLanguage = kNoChoice;
    bool protect = false;
    std::string password;
    bool license = false;
    bool accept = false;
    bool readme = false;
    std::string installDir;
    bool getFromRegistry = false;
    std::int32_t rootKey = 2;
    std::string subkey;
    std::string value;
    bool uninstall = false;
    bool showPrograms = false;
    bool uninstallPage = false;
    std::string uninstallAddress;
    std::string programGroup;
    bool allUsersMenu = false;
    bool restart = false;
    bool launchFile = false;
    std::string launchFileName;
    bool launchChecked = false;
    bool viewReadme = false;
    std::string viewReadmeFileName;
    bool viewReadmeChecked = false;
    bool visitSite = false;
    std::string visitSiteAddress;
    bool visitSiteChecked = false;

    bool operator==(const ProjectSettings&) const = default;
};

}  // namespace corvane::model
