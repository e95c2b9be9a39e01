#include "InstallActions.h"

#include <windows.h>
// after windows.h, which they need
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "CabinetExtractor.h"
#include "ComPtr.h"
#include "LanguageStrings.h"
#include "PathExpander.h"
#include "Registry.h"
#include "SystemLibrary.h"
#include "Text.h"
#include "contract/RowValues.h"
#include "contract/TargetPaths.h"

namespace corvane::rt {

using contract::LogKind;
using contract::Setting;

namespace {

bool exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring parentOf(const std::wstring& path) {
    const std::size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring fileNameOf(const std::wstring& path) {
    return path.substr(path.rfind(L'\\') + 1);
}

// The machine type of a PE file: 0x8664 for x64, 0x14C for x86, 0 when unknown.
WORD machineOf(const std::wstring& path) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 0;
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS32 nt{};
    DWORD got = 0;
    WORD machine = 0;
    if (ReadFile(h, &dos, sizeof dos, &got, nullptr) && got == sizeof dos &&
        dos.e_magic == IMAGE_DOS_SIGNATURE &&
        SetFilePointer(h, dos.e_lfanew, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
        ReadFile(h, &nt, sizeof nt, &got, nullptr) && got == sizeof nt && nt.Signature == IMAGE_NT_SIGNATURE)
        machine = nt.FileHeader.Machine;
    CloseHandle(h);
    return machine;
}

bool runAndWait(std::wstring commandLine, DWORD& exitCode) {
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
        return false;
    WaitForSingleObject(pi.hProcess, INFINITE);
    GetExitCodeProcess(pi.hProcess, &exitCode);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

bool setString(HKEY key, const wchar_t* name, const std::wstring& value) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          DWORD((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool setDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) ==
           ERROR_SUCCESS;
}

bool isAscii(const std::wstring& s) {
    for (const wchar_t c : s)
        if (c > 127) return false;
    return true;
}

}  // namespace

std::wstring systemError(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring out = text ? trimmed(text) : L"error " + decimal(code);
    if (text) LocalFree(text);
    return out;
}

Installer::Installer(const SetupFile& setup, const Description& description,
                     const std::vector<ByteRange>& cabinets, const std::vector<std::uint64_t>& fileSizes,
                     const PathExpander& variables, const LanguageStrings& strings)
    : m_setup(setup),
      m_description(description),
      m_cabinets(cabinets),
      m_fileSizes(fileSizes),
      m_variables(variables),
      m_strings(strings) {}

bool Installer::prepare(std::wstring& error) {
    return prepareFiles(error) && prepareServers(error) && prepareShortcuts(error) && prepareValues(error) &&
           prepareIni(error) && prepareAssociations(error);
}

bool Installer::prepareFiles(std::wstring& error) {
    const PathExpander& v = m_variables;
    for (std::size_t k = 0; k < m_description.files.size(); ++k) {
        const FileLine& line = m_description.files[k];
        PreparedFile f{{}, m_cabinets[k], m_fileSizes[k], line.overwrite, line.uninstall};
        if (!v.expandPath(line.destination, f.path, error)) return false;
        if (!contract::namesAFile(std::wstring_view(line.destination))) {
            error = L"A file has no name: " + line.destination;
            return false;
        }
        // Installed sizes, not cabinet lengths: Add/Remove Programs shows what the files take.
        m_totalBytes += f.size;
        m_files.push_back(f);
    }
    return true;
}

bool Installer::prepareServers(std::wstring& error) {
    const PathExpander& v = m_variables;
    for (const std::wstring& dll : m_description.dlls) {
        std::wstring path;
        if (!v.expandPath(dll, path, error)) return false;
        m_servers.push_back(path);
    }
    return true;
}

bool Installer::prepareShortcuts(std::wstring& error) {
    const PathExpander& v = m_variables;
    for (const ShortcutLine& s : m_description.shortcuts) {
        PreparedShortcut p{};
        if (!v.expandPath(s.path, p.path, error) || !v.expandText(s.target, p.target, error) ||
            !v.expandText(s.parameters, p.arguments, error) ||
            !v.expandText(s.workingDir, p.workingDir, error) ||
            !v.expandText(s.description, p.description, error) ||
            !v.expandText(s.iconFile, p.iconFile, error))
            return false;
        if (p.path.size() < 4 || !equalsNoCase(std::wstring_view(p.path).substr(p.path.size() - 4), L".lnk"))
            p.path += L".lnk";
        p.iconIndex = s.iconIndex;
        p.show = s.show;
        m_shortcuts.push_back(p);
    }
    return true;
}

bool Installer::prepareValues(std::wstring& error) {
    const PathExpander& v = m_variables;
    for (const RegistryLine& r : m_description.registry) {
        PreparedValue p{rootKeyFromName(r.rootKey)};
        if (!p.root) {
            error = L"Unknown registry root key: " + r.rootKey;
            return false;
        }
        std::wstring subkey;
        if (!v.expandText(r.subkey, subkey, error) || !v.expandText(r.valueName, p.name, error) ||
            !v.expandText(r.data, p.data, error))
            return false;
        p.subkey = std::wstring(contract::cleanSubkey(std::wstring_view(subkey)));
        if (p.subkey.empty()) {
            error = L"A registry value has no subkey: " + r.rootKey + L"\\" + r.subkey;
            return false;
        }
        p.isDword = r.isDword;
        if (p.isDword && !parseDword(p.data, p.dword)) {
            error = L"Not a valid DWORD value: " + r.data + L" (" + r.valueName + L")";
            return false;
        }
        p.overwrite = r.overwrite;
        p.uninstall = r.uninstall;
        m_values.push_back(p);
    }
    return true;
}

bool Installer::prepareIni(std::wstring& error) {
    const PathExpander& v = m_variables;
    for (const IniLine& i : m_description.ini) {
        PreparedIni p{};
        if (!v.expandPath(i.file, p.file, error) || !v.expandText(i.section, p.section, error) ||
            !v.expandText(i.key, p.key, error) || !v.expandText(i.value, p.value, error))
            return false;
        if (trimmed(p.section).empty() || trimmed(p.key).empty()) {
            error = L"An INI value needs a section and a key: " + i.file;
            return false;
        }
        p.overwrite = i.overwrite;
        p.uninstall = i.uninstall;
        m_ini.push_back(p);
    }
    return true;
}

bool Installer::prepareAssociations(std::wstring& error) {
    const PathExpander& v = m_variables;
    for (const AssociationLine& a : m_description.associations) {
        PreparedAssociation p{};
        p.extension = a.extension;
        if (!p.extension.empty() && p.extension[0] != L'.') p.extension = L'.' + p.extension;
        if (!contract::isUsableExtension(std::wstring_view(p.extension))) {
            error = L"Not a valid file extension: " + a.extension;
            return false;
        }
        if (!v.expandPath(a.file, p.file, error)) return false;
        m_associations.push_back(p);
    }
    return true;
}

bool Installer::makeFolders(const std::wstring& folder, std::wstring& error) {
    // Each missing folder is created and logged on its own, so the uninstaller removes exactly
    // the ones setup made, deepest first, and only when they are empty.
    std::size_t pos =
        folder.size() > 2 && folder[0] == L'\\' ? folder.find(L'\\', folder.find(L'\\', 2) + 1) : 2;
    while (pos != std::wstring::npos) {
        pos = folder.find(L'\\', pos + 1);
        const std::wstring part = folder.substr(0, pos);
        const DWORD attributes = GetFileAttributesW(part.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
                error = L"Cannot create the folder " + part + L": a file of that name exists";
                return false;
            }
            continue;
        }
        if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            error = L"Cannot create the folder " + part + L": " + systemError(GetLastError());
            return false;
        }
        m_log.add(LogKind::Folder, {part});
        m_rollback.createdFolder(part);
    }
    return true;
}

bool Installer::installFiles(InstallObserver& observer, std::wstring& error) {
    std::uint64_t done = 0;
    for (const PreparedFile& f : m_files) {
        observer.status(formatText(m_strings.text(L"StatusExtracting"), {fileNameOf(f.path)}));
        if (!makeFolders(parentOf(f.path), error)) return false;
        const bool existed = exists(f.path);
        if (f.overwrite || !existed) {
            if (!m_rollback.replacing(f.path, error) ||
                !extractToFile(m_setup, f.cabinet, f.size, f.path, error))
                return false;
            if (f.uninstall) m_log.add(LogKind::File, {f.path});
            m_report.push_back((existed ? L"Replaced: " : L"Installed: ") + f.path);
        } else {
            m_report.push_back(L"Skipped (already there): " + f.path);
        }
        done += f.size;
        observer.progress(unsigned(m_totalBytes ? done * 900 / m_totalBytes : 900));
    }
    return true;
}

bool Installer::registerServers(InstallObserver& observer, std::wstring& error) {
    for (const std::wstring& path : m_servers) {
        observer.status(formatText(m_strings.text(L"StatusRegistering"), {fileNameOf(path)}));
        const WORD machine = machineOf(path);
        bool ok = false;
        if (machine == IMAGE_FILE_MACHINE_AMD64) {
            if (HMODULE module = loadInstalledLibrary(path)) {
                using Entry = HRESULT(STDAPICALLTYPE*)();
                if (auto entry = reinterpret_cast<Entry>(
                        reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer"))))
                    ok = SUCCEEDED(entry());
                FreeLibrary(module);
            }
        } else if (machine == IMAGE_FILE_MACHINE_I386) {
            // A 32-bit server cannot load into this 64-bit process: its own regsvr32 does it.
            wchar_t windows[MAX_PATH];
            GetSystemWindowsDirectoryW(windows, MAX_PATH);
            DWORD code = 1;
            ok =
                runAndWait(L"\"" + std::wstring(windows) + L"\\SysWOW64\\regsvr32.exe\" /s \"" + path + L"\"",
                           code) &&
                code == 0;
        }
        if (!ok) {
            error = L"Cannot register " + path;
            return false;
        }
        m_log.add(LogKind::Server, {path});
        m_rollback.registeredServer(path);
        m_report.push_back(L"Registered: " + path);
    }
    return true;
}

bool Installer::createShortcuts(std::wstring& error) {
    for (const PreparedShortcut& s : m_shortcuts) {
        if (!makeFolders(parentOf(s.path), error) || !m_rollback.replacing(s.path, error)) return false;
        ComPtr<IShellLinkW> link;
        HRESULT hr =
            CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out());
        if (SUCCEEDED(hr)) {
            link->SetPath(s.target.c_str());
            link->SetArguments(s.arguments.c_str());
            link->SetWorkingDirectory(s.workingDir.empty() ? parentOf(s.target).c_str()
                                                           : s.workingDir.c_str());
            link->SetDescription(s.description.c_str());
            if (!s.iconFile.empty()) link->SetIconLocation(s.iconFile.c_str(), s.iconIndex);
            link->SetShowCmd(s.show);
            ComPtr<IPersistFile> file;
            hr = link->QueryInterface(IID_IPersistFile, file.out());
            if (SUCCEEDED(hr)) hr = file->Save(s.path.c_str(), TRUE);
        }
        if (FAILED(hr)) {
            error = L"Cannot create the shortcut " + s.path + L": " + systemError(DWORD(hr));
            return false;
        }
        m_log.add(LogKind::Shortcut, {s.path});
        m_report.push_back(L"Shortcut: " + s.path);
    }
    return true;
}

bool Installer::writeRegistry(std::wstring& error) {
    for (const PreparedValue& v : m_values) {
        const std::wstring created = firstMissingKey(v.root, v.subkey);
        RegKey key;
        const LONG rc = key.create(v.root, v.subkey, KEY_READ | KEY_WRITE | kRegView);
        if (rc != ERROR_SUCCESS) {
            error = L"Cannot open the registry key " + shortRootName(v.root) + L"\\" + v.subkey + L": " +
                    systemError(DWORD(rc));
            return false;
        }
        if (!created.empty()) {
            m_log.add(LogKind::RegistryKey, {shortRootName(v.root), v.subkey, created});
            m_rollback.createdKey(v.root, v.subkey, created);
        }
        const bool present =
            RegQueryValueExW(key.get(), v.name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
        if (v.overwrite || !present) {
            m_rollback.writingValue(v.root, v.subkey, v.name);
            const bool ok = v.isDword ? setDword(key.get(), v.name.c_str(), v.dword)
                                      : setString(key.get(), v.name.c_str(), v.data);
            if (!ok) {
                error = L"Cannot write the registry value " + v.name + L" in " + v.subkey;
                return false;
            }
            if (v.uninstall) m_log.add(LogKind::RegistryValue, {shortRootName(v.root), v.subkey, v.name});
            m_report.push_back(L"Registry value: " + shortRootName(v.root) + L"\\" + v.subkey + L"\\" +
                               v.name);
        } else {
            m_report.push_back(L"Skipped (already there): registry value " + shortRootName(v.root) + L"\\" +
                               v.subkey + L"\\" + v.name);
        }
    }
    return true;
}

bool Installer::writeIni(std::wstring& error) {
    for (const PreparedIni& i : m_ini) {
        if (!makeFolders(parentOf(i.file), error) || !m_rollback.modifying(i.file, error)) return false;
        const bool existed = exists(i.file);
        if (!existed && !(isAscii(i.section) && isAscii(i.key) && isAscii(i.value))) {
            // A new INI file is written in the ANSI code page; a UTF-16 byte-order mark keeps
            // characters outside it.
            HANDLE h = CreateFileW(i.file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h != INVALID_HANDLE_VALUE) {
                DWORD written = 0;
                WriteFile(h, "\xFF\xFE", 2, &written, nullptr);
                CloseHandle(h);
            }
        }
        if (!i.overwrite) {
            wchar_t probe[2];
            const wchar_t* sentinel = L"\x1F";
            GetPrivateProfileStringW(i.section.c_str(), i.key.c_str(), sentinel, probe, 2, i.file.c_str());
            if (probe[0] != L'\x1F') {
                m_report.push_back(L"Skipped (already there): INI value " + i.file + L" [" + i.section +
                                   L"] " + i.key);
                continue;
            }
        }
        if (!WritePrivateProfileStringW(i.section.c_str(), i.key.c_str(), i.value.c_str(), i.file.c_str())) {
            error = L"Cannot write to " + i.file + L": " + systemError(GetLastError());
            return false;
        }
        if (!existed) m_log.add(LogKind::IniFile, {i.file});
        if (i.uninstall) m_log.add(LogKind::IniValue, {i.file, i.section, i.key});
        m_report.push_back(L"INI value: " + i.file + L" [" + i.section + L"] " + i.key);
    }
    return true;
}

bool Installer::associate(std::wstring& error) {
    if (m_associations.empty()) return true;
    std::wstring base;
    for (const wchar_t c : m_description.text(Setting::AppName))
        if (iswalnum(c)) base += c;
    if (base.empty()) base = L"Corvane";
    for (const PreparedAssociation& a : m_associations) {
        const std::wstring progId = base + a.extension;  // e.g. "MyProgram.txt"
        HKEY root = HKEY_LOCAL_MACHINE;
        const std::wstring classes = L"Software\\Classes\\";
        std::wstring created = firstMissingKey(root, classes + a.extension);
        RegKey ext;
        if (ext.create(root, classes + a.extension, KEY_READ | KEY_WRITE | kRegView) != ERROR_SUCCESS) {
            // Without the right to write for the machine, the association is the user's own.
            root = HKEY_CURRENT_USER;
            created = firstMissingKey(root, classes + a.extension);
            if (ext.create(root, classes + a.extension, KEY_READ | KEY_WRITE | kRegView) != ERROR_SUCCESS) {
                error = L"Cannot associate " + a.extension;
                return false;
            }
        }
        ext.close();
        if (!created.empty()) m_rollback.createdKey(root, classes + a.extension, created);
        std::wstring previous;
        readString(root, classes + a.extension, L"", previous);
        if (equalsNoCase(previous, progId)) previous.clear();
        m_log.add(LogKind::Association, {shortRootName(root), a.extension, progId, previous});
        const std::wstring command = L"\"" + a.file + L"\" \"%1\"";
        const std::wstring icon = L"\"" + a.file + L"\",0";
        const std::wstring description = m_description.text(Setting::AppName) + L" (" + a.extension + L")";
        struct Write {
            std::wstring subkey;
            const wchar_t* name;
            const std::wstring* value;
        };
        const std::wstring empty;
        const Write writes[] = {
            {classes + a.extension, nullptr, &progId},
            {classes + a.extension + L"\\OpenWithProgids", progId.c_str(), &empty},
            {classes + progId, nullptr, &description},
            {classes + progId + L"\\DefaultIcon", nullptr, &icon},
            {classes + progId + L"\\shell\\open\\command", nullptr, &command},
        };
        for (const Write& w : writes) {
            const std::wstring made = firstMissingKey(root, w.subkey);
            RegKey key;
            bool ok = key.create(root, w.subkey, KEY_WRITE | kRegView) == ERROR_SUCCESS;
            if (ok) {
                if (!made.empty()) m_rollback.createdKey(root, w.subkey, made);
                m_rollback.writingValue(root, w.subkey, w.name ? w.name : L"");
                ok = setString(key.get(), w.name, *w.value);
            }
            if (!ok) {
                error = L"Cannot associate " + a.extension + L" (" + w.subkey + L")";
                return false;
            }
        }
        m_report.push_back(L"Association: " + a.extension + L" opens with " + a.file);
    }
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
}

bool Installer::registerUninstaller(std::wstring& error) {
    if (!m_description.flag(Setting::Uninstall) || !m_description.flag(Setting::ShowPrograms)) return true;
    std::wstring id;
    for (const wchar_t c : m_description.text(Setting::AppName))
        if (c >= 32 && c != L'\\' && c != L'/') id += c;
    id = trimmed(id);
    if (id.empty()) id = L"CorvaneSetup";
    const std::wstring subkey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + id;
    const std::wstring uninstaller = m_variables.installDir() + L"\\Uninstall.exe";
    HKEY root = HKEY_LOCAL_MACHINE;
    std::wstring created = firstMissingKey(root, subkey);
    RegKey opened;
    if (opened.create(root, subkey, KEY_WRITE | kRegView) != ERROR_SUCCESS) {
        root = HKEY_CURRENT_USER;
        created = firstMissingKey(root, subkey);
        if (opened.create(root, subkey, KEY_WRITE | kRegView) != ERROR_SUCCESS) {
            error = L"Cannot add the program to the list of installed programs";
            return false;
        }
    }
    m_log.add(LogKind::ProgramsEntry, {shortRootName(root), subkey});
    if (!created.empty()) m_rollback.createdKey(root, subkey, created);
    // An earlier installation's entry is restored value by value when this run fails.
    const auto setString = [&](HKEY k, const wchar_t* name, const std::wstring& value) {
        m_rollback.writingValue(root, subkey, name);
        return corvane::rt::setString(k, name, value);
    };
    const auto setDword = [&](HKEY k, const wchar_t* name, DWORD value) {
        m_rollback.writingValue(root, subkey, name);
        return corvane::rt::setDword(k, name, value);
    };
    const HKEY key = opened.get();
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t date[16];
    wsprintfW(date, L"%04u%02u%02u", now.wYear, now.wMonth, now.wDay);
    bool ok = setString(key, L"DisplayName", m_description.text(Setting::AppName)) &&
              setString(key, L"DisplayVersion", m_description.text(Setting::AppVersion)) &&
              setString(key, L"Publisher", m_description.text(Setting::CompanyName)) &&
              setString(key, L"InstallLocation", m_variables.installDir()) &&
              setString(key, L"DisplayIcon", uninstaller + L",0") &&
              setString(key, L"UninstallString", L"\"" + uninstaller + L"\"") &&
              setString(key, L"QuietUninstallString", L"\"" + uninstaller + L"\" /S") &&
              setString(key, L"InstallDate", date) && setDword(key, L"NoModify", 1) &&
              setDword(key, L"NoRepair", 1) &&
              setDword(key, L"EstimatedSize", DWORD((m_totalBytes + 1023) / 1024));
    if (!m_description.text(Setting::WebSite).empty())
        ok = ok && setString(key, L"URLInfoAbout", m_description.text(Setting::WebSite));
    if (!m_description.text(Setting::Support).empty())
        ok = ok && setString(key, L"HelpLink", m_description.text(Setting::Support));
    opened.close();
    if (!ok) error = L"Cannot add the program to the list of installed programs";
    return ok;
}

bool Installer::saveLog(std::wstring& error) {
    if (!m_description.flag(Setting::Uninstall)) return true;
    const std::wstring folder = m_variables.installDir();
    if (!makeFolders(folder, error)) return false;
    // The uninstaller has no language files of its own: its texts travel in the log.
    UninstallLog out;
    out.add(LogKind::Name, {m_description.text(Setting::AppName)});
    for (const auto& [key, text] : m_strings.all())
        if (key.rfind(L"Uninstall", 0) == 0) out.add(LogKind::Text, {key, text});
    if (m_description.flag(Setting::UninstallPage) && !m_description.text(Setting::UninstallAddress).empty())
        out.add(LogKind::WebPage, {m_description.text(Setting::UninstallAddress)});
    const std::wstring path = folder + L"\\Uninstall.log";
    if (!m_rollback.modifying(path, error)) return false;
    // Installing again over an installation keeps what the earlier run created: its folders,
    // files and keys still belong to the program, though this run found them already there.
    UninstallLog earlier;
    if (earlier.load(path))
        for (const LogRecord& r : earlier.records())
            if (r.kind != LogKind::Text && r.kind != LogKind::Name && r.kind != LogKind::WebPage)
                out.append(r);
    for (const LogRecord& r : m_log.records())
        out.append(r);
    if (!out.save(path)) {
        error = L"Cannot write " + path + L": " + systemError(GetLastError());
        return false;
    }
    return true;
}

bool Installer::run(InstallObserver& observer, std::wstring& error) {
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    observer.progress(0);
    bool ok = installFiles(observer, error) && registerServers(observer, error);
    if (ok) {
        observer.status(m_strings.text(L"StatusShortcuts"));
        ok = createShortcuts(error);
    }
    if (ok) {
        observer.status(m_strings.text(L"StatusRegistry"));
        ok = writeRegistry(error);
    }
    if (ok) {
        observer.status(m_strings.text(L"StatusIni"));
        ok = writeIni(error);
    }
    if (ok) {
        observer.status(m_strings.text(L"StatusAssociations"));
        ok = associate(error);
    }
    if (ok) {
        observer.status(m_strings.text(L"StatusUninstaller"));
        ok = registerUninstaller(error) && saveLog(error);
    }
    if (ok) {
        m_rollback.commit();
        observer.progress(1000);
    } else {
        m_report.push_back(L"Failed: " + error);
        m_rollback.undo();
        m_report.push_back(L"Rolled back: everything this run created or replaced was put back.");
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return ok;
}

}  // namespace corvane::rt
