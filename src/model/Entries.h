#pragma once

// The rows of the project's lists. Every field is text in the form the lists show it: a size
// is decimal bytes, a flag is "Yes" or "No", a root key is its name. The fields keep that form
// on their way into the project file and the setup description.

#include <string>

namespace corvane::model {

struct FileEntry {
    std::string source;     // author-machine path of the file, as given (may be relative)
    std::string size;       // decimal bytes, measured when the row is made or loaded
    std::string installTo;  // full installed path, usually below a path variable
    std::string ifExists;   // "Overwrite" or "Skip"
    std::string uninstall;  // "Yes" or "No"
    // The source could not be found when the project was opened. The row is kept with the size
    // it was stored with, so a save writes it back unchanged; the build refuses it until the
    // file is back.
    bool sourceMissing = false;
    bool operator==(const FileEntry&) const = default;
};

struct ShortcutEntry {
    std::string destination;
    std::string name;
    std::string target;
    std::string description;
    std::string parameters;
    std::string workingDir;
    std::string iconFile;
    std::string iconIndex;
    std::string show;  // "Normal", "Maximize", "Minimize" or "Hide"
    bool operator==(const ShortcutEntry&) const = default;
};

struct RegistryEntry {
    std::string rootKey;  // "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE", "HKEY_USERS"
    std::string subkey;
    std::string valueName;
    std::string valueType;  // "String" or "Dword"
    std::string valueData;
    std::string overwrite;
    std::string uninstall;
    bool operator==(const RegistryEntry&) const = default;
};

struct IniEntry {
    std::string iniFile;
    std::string section;
    std::string key;
    std::string value;
    std::string overwrite;
    std::string uninstall;
    bool operator==(const IniEntry&) const = default;
};

struct AssociationEntry {
    std::string extension;
    std::string associatedFile;
    bool operator==(const AssociationEntry&) const = default;
};

struct RegisterFileEntry {
    std::string file;  // installed path of an OCX or DLL to register
    bool operator==(const RegisterFileEntry&) const = default;
};

// A row of the License or Readme list: "(Default)" or a selected language, and its document.
struct LanguageDocEntry {
    std::string language;
    std::string file;  // author-machine path, empty when none is chosen
    bool operator==(const LanguageDocEntry&) const = default;
};

inline constexpr const char* kDefaultLanguageCaption = "(Default)";
inline constexpr const char* kYes = "Yes";
inline constexpr const char* kNo = "No";

}  // namespace corvane::model
