#include "CabinetExtractor.h"

#include <fcntl.h>
#include <fdi.h>

#include <new>

#include "SystemLibrary.h"
#include "Text.h"
#include "contract/DescriptionLimits.h"

namespace corvane::rt {

namespace {

// A description member larger than this is not a description: refuse rather than exhaust memory.
constexpr std::uint32_t kMaxMemberSize = contract::kMaxDescriptionMemberBytes;
// The decoder never sees data whose checksums fail, but checksums can be forged, and a system
// decoder fed forged data may fault (wine's MSZIP decoder writes past its buffer) or loop. It
// therefore runs on a thread of its own with a heap of its own: a fault ends that thread only,
// a decoder that has neither read nor written for this long is given up, and either way the
// extraction fails like any damaged cabinet and the caller rolls back.
constexpr DWORD kStallLimitMs = 20000;
constexpr DWORD kPollMs = 200;

enum class Kind { Source, FileOut, MemoryOut };

// The system's decoder, FDI in cabinet.dll, taken from System32 (no KnownDLL: imported, it would
// be looked for beside the setup first).
struct Fdi {
    decltype(FDICreate)* create;
    decltype(FDICopy)* copy;
    decltype(FDIDestroy)* destroy;
};

bool loadFdi(Fdi& fdi) {
    const HMODULE cabinet = loadSystemLibrary(L"cabinet.dll");
    fdi = {systemFunction<decltype(FDICreate)>(cabinet, "FDICreate"),
           systemFunction<decltype(FDICopy)>(cabinet, "FDICopy"),
           systemFunction<decltype(FDIDestroy)>(cabinet, "FDIDestroy")};
    return fdi.create && fdi.copy && fdi.destroy;
}

// One open "file" of FDI's: the cabinet's byte range inside the setup file, or an output.
struct OpenFile {
    Kind kind;
    const SetupFile* setup = nullptr;
    ByteRange range;
    std::uint64_t pos = 0;
    HANDLE handle = INVALID_HANDLE_VALUE;
    std::string* buffer = nullptr;
};

struct Extraction {
    const SetupFile* setup;
    ByteRange range;
    Fdi fdi{};
    // The decoder's thread: its private heap, the output file it may leave open when it dies,
    // and a count of its reads and writes that shows it is still moving.
    HANDLE heap = nullptr;
    HANDLE output = INVALID_HANDLE_VALUE;
    volatile LONG activity = 0;
    volatile bool faulted = false;
    BOOL copied = FALSE;
    ERF erf{};
    // File output
    std::wstring destination;
    std::wstring temporary;
    unsigned filesSeen = 0;
    bool fileDone = false;
    std::uint64_t expectedSize = 0;
    std::uint64_t written = 0;
    // Memory output
    std::vector<CabMember>* members = nullptr;
    // The first failure of a callback, reported instead of FDI's generic error.
    std::wstring failure;
};

// FDI's open and alloc callbacks carry no user pointer: the extraction in progress is kept
// here. The runtime extracts one cabinet at a time.
Extraction* g_current = nullptr;
DWORD g_decoderThread = 0;

// Everything the decoder's thread allocates lives in the extraction's own heap, so a decoder
// that writes past its buffers cannot damage the rest of the setup, and a thread that had to be
// given up leaves nothing behind once the heap is destroyed.
FNALLOC(fdiAlloc) {
    return HeapAlloc(g_current->heap, 0, cb);
}
FNFREE(fdiFree) {
    HeapFree(g_current->heap, 0, pv);
}

OpenFile* newOpenFile(Kind kind) {
    void* place = HeapAlloc(g_current->heap, HEAP_ZERO_MEMORY, sizeof(OpenFile));
    return place ? new (place) OpenFile{kind} : nullptr;
}
void deleteOpenFile(OpenFile* f) {
    f->~OpenFile();
    HeapFree(g_current->heap, 0, f);
}

void moved() {
    if (g_current) InterlockedIncrement(&g_current->activity);
}

FNOPEN(fdiOpen) {
    (void)oflag;
    (void)pmode;
    if (!g_current || pszFile[0] != '*') return -1;
    auto* f = newOpenFile(Kind::Source);
    if (!f) return -1;
    f->setup = g_current->setup;
    f->range = g_current->range;
    return reinterpret_cast<INT_PTR>(f);
}

FNREAD(fdiRead) {
    moved();
    auto* f = reinterpret_cast<OpenFile*>(hf);
    if (f->kind != Kind::Source) return UINT(-1);
    const std::uint64_t left = f->pos < f->range.length ? f->range.length - f->pos : 0;
    const UINT n = UINT(cb < left ? cb : left);
    if (n && !f->setup->readAt(f->range.offset + f->pos, pv, n)) return UINT(-1);
    f->pos += n;
    return n;
}

FNWRITE(fdiWrite) {
    moved();
    auto* f = reinterpret_cast<OpenFile*>(hf);
    if (f->kind == Kind::MemoryOut) {
        if (f->buffer->size() + cb > kMaxMemberSize) return UINT(-1);
        f->buffer->append(static_cast<const char*>(pv), cb);
        return cb;
    }
    if (g_current && f->kind == Kind::FileOut && (g_current->written += cb) > g_current->expectedSize) {
        g_current->failure =
            L"The setup file is damaged: " + g_current->destination + L" unpacks larger than its size";
        return UINT(-1);
    }
    DWORD written = 0;
    if (f->kind != Kind::FileOut || !WriteFile(f->handle, pv, cb, &written, nullptr) || written != cb) {
        if (g_current && g_current->failure.empty())
            g_current->failure =
                L"Cannot write " + g_current->temporary + L" (error " + decimal(GetLastError()) + L")";
        return UINT(-1);
    }
    return cb;
}

void closeOutput(OpenFile* f) {
    if (f->handle != INVALID_HANDLE_VALUE) CloseHandle(f->handle);
    f->handle = INVALID_HANDLE_VALUE;
    if (g_current) g_current->output = INVALID_HANDLE_VALUE;
}

FNCLOSE(fdiClose) {
    auto* f = reinterpret_cast<OpenFile*>(hf);
    if (f->kind == Kind::FileOut) closeOutput(f);
    deleteOpenFile(f);
    return 0;
}

// Positions are the pseudo-file's own, never the setup file's: FDI remembers a position from
// seek(0, SEEK_CUR) and returns to it later.
FNSEEK(fdiSeek) {
    moved();
    auto* f = reinterpret_cast<OpenFile*>(hf);
    if (f->kind != Kind::Source) return -1;
    std::int64_t base = 0;
    if (seektype == SEEK_CUR)
        base = std::int64_t(f->pos);
    else if (seektype == SEEK_END)
        base = std::int64_t(f->range.length);
    const std::int64_t target = base + dist;
    if (target < 0 || std::uint64_t(target) > f->range.length) return -1;
    f->pos = std::uint64_t(target);
    return long(f->pos);
}

void applyTimes(HANDLE handle, USHORT date, USHORT time) {
    FILETIME local, utc;
    // Cabinet times are local times.
    if (DosDateTimeToFileTime(date, time, &local) && LocalFileTimeToFileTime(&local, &utc))
        SetFileTime(handle, nullptr, nullptr, &utc);
}

std::wstring memberName(const FDINOTIFICATION* n) {
    const std::string_view raw(n->psz1 ? n->psz1 : "");
    if (n->attribs & _A_NAME_IS_UTF) return fromUtf8(raw);
    const int len = MultiByteToWideChar(CP_ACP, 0, raw.data(), int(raw.size()), nullptr, 0);
    std::wstring out(std::size_t(len), L'\0');
    MultiByteToWideChar(CP_ACP, 0, raw.data(), int(raw.size()), out.data(), len);
    return out;
}

FNFDINOTIFY(fdiNotify) {
    auto* x = static_cast<Extraction*>(pfdin->pv);
    switch (fdint) {
        case fdintCABINET_INFO:
            return 0;
        case fdintCOPY_FILE: {
            if (x->members) {
                if (ULONG(pfdin->cb) > kMaxMemberSize) {
                    x->failure = L"The setup description holds a member too large to be genuine: " +
                                 memberName(pfdin) + L" (" + decimal(ULONG(pfdin->cb)) + L" bytes)";
                    return -1;
                }
                x->members->push_back({memberName(pfdin), {}});
                auto* f = newOpenFile(Kind::MemoryOut);
                if (!f) return -1;
                f->buffer = &x->members->back().bytes;
                return reinterpret_cast<INT_PTR>(f);
            }
            // A file cabinet holds one file; its stored name is ignored, the description names
            // the destination.
            if (++x->filesSeen > 1) return 0;
            HANDLE h = CreateFileW(x->temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
            if (h == INVALID_HANDLE_VALUE) {
                x->failure = L"Cannot create " + x->temporary + L" (error " + decimal(GetLastError()) + L")";
                return -1;
            }
            auto* f = newOpenFile(Kind::FileOut);
            if (!f) {
                CloseHandle(h);
                return -1;
            }
            f->handle = h;
            x->output = h;
            return reinterpret_cast<INT_PTR>(f);
        }
        case fdintCLOSE_FILE_INFO: {
            auto* f = reinterpret_cast<OpenFile*>(pfdin->hf);
            if (f->kind == Kind::FileOut) {
                // Times before closing, attributes after the file has its final name.
                applyTimes(f->handle, pfdin->date, pfdin->time);
                const bool closed = CloseHandle(f->handle);
                f->handle = INVALID_HANDLE_VALUE;
                x->output = INVALID_HANDLE_VALUE;
                if (x->written != x->expectedSize) {
                    x->failure = L"The setup file is damaged: " + x->destination +
                                 L" unpacks to another size than its own";
                    deleteOpenFile(f);
                    return FALSE;
                }
                const DWORD old = GetFileAttributesW(x->destination.c_str());
                if (old != INVALID_FILE_ATTRIBUTES && (old & FILE_ATTRIBUTE_READONLY))
                    SetFileAttributesW(x->destination.c_str(), old & ~DWORD(FILE_ATTRIBUTE_READONLY));
                if (!closed ||
                    !MoveFileExW(x->temporary.c_str(), x->destination.c_str(), MOVEFILE_REPLACE_EXISTING)) {
                    x->failure =
                        L"Cannot write " + x->destination + L" (error " + decimal(GetLastError()) + L")";
                    deleteOpenFile(f);
                    return FALSE;
                }
                const DWORD keep = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                   FILE_ATTRIBUTE_ARCHIVE;
                if (pfdin->attribs & keep) SetFileAttributesW(x->destination.c_str(), pfdin->attribs & keep);
                x->fileDone = true;
            }
            deleteOpenFile(f);
            return TRUE;
        }
        case fdintPARTIAL_FILE:
        case fdintNEXT_CABINET:
            return -1;
        default:
            return 0;
    }
}

const wchar_t* fdiErrorText(int oper) {
    switch (oper) {
        case FDIERROR_NOT_A_CABINET:
            return L"not a cabinet";
        case FDIERROR_UNKNOWN_CABINET_VERSION:
            return L"unknown cabinet version";
        case FDIERROR_CORRUPT_CABINET:
            return L"corrupt cabinet";
        case FDIERROR_ALLOC_FAIL:
            return L"out of memory";
        case FDIERROR_BAD_COMPR_TYPE:
            return L"unknown compression type";
        case FDIERROR_MDI_FAIL:
            return L"the compressed data is damaged";
        case FDIERROR_TARGET_FILE:
            return L"cannot write the target file";
        case FDIERROR_RESERVE_MISMATCH:
            return L"reserve mismatch";
        case FDIERROR_WRONG_CABINET:
            return L"wrong cabinet";
        case FDIERROR_USER_ABORT:
            return L"aborted";
        default:
            return L"cannot open the cabinet";
    }
}

// A fault on the decoder's thread ends that thread alone; the extraction then fails.
LONG WINAPI decoderFault(EXCEPTION_POINTERS*) {
    if (GetCurrentThreadId() != g_decoderThread || !g_current) return EXCEPTION_CONTINUE_SEARCH;
    g_current->faulted = true;
    ExitThread(1);
}

DWORD WINAPI decode(void* parameter) {
    auto& x = *static_cast<Extraction*>(parameter);
    HFDI fdi =
        x.fdi.create(fdiAlloc, fdiFree, fdiOpen, fdiRead, fdiWrite, fdiClose, fdiSeek, cpuUNKNOWN, &x.erf);
    if (!fdi) {
        x.failure = L"The system's cabinet decoder could not be started";
        return 0;
    }
    char name[] = "*";
    char path[] = "";
    x.copied = x.fdi.copy(fdi, name, path, 0, fdiNotify, nullptr, &x);
    x.fdi.destroy(fdi);
    return 0;
}

// What a failing extraction was about, for its message.
std::wstring what(const Extraction& x) {
    return (x.destination.empty() ? L"the setup's description" : x.destination) + L" (cabinet at offset " +
           decimal(x.range.offset) + L")";
}

// Runs the decoder on its own thread and waits while it keeps reading or writing.
void decodeWatched(Extraction& x) {
    // Loaded here, not on the decoder's thread: a thread given up while it holds the loader's
    // lock would stop the whole setup.
    if (!loadFdi(x.fdi)) {
        x.failure = L"The system's cabinet decoder (cabinet.dll) could not be loaded";
        return;
    }
    DWORD id = 0;
    const HANDLE thread = CreateThread(nullptr, 0, decode, &x, CREATE_SUSPENDED, &id);
    if (!thread) {
        x.failure = L"The system's cabinet decoder could not be started";
        return;
    }
    g_decoderThread = id;
    const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(decoderFault);
    ResumeThread(thread);
    LONG seen = -1;
    DWORD still = 0;
    while (WaitForSingleObject(thread, kPollMs) == WAIT_TIMEOUT) {
        const LONG now = x.activity;
        if (now != seen) {
            seen = now;
            still = 0;
        } else if ((still += kPollMs) >= kStallLimitMs) {
            TerminateThread(thread, 2);
            WaitForSingleObject(thread, INFINITE);
            x.failure = L"The setup file is damaged: the cabinet decoder stopped on " + what(x);
            break;
        }
    }
    SetUnhandledExceptionFilter(previous);
    g_decoderThread = 0;
    CloseHandle(thread);
    if (x.faulted) x.failure = L"The setup file is damaged: the cabinet decoder failed on " + what(x);
    if (x.faulted || !x.failure.empty()) x.copied = FALSE;
    // A decoder that died or was given up may leave its output open.
    if (x.output != INVALID_HANDLE_VALUE) CloseHandle(x.output);
    x.output = INVALID_HANDLE_VALUE;
}

bool run(Extraction& x, std::wstring& error) {
    x.heap = HeapCreate(0, 0, 0);
    if (!x.heap) {
        error = L"Not enough memory to unpack the setup.";
        return false;
    }
    g_current = &x;
    decodeWatched(x);
    g_current = nullptr;
    HeapDestroy(x.heap);
    x.heap = nullptr;
    if (x.copied && x.failure.empty()) return true;
    error = x.failure.empty() ? std::wstring(L"The setup file is damaged: ") + fdiErrorText(x.erf.erfOper) +
                                    L" at offset " + decimal(x.range.offset) + L"."
                              : x.failure + L".";
    return false;
}

}  // namespace

bool extractToMemory(const SetupFile& setup, const ByteRange& range, std::vector<CabMember>& members,
                     std::wstring& error) {
    Extraction x{&setup, range};
    x.members = &members;
    return run(x, error);
}

bool extractToFile(const SetupFile& setup, const ByteRange& range, std::uint64_t expectedSize,
                   const std::wstring& destination, std::wstring& error) {
    Extraction x{&setup, range};
    x.expectedSize = expectedSize;
    x.destination = destination;
    x.temporary = destination + L".corvane-part";
    const bool ok = run(x, error);
    if (!ok || !x.fileDone) {
        DeleteFileW(x.temporary.c_str());
        if (ok) error = L"The setup file is damaged: a file cabinet holds no file.";
        return false;
    }
    return true;
}

}  // namespace corvane::rt
