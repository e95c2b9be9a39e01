/* Extracts cabinets with the Windows cabinet decoder (FDI of cabinet.dll), as Corvane's setup
 * runtime does. Built with mingw-w64 and run under wine by the oracle tests.
 *
 *   fdiextract.exe CABFOLDER\ CABNAME OUTFOLDER\ [CABFOLDER\ CABNAME OUTFOLDER\ ...]
 *
 * Each triple is one FDICopy: the files that start in that cabinet go to OUTFOLDER (folders in
 * their names are created), following a continued folder into the next cabinets of its set.
 * For each file written it prints "FILE <name>|<date>|<time>|<attribs>" (decimal). Exit 0 when
 * every cabinet was extracted, 1 otherwise, with the FDI error on stderr. */

#include <fcntl.h>
#include <fdi.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <windows.h>

static const char* g_outFolder;

static FNALLOC(memAlloc) {
    return malloc(cb);
}
static FNFREE(memFree) {
    free(pv);
}
static FNOPEN(fileOpen) {
    return _open(pszFile, oflag | _O_BINARY, pmode);
}
static FNREAD(fileRead) {
    return (UINT)_read((int)hf, pv, cb);
}
static FNWRITE(fileWrite) {
    return (UINT)_write((int)hf, pv, cb);
}
static FNCLOSE(fileClose) {
    return _close((int)hf);
}
static FNSEEK(fileSeek) {
    return _lseek((int)hf, dist, seektype);
}

static int toWide(const char* text, UINT codePage, wchar_t* out, int size) {
    return MultiByteToWideChar(codePage, 0, text, -1, out, size);
}

/* Creates every folder on the way to path (wide, backslashes). */
static void makeParents(wchar_t* path) {
    for (wchar_t* p = path; *p; ++p) {
        if (*p == L'\\' && p != path && p[-1] != L':') {
            *p = 0;
            CreateDirectoryW(path, NULL);
            *p = L'\\';
        }
    }
}

static FNFDINOTIFY(notify) {
    switch (fdint) {
        case fdintCOPY_FILE: {
            char target[4 * MAX_PATH];
            wchar_t wide[2 * MAX_PATH];
            snprintf(target, sizeof target, "%s%s", g_outFolder, pfdin->psz1);
            /* The folder part is plain ASCII; the name is UTF-8 when the cabinet says so. */
            if (!toWide(target, (pfdin->attribs & _A_NAME_IS_UTF) ? CP_UTF8 : CP_ACP, wide, 2 * MAX_PATH))
                return -1;
            makeParents(wide);
            int fd = _wopen(wide, _O_BINARY | _O_CREAT | _O_TRUNC | _O_WRONLY, _S_IREAD | _S_IWRITE);
            if (fd == -1) {
                fprintf(stderr, "cannot create %s\n", target);
                return -1;
            }
            return fd;
        }
        case fdintCLOSE_FILE_INFO:
            printf("FILE %s|%u|%u|%u\n", pfdin->psz1, (unsigned)pfdin->date, (unsigned)pfdin->time,
                   (unsigned)pfdin->attribs);
            _close((int)pfdin->hf);
            return TRUE;
        case fdintPARTIAL_FILE: /* extracted from the cabinet where it starts */
        case fdintCABINET_INFO:
        case fdintNEXT_CABINET: /* the next cabinet lies in the same folder under its own name */
        case fdintENUMERATE:
        default:
            return 0;
    }
}

int main(int argc, char** argv) {
    ERF erf;
    int failed = 0;
    if (argc < 4 || (argc - 1) % 3 != 0) {
        fprintf(stderr, "usage: fdiextract CABFOLDER\\ CABNAME OUTFOLDER\\ ...\n");
        return 2;
    }
    HFDI fdi =
        FDICreate(memAlloc, memFree, fileOpen, fileRead, fileWrite, fileClose, fileSeek, cpuUNKNOWN, &erf);
    if (!fdi) {
        fprintf(stderr, "FDICreate failed: %d\n", erf.erfOper);
        return 1;
    }
    for (int i = 1; i + 2 < argc; i += 3) {
        g_outFolder = argv[i + 2];
        CreateDirectoryA(argv[i + 2], NULL);
        if (!FDICopy(fdi, argv[i + 1], argv[i], 0, notify, NULL, NULL)) {
            fprintf(stderr, "FDICopy %s%s failed: error %d\n", argv[i], argv[i + 1], erf.erfOper);
            failed = 1;
        }
    }
    FDIDestroy(fdi);
    fflush(stdout);
    return failed;
}
