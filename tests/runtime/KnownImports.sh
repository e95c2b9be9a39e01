#!/bin/sh
# Setup.exe and Uninstall.exe import KnownDLLs only.
#   KnownImports.sh OBJDUMP PROGRAM...
# Both run elevated from folders other programs can write to. Windows takes a KnownDLL from its
# own copy in System32 and looks nowhere else; any other imported DLL it looks for in the
# program's folder first, before the program's first instruction, so a DLL of that name in a
# downloads folder would run elevated. The programs load every other DLL they use from System32
# at run time (runtime/windows/src/SystemLibrary.h). Each DLL below is a KnownDLL on Windows 7 to
# 11 (HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\KnownDLLs); after it, what it serves.
known='
advapi32 registry, tokens, access lists, random numbers
gdi32 the wizard pictures and fonts
kernel32 files, processes, the loader
msvcrt the C runtime (mingw-w64 links msvcrt.dll)
ole32 COM: shortcuts, the desktop shell
oleaut32 strings and variants for the desktop shell
shell32 folders, shortcuts, command lines, ShellExecute
shlwapi path helpers
user32 windows and messages
'
objdump=${1:?objdump}
shift
status=0
for program in "$@"; do
    imports=$("$objdump" -p "$program" | awk '/DLL Name:/ { print tolower($3) }')
    [ -n "$imports" ] || { echo "FAIL: no imports read from $program"; status=1; }
    for dll in $imports; do
        printf '%s\n' "$known" | grep -q "^${dll%.dll} " ||
            { echo "FAIL: $program imports $dll, which is no KnownDLL"; status=1; }
    done
    echo "$program imports:" $imports
done
exit $status
