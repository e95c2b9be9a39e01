#pragma once

// Just enough of the Win32 interface for the runtime's readers (the setup description, the
// setup file's payload checks and the text helpers) to build on Linux for the fuzzers. wchar_t
// is 32 bits here, so "UTF-16" text holds whole code points; the readers only compare, trim and
// split it, which works alike. Files are memory buffers registered by name (hostwin::addFile),
// so a fuzzer feeds a setup file without touching the disk.

#include <cstdint>
#include <string>
#include <string_view>

using BOOL = int;
using BYTE = unsigned char;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using LONGLONG = std::int64_t;
using HANDLE = void*;
using LPCWSTR = const wchar_t*;
using LPWSTR = wchar_t*;
using LPCSTR = const char*;
using LPSTR = char*;
using LPBOOL = BOOL*;

#define TRUE 1
#define FALSE 0
#define WINAPI

inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(~std::uintptr_t{0});

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    } u;
    LONGLONG QuadPart;
};

struct OVERLAPPED {
    std::uintptr_t Internal;
    std::uintptr_t InternalHigh;
    DWORD Offset;
    DWORD OffsetHigh;
    HANDLE hEvent;
};

struct SECURITY_ATTRIBUTES;

constexpr UINT CP_UTF8 = 65001;
constexpr DWORD MB_ERR_INVALID_CHARS = 0x08;
constexpr int CSTR_LESS_THAN = 1, CSTR_EQUAL = 2, CSTR_GREATER_THAN = 3;
constexpr DWORD GENERIC_READ = 0x80000000u;
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
constexpr int SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3, SW_SHOWMINNOACTIVE = 7;

int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR bytes, int byteCount, LPWSTR out, int outCount);
int WideCharToMultiByte(UINT codePage, DWORD flags, const wchar_t* text, int textCount, LPSTR out,
                        int outCount, LPCSTR defaultChar, LPBOOL usedDefault);
DWORD CharLowerBuffW(LPWSTR text, DWORD length);
int CompareStringOrdinal(const wchar_t* a, int aCount, const wchar_t* b, int bCount, BOOL ignoreCase);

HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD share, SECURITY_ATTRIBUTES* security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL GetFileSizeEx(HANDLE file, LARGE_INTEGER* size);
BOOL ReadFile(HANDLE file, void* buffer, DWORD length, DWORD* read, OVERLAPPED* at);
BOOL CloseHandle(HANDLE handle);

namespace hostwin {
// Makes bytes the content of the file named path for CreateFileW; the view must outlive its use.
void addFile(const std::wstring& path, std::string_view bytes);
void removeFile(const std::wstring& path);
}  // namespace hostwin
