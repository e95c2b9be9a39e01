#!/usr/bin/env bash
# Checks every #include of Corvane's own folders against the allowed dependency arrows
# (CONTRIBUTING.md). The build runs it before any library compiles, so an include against the
# arrows fails the build with the file, the line and the forbidden arrow.
#
#   scripts/check-includes.sh [SOURCE_ROOT] [STAMP]
#
# STAMP, when given, is touched on success (the build's record that the check passed).
set -euo pipefail
top=${1:-$(cd "$(dirname "$0")/.." && pwd)}
stamp=${2:-}

# folder (under src/, or runtime/...) : the folders it may include, itself always allowed.
# contract holds the rules shared with the setup runtime; everyone may use it.
# A folder's own subfolder is a folder of its own and needs its own line.
rules='
contract:
platform: contract
model: platform contract
project: model platform contract
codec:
lzx: codec
cabinet: codec lzx contract
builder: project model platform cabinet codec contract
cli/corvane-build: builder project model platform cabinet codec contract
cli/corvane-cab: cabinet codec platform contract
ui: *
app: *
runtime/windows/src: contract
'
# Folders that may find Qt.
qt_folders='ui app'

cd "$top"
files=$(find src runtime/windows/src -type f \( -name '*.h' -o -name '*.cpp' \) | LC_ALL=C sort)

# shellcheck disable=SC2086
awk -v rules="$rules" -v qtFolders="$qt_folders" '
function folderOf(path,    best, f) {
    best = ""
    for (f in allowed)
        if (index(path, f "/") == 1 && length(f) > length(best)) best = f
    return best
}
function includedFolder(target,    best, f) {
    best = ""
    for (f in allowed)
        if (index(target, f "/") == 1 && length(f) > length(best)) best = f
    return best
}
BEGIN {
    n = split(rules, lines, "\n")
    for (i = 1; i <= n; ++i) {
        if (lines[i] !~ /:/) continue
        name = lines[i]; sub(/:.*/, "", name)
        rest = lines[i]; sub(/^[^:]*:/, "", rest)
        gsub(/^[ \t]+|[ \t]+$/, "", rest)
        allowed[(name == "runtime/windows/src") ? name : "src/" name] = rest
        plain[(name == "runtime/windows/src") ? name : "src/" name] = name
    }
    split(qtFolders, q, " ")
    for (i in q) qt["src/" q[i]] = 1
    bad = 0
}
/^[ \t]*#[ \t]*include[ \t]*[<"]/ {
    self = folderOf(FILENAME)
    if (self == "") next
    line = $0
    quoted = (line ~ /#[ \t]*include[ \t]*"/)
    target = line
    sub(/^[^<"]*[<"]/, "", target)
    sub(/[>"].*$/, "", target)
    if (!quoted) {
        if (target ~ /^Q/ && !(self in qt)) {
            printf "%s:%d: %s may not use Qt (<%s>): only ui and app find Qt\n", FILENAME, FNR, plain[self], target
            bad = 1
        }
        next
    }
    if (target !~ /\//) {
        if (self == "runtime/windows/src") next  # the runtime includes its own headers by name
        printf "%s:%d: \"%s\" names no folder: include Corvane headers as \"folder/File.h\"\n", FILENAME, FNR, target
        bad = 1
        next
    }
    if (allowed[self] == "*") next
    other = includedFolder("src/" target)
    if (other == self) next
    used = (other == "") ? target : plain[other]
    n = split(allowed[self], may, " ")
    for (i = 1; i <= n; ++i)
        if (may[i] == used || may[i] == target) next
    printf "%s:%d: forbidden include \"%s\": %s may not use %s (allowed: %s)\n", FILENAME, FNR, target, plain[self],
           used, (allowed[self] == "") ? "nothing of ours" : allowed[self]
    bad = 1
}
END { exit bad }
' $files || {
    echo "check-includes: the dependency arrows are in CONTRIBUTING.md" >&2
    exit 1
}

if [ -n "$stamp" ]; then
    touch "$stamp"
fi
