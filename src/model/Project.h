#pragma once

// The one project the editor works on: its settings, its lists, the language selection and the
// companions (project path, modified flag, language catalogue). Values are kept in the text form
// in which they are shown, stored and handed to the builder.
//
// The model applies the rules that tie settings together (companions follow their masters, the
// uninstaller row, Restart switching the finish offers off, the document lists following the
// language selection). It never marks itself modified except where a rebuild of the document
// lists does so; whoever edits through the editor marks the project modified.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Entries.h"
#include "model/LanguageCatalogue.h"
#include "model/ProjectSettings.h"

namespace corvane::model {

inline constexpr std::string_view kNewProjectPath = "NewProject";
inline constexpr std::string_view kUninstallerFileName = "Uninstall.exe";
inline constexpr std::string_view kUninstallerSize = "54784";  // fixed text; a load measures the file
inline constexpr std::string_view kUninstallerInstallTo = "<InstallDir>\\Uninstall.exe";

class Project {
public:
    // programFolder ends with the native separator. defaultSetupFile is the setup file a new
    // project names (the user's home folder on Linux).
    Project(std::string programFolder, std::string defaultSetupFile);

    ProjectSettings settings;
    std::vector<LanguageDocEntry> licenses;
    std::vector<LanguageDocEntry> readmes;
    std::vector<FileEntry> files;
    std::vector<ShortcutEntry> shortcuts;
    std::vector<RegistryEntry> registry;
    std::vector<IniEntry> ini;
    std::vector<AssociationEntry> associations;
    std::vector<RegisterFileEntry> dlls;

    // The project file's full path, or "NewProject" for a project never saved or opened.
    std::string projectPath{kNewProjectPath};
    bool isSaved() const { return projectPath != kNewProjectPath; }

    const std::string& programFolder() const { return m_programFolder; }

    // Resets every value to the new-project value and clears modified last.
    void newProject();

    // --- Languages -------------------------------------------------------------------------
    // Lists the program folder's language files again; no language is selected afterwards.
    void scanLanguageCatalogue();
    const std::vector<std::string>& languageCatalogue() const { return m_catalogue; }
    // The catalogue's files, parallel to languageCatalogue(): what a build packs.
    const std::vector<LanguageFile>& languageFiles() const { return m_languageFiles; }
    bool isLanguageSelected(std::size_t cataloguePosition) const;
    // Changes the selection only; the editor and the reader rebuild the document lists after.
    void setLanguageSelected(std::size_t cataloguePosition, bool selected);
    // The checked names in catalogue order; defaultLanguage is a position in this list.
    std::vector<std::string> selectedLanguages() const;
    // The files of the selected languages, in the same order.
    std::vector<LanguageFile> selectedLanguageFiles() const;
    // The name defaultLanguage points at, or empty when it points at nothing.
    std::string defaultLanguageName() const;
    // "(Default)" plus one row per selected language in both document lists, files forgotten,
    // the first language made the default. Marks the project modified.
    void rebuildDocumentLists();

    // --- Masters and their companions ---------------------------------------------------------
    // Each follows only a change: setting a master to the value it has changes nothing.
    void setUninstall(bool on);  // ShowPorgrams and UninstallPage follow; adds/removes the uninstaller row
    void setRestart(bool on);    // on switches LaunchFile, ViewReadme and VisitSite off
    void setLaunchFile(bool on);
    void setViewReadme(bool on);
    void setVisitSite(bool on);
    std::string uninstallerSource() const { return m_programFolder + std::string(kUninstallerFileName); }
    // The row that installs the uninstaller: the first one whose destination is
    // <InstallDir>\Uninstall.exe (letter case aside) and whose source is a file of that name.
    // Nothing when there is none.
    std::optional<std::size_t> uninstallerRow() const;
    // A project saved elsewhere names another machine's (or an older) program folder as the
    // uninstaller's source. While Uninstall is on, the uninstaller row takes this program
    // folder's Uninstall.exe, so the setup always carries the uninstaller that matches its stub.
    // Returns whether a row was changed.
    bool adoptCurrentUninstaller();

    // --- Derived file data (computed from files on demand, so it is never stale) -----------
    std::vector<std::string> installedFiles() const;
    std::size_t fileCount() const { return files.size(); }
    std::int64_t totalSize() const;

    // --- Modified flag -------------------------------------------------------------------------
    bool isModified() const { return m_modified; }
    void markModified() { m_modified = true; }
    void clearModified() { m_modified = false; }

    // An author-machine path (source, document, bitmap, setup file) as the file system should
    // see it: a relative path is taken relative to the project file's folder, so a project can
    // live in version control beside its payload. A never-saved project resolves against the
    // current folder. The stored text itself is never rewritten.
    std::filesystem::path resolvePath(std::string_view authorPath) const;

private:
    std::string m_programFolder;
    std::string m_defaultSetupFile;
    std::vector<std::string> m_catalogue;
    std::vector<LanguageFile> m_languageFiles;
    std::vector<bool> m_selected;  // parallel to m_catalogue
    bool m_modified = false;
};

// authorPath as the file system should see it: relative paths are taken from projectFolder.
std::filesystem::path resolveAuthorPath(const std::filesystem::path& projectFolder,
                                        std::string_view authorPath);

// A size field as a whole number: blanks trimmed, the leading decimal digits taken, anything
// else counting as 0.
std::int64_t parseSizeField(std::string_view size);

}  // namespace corvane::model
