#include "model/Project.h"

#include <algorithm>
#include <limits>

#include "model/LanguageCatalogue.h"
#include "platform/TextCase.h"

namespace corvane::model {

namespace {

// The example addresses a new project carries until the author types their own.
constexpr const char* kExampleWebSite = "https://www.example.com/";
constexpr const char* kExampleSupport = "mailto:support@example.com";
constexpr const char* kExampleUninstallPage = "https://www.example.com/uninstall.html";
constexpr const char* kExampleProductPage = "https://www.example.com/product.html";

constexpr const char* kNewRegistrySubkey = "Software\\<CompanyName>\\<AppName>";

}  // namespace

Project::Project(std::string programFolder, std::string defaultSetupFile)
    : m_programFolder(std::move(programFolder)), m_defaultSetupFile(std::move(defaultSetupFile)) {
    newProject();
}

void Project::newProject() {
    projectPath = std::string(kNewProjectPath);

    ProjectSettings s;
    s.appName = "My Program";
    s.appVersion = "1.0";
    s.companyName = "My Company";
    s.webSite = kExampleWebSite;
    s.support = kExampleSupport;
    s.setupFile = m_defaultSetupFile;
    s.compressionType = kNormalCompression;
    s.wizard = m_programFolder + "Wizard_0.bmp";
    s.header = m_programFolder + "Header_0.bmp";
    s.defaultLanguage = kNoChoice;
    s.installDir = "<ProgramFiles>\\<AppName>";
    s.rootKey = 2;
    s.subkey = kNewRegistrySubkey;
    s.value = "Directory";
    s.uninstallAddress = kExampleUninstallPage;
    s.programGroup = "<AppName>";
    s.visitSiteAddress = kExampleProductPage;
    settings = s;

    scanLanguageCatalogue();
    licenses.clear();
    readmes.clear();
    files.clear();
    shortcuts.clear();
    ini.clear();
    associations.clear();
    dlls.clear();
    registry = {
        {"HKEY_LOCAL_MACHINE", kNewRegistrySubkey, "Directory", "String", "<InstallDir>", kYes, kNo},
        {"HKEY_LOCAL_MACHINE", kNewRegistrySubkey, "Version", "String", "<AppVersion>", kYes, kNo},
    };
    m_modified = false;
}

void Project::scanLanguageCatalogue() {
    m_languageFiles = scanLanguageFolder(std::filesystem::path(m_programFolder) / "Languages");
    m_catalogue.clear();
    for (const LanguageFile& language : m_languageFiles)
        m_catalogue.push_back(language.name);
    m_selected.assign(m_catalogue.size(), false);
}

bool Project::isLanguageSelected(std::size_t cataloguePosition) const {
    return cataloguePosition < m_selected.size() && m_selected[cataloguePosition];
}

void Project::setLanguageSelected(std::size_t cataloguePosition, bool selected) {
    if (cataloguePosition < m_selected.size()) m_selected[cataloguePosition] = selected;
}

std::vector<std::string> Project::selectedLanguages() const {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < m_catalogue.size(); ++i)
        if (m_selected[i]) names.push_back(m_catalogue[i]);
    return names;
}

std::vector<LanguageFile> Project::selectedLanguageFiles() const {
    std::vector<LanguageFile> languages;
    for (std::size_t i = 0; i < m_languageFiles.size(); ++i)
        if (m_selected[i]) languages.push_back(m_languageFiles[i]);
    return languages;
}

std::string Project::defaultLanguageName() const {
    const std::vector<std::string> names = selectedLanguages();
    const std::int32_t pos = settings.defaultLanguage;
    if (pos < 0 || static_cast<std::size_t>(pos) >= names.size()) return {};
    return names[static_cast<std::size_t>(pos)];
}

void Project::rebuildDocumentLists() {
    markModified();
    licenses.assign(1, {kDefaultLanguageCaption, {}});
    for (const std::string& name : selectedLanguages())
        licenses.push_back({name, {}});
    readmes = licenses;
    settings.defaultLanguage = licenses.size() > 1 ? 0 : kNoChoice;
}

void Project::setUninstall(bool on) {
    if (settings.uninstall == on) return;
    settings.uninstall = on;
    settings.showPrograms = on;
    settings.uninstallPage = on;
    const std::string source = uninstallerSource();
    if (on) {
        files.push_back(
            {source, std::string(kUninstallerSize), std::string(kUninstallerInstallTo), "Overwrite", kYes});
    } else {
        auto it =
            std::find_if(files.begin(), files.end(), [&](const FileEntry& f) { return f.source == source; });
        if (it != files.end()) files.erase(it);
    }
}

std::optional<std::size_t> Project::uninstallerRow() const {
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& source = files[i].source;
        const std::size_t slash = source.find_last_of("/\\");
        const std::string_view name =
            std::string_view(source).substr(slash == std::string::npos ? 0 : slash + 1);
        if (platform::equalsIgnoringCase(files[i].installTo, kUninstallerInstallTo) &&
            platform::equalsIgnoringCase(name, kUninstallerFileName))
            return i;
    }
    return std::nullopt;
}

bool Project::adoptCurrentUninstaller() {
    if (!settings.uninstall) return false;
    const std::optional<std::size_t> row = uninstallerRow();
    if (!row || files[*row].source == uninstallerSource()) return false;
    files[*row].source = uninstallerSource();
    return true;
}

void Project::setRestart(bool on) {
    if (settings.restart == on) return;
    settings.restart = on;
    if (on) {
        setLaunchFile(false);
        setViewReadme(false);
        setVisitSite(false);
    }
}

void Project::setLaunchFile(bool on) {
    if (settings.launchFile == on) return;
    settings.launchFile = settings.launchChecked = on;
}

void Project::setViewReadme(bool on) {
    if (settings.viewReadme == on) return;
    settings.viewReadme = settings.viewReadmeChecked = on;
}

void Project::setVisitSite(bool on) {
    if (settings.visitSite == on) return;
    settings.visitSite = settings.visitSiteChecked = on;
}

std::vector<std::string> Project::installedFiles() const {
    std::vector<std::string> list;
    list.reserve(files.size());
    for (const FileEntry& f : files)
        list.push_back(f.installTo);
    return list;
}

std::int64_t Project::totalSize() const {
    std::int64_t total = 0;
    for (const FileEntry& f : files)
        total += parseSizeField(f.size);
    return total;
}

std::filesystem::path Project::resolvePath(std::string_view authorPath) const {
    return resolveAuthorPath(
        isSaved() ? std::filesystem::path(projectPath).parent_path() : std::filesystem::path(), authorPath);
}

std::filesystem::path resolveAuthorPath(const std::filesystem::path& projectFolder,
                                        std::string_view authorPath) {
    std::filesystem::path p{std::string(authorPath)};
    if (p.empty() || p.is_absolute()) return p;
    return projectFolder / p;
}

std::int64_t parseSizeField(std::string_view size) {
    const auto first = size.find_first_not_of(" \t");
    if (first == std::string_view::npos) return 0;
    std::int64_t n = 0;
    for (std::size_t i = first; i < size.size() && size[i] >= '0' && size[i] <= '9'; ++i) {
        const int digit = size[i] - '0';
        if (n > (std::numeric_limits<std::int64_t>::max() - digit) / 10) return 0;
        n = n * 10 + digit;
    }
    return n;
}

}  // namespace corvane::model
