#include "SetupSession.h"

#include "PathExpander.h"
#include "Registry.h"
#include "Text.h"
#include "contract/DescriptionKeys.h"

namespace corvane::rt {

using contract::Setting;

bool SetupSession::open(const std::wstring& exePath, std::wstring& error) {
    ByteRange descriptionRange;
    if (!m_file.open(exePath, error) || !m_file.locateDescription(descriptionRange, error) ||
        !m_file.verifyCabinet(descriptionRange, 0, error) ||
        !extractToMemory(m_file, descriptionRange, m_members, error))
        return false;
    const CabMember* ini = member(contract::member::kDescription);
    if (!ini) {
        error = L"The setup file is damaged: its description holds no zansetup.ini.";
        return false;
    }
    if (!m_description.parse(ini->bytes, error)) return false;
    std::vector<std::uint64_t> lengths;
    for (const FileLine& f : m_description.files)
        lengths.push_back(f.length);
    if (!layOutCabinets(m_description.stubSize, lengths, descriptionRange, m_cabinets, error)) return false;
    m_fileSizes.assign(m_cabinets.size(), 0);
    for (std::size_t k = 0; k < m_cabinets.size(); ++k)
        if (!m_file.verifyCabinet(m_cabinets[k], 1, error, &m_fileSizes[k])) return false;
    for (const CabMember& m : m_members)
        if (m.name.size() > 4 && equalsNoCase(std::wstring_view(m.name).substr(m.name.size() - 4), L".lng"))
            m_languages.push_back(m.name.substr(0, m.name.size() - 4));
    chooseLanguage(defaultLanguage());
    return true;
}

std::uint64_t SetupSession::installedBytes() const {
    std::uint64_t total = 0;
    for (const std::uint64_t size : m_fileSizes)
        total += size;
    return total;
}

std::wstring SetupSession::defaultLanguage() const {
    const std::wstring wanted = m_description.text(Setting::DefaultLanguage);
    for (const std::wstring& l : m_languages)
        if (equalsNoCase(l, wanted)) return l;
    return m_languages.empty() ? std::wstring() : m_languages.front();
}

void SetupSession::chooseLanguage(const std::wstring& name) {
    m_strings = LanguageStrings();
    m_language.clear();
    for (const std::wstring& l : m_languages)
        if (equalsNoCase(l, name)) m_language = l;
    if (const CabMember* m = m_language.empty() ? nullptr : member(m_language + L".lng"))
        m_strings.parse(m->bytes);
}

std::wstring SetupSession::text(const wchar_t* key) const {
    return m_strings.text(key);
}

const CabMember* SetupSession::member(const std::wstring& name) const {
    for (const CabMember& m : m_members)
        if (equalsNoCase(m.name, name)) return &m;
    return nullptr;
}

const CabMember* SetupSession::member(std::string_view name) const {
    for (const CabMember& m : m_members)
        if (contract::equalsAsciiNoCase(std::wstring_view(m.name), name)) return &m;
    return nullptr;
}

const CabMember* SetupSession::document(wchar_t kind) const {
    if (const CabMember* m = member(std::wstring(1, kind) + m_language + L".rtf")) return m;
    return member(std::wstring(1, kind) + L"(Default).rtf");
}

std::wstring SetupSession::setupFolder() const {
    const std::wstring& p = m_file.path();
    return p.substr(0, p.rfind(L'\\'));
}

std::wstring SetupSession::proposedInstallDir() const {
    PathExpander variables(m_description, setupFolder());
    std::wstring dir, error;
    if (m_description.flag(Setting::GetFromRegistry)) {
        static const HKEY roots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE, HKEY_USERS};
        const int index = m_description.integer(Setting::RootKey, -1);
        std::wstring subkey, value, stored;
        if (index >= 0 && index < 4 &&
            variables.expandText(m_description.text(Setting::Subkey), subkey, error) &&
            variables.expandText(m_description.text(Setting::Value), value, error) &&
            readString(roots[index], subkey, value, stored) && PathExpander::normalisePath(stored, dir))
            return dir;
    }
    std::wstring expanded;
    if (variables.expandPath(m_description.text(Setting::InstallDir), expanded, error)) return expanded;
    return {};
}

}  // namespace corvane::rt
