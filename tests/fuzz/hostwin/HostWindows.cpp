// The host stand-ins for the Win32 calls the runtime's readers make. Code pages: UTF-8 (strict
// when asked, as Windows is with MB_ERR_INVALID_CHARS) and Windows-1252 for everything else.

#include <windows.h>

#include <algorithm>
#include <map>

namespace {

// Windows-1252 bytes 0x80..0x9F; the rest map to the code point of the same value.
constexpr char32_t kCp1252High[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                      0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

// Decodes strict UTF-8 into out; false at the first ill-formed sequence.
bool decodeUtf8(std::string_view in, std::u32string& out) {
    for (std::size_t i = 0; i < in.size();) {
        const auto b0 = static_cast<unsigned char>(in[i]);
        if (b0 < 0x80) {
            out += char32_t(b0);
            ++i;
            continue;
        }
        const int extra = b0 >= 0xF0 ? 3 : b0 >= 0xE0 ? 2 : b0 >= 0xC2 ? 1 : -1;
        if (extra < 0 || b0 > 0xF4 || i + std::size_t(extra) >= in.size()) return false;
        char32_t c = b0 & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto b = static_cast<unsigned char>(in[i + std::size_t(k)]);
            if ((b & 0xC0) != 0x80) return false;
            c = c << 6 | (b & 0x3F);
        }
        const char32_t minimum = extra == 1 ? 0x80 : extra == 2 ? 0x800 : 0x10000;
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        out += c;
        i += std::size_t(extra) + 1;
    }
    return true;
}

struct OpenFile {
    std::string_view bytes;
};

std::map<std::wstring, std::string_view>& files() {
    static std::map<std::wstring, std::string_view> table;
    return table;
}

}  // namespace

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int byteCount, LPWSTR out, int outCount) {
    const std::string_view in(bytes, std::size_t(byteCount));
    std::u32string text;
    if (codePage == CP_UTF8) {
        if (!decodeUtf8(in, text)) {
            if (flags & MB_ERR_INVALID_CHARS) return 0;
            text.clear();
            for (const char c : in)  // lenient: an ill-formed byte becomes U+FFFD
                text += static_cast<unsigned char>(c) < 0x80 ? char32_t(c) : char32_t(0xFFFD);
        }
    } else {
        for (const char c : in) {
            const auto b = static_cast<unsigned char>(c);
            text += b >= 0x80 && b < 0xA0 ? kCp1252High[b - 0x80] : char32_t(b);
        }
    }
    if (outCount == 0) return int(text.size());
    if (int(text.size()) > outCount) return 0;
    std::transform(text.begin(), text.end(), out, [](char32_t c) { return wchar_t(c); });
    return int(text.size());
}

int WideCharToMultiByte(UINT, DWORD, const wchar_t* text, int textCount, LPSTR out, int outCount, LPCSTR,
                        LPBOOL) {
    std::string bytes;
    for (int i = 0; i < textCount; ++i) {
        auto c = static_cast<char32_t>(text[i]);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
        if (c < 0x80) {
            bytes += char(c);
        } else if (c < 0x800) {
            bytes += char(0xC0 | c >> 6);
            bytes += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            bytes += char(0xE0 | c >> 12);
            bytes += char(0x80 | (c >> 6 & 0x3F));
            bytes += char(0x80 | (c & 0x3F));
        } else {
            bytes += char(0xF0 | c >> 18);
            bytes += char(0x80 | (c >> 12 & 0x3F));
            bytes += char(0x80 | (c >> 6 & 0x3F));
            bytes += char(0x80 | (c & 0x3F));
        }
    }
    if (outCount == 0) return int(bytes.size());
    if (int(bytes.size()) > outCount) return 0;
    std::copy(bytes.begin(), bytes.end(), out);
    return int(bytes.size());
}

// Lower case for ASCII and Latin-1, which is all the readers compare without regard to case.
DWORD CharLowerBuffW(LPWSTR text, DWORD length) {
    for (DWORD i = 0; i < length; ++i) {
        const wchar_t c = text[i];
        if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) text[i] = wchar_t(c + 32);
    }
    return length;
}

int CompareStringOrdinal(const wchar_t* a, int aCount, const wchar_t* b, int bCount, BOOL ignoreCase) {
    std::wstring left(a, std::size_t(aCount)), right(b, std::size_t(bCount));
    if (ignoreCase) {
        CharLowerBuffW(left.data(), DWORD(left.size()));
        CharLowerBuffW(right.data(), DWORD(right.size()));
    }
    const int order = left.compare(right);
    return order < 0 ? CSTR_LESS_THAN : order == 0 ? CSTR_EQUAL : CSTR_GREATER_THAN;
}

HANDLE CreateFileW(LPCWSTR path, DWORD, DWORD, SECURITY_ATTRIBUTES*, DWORD, DWORD, HANDLE) {
    const auto found = files().find(path);
    if (found == files().end()) return INVALID_HANDLE_VALUE;
    return new OpenFile{found->second};
}

BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size) {
    size->QuadPart = LONGLONG(static_cast<OpenFile*>(file)->bytes.size());
    return TRUE;
}

BOOL ReadFile(HANDLE file, void* buffer, DWORD length, DWORD* read, OVERLAPPED* at) {
    const std::string_view bytes = static_cast<OpenFile*>(file)->bytes;
    const std::uint64_t offset = at != nullptr ? (std::uint64_t(at->OffsetHigh) << 32 | at->Offset) : 0;
    *read = 0;
    if (offset > bytes.size()) return FALSE;
    const auto n = DWORD(std::min<std::uint64_t>(length, bytes.size() - offset));
    std::copy_n(bytes.data() + offset, n, static_cast<char*>(buffer));
    *read = n;
    return TRUE;
}

BOOL CloseHandle(HANDLE handle) {
    delete static_cast<OpenFile*>(handle);
    return TRUE;
}

namespace hostwin {

void addFile(const std::wstring& path, std::string_view bytes) {
    files()[path] = bytes;
}

void removeFile(const std::wstring& path) {
    files().erase(path);
}

}  // namespace hostwin
