#include "PasswordCheck.h"

#include <windows.h>

#include <bcrypt.h>

#include <vector>

#include "SystemLibrary.h"
#include "Text.h"

namespace corvane::rt {

namespace {

// More than any build writes: a damaged or hostile description must not keep the setup busy.
constexpr std::uint64_t kMaxIterations = 10000000;

bool fromHex(std::wstring_view text, std::vector<unsigned char>& out) {
    if (text.empty() || text.size() % 2) return false;
    out.clear();
    for (std::size_t i = 0; i < text.size(); i += 2) {
        int byte = 0;
        for (const wchar_t c : text.substr(i, 2)) {
            const int digit = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
            if (digit < 0) return false;
            byte = byte * 16 + digit;
        }
        out.push_back(static_cast<unsigned char>(byte));
    }
    return true;
}

}  // namespace

bool passwordMatches(const std::wstring& typed, const std::wstring& stored) {
    const std::vector<std::wstring> parts = splitFields(stored, L':');
    std::uint64_t iterations = 0;
    std::vector<unsigned char> salt, key;
    if (parts.size() != 4 || parts[0] != L"pbkdf2-sha256" || !parseUnsigned(parts[1], iterations) ||
        iterations == 0 || iterations > kMaxIterations || !fromHex(parts[2], salt) ||
        !fromHex(parts[3], key) || key.size() != 32)
        return false;
    // bcrypt.dll is no KnownDLL: taken from System32, never from beside the setup.
    const HMODULE bcrypt = loadSystemLibrary(L"bcrypt.dll");
    const auto open =
        systemFunction<decltype(BCryptOpenAlgorithmProvider)>(bcrypt, "BCryptOpenAlgorithmProvider");
    const auto derive = systemFunction<decltype(BCryptDeriveKeyPBKDF2)>(bcrypt, "BCryptDeriveKeyPBKDF2");
    const auto close =
        systemFunction<decltype(BCryptCloseAlgorithmProvider)>(bcrypt, "BCryptCloseAlgorithmProvider");
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!open || !derive || !close ||
        !BCRYPT_SUCCESS(open(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        return false;
    std::string secret = toUtf8(typed);
    unsigned char derived[32] = {};
    const bool ok =
        BCRYPT_SUCCESS(derive(algorithm, reinterpret_cast<PUCHAR>(secret.data()), ULONG(secret.size()),
                              salt.data(), ULONG(salt.size()), iterations, derived, sizeof derived, 0));
    close(algorithm, 0);
    SecureZeroMemory(secret.data(), secret.size());
    // Every byte compared, so the time taken says nothing about where a guess went wrong.
    unsigned char difference = 0;
    for (std::size_t i = 0; i < sizeof derived; ++i)
        difference |= static_cast<unsigned char>(derived[i] ^ key[i]);
    return ok && difference == 0;
}

}  // namespace corvane::rt
