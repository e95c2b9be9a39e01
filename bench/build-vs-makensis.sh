#!/usr/bin/env bash
# Builds the benchmark corpus as one Corvane project (every file a row) with "Normal" (MSZIP)
# and "Maximal" (LZX), and the same files with makensis (zlib and lzma), in the same run:
# time and setup size of each, and Corvane's peak memory. Corvane runs with its default jobs
# (one per core) and once more with -j 1. Then the ratios against makensis zlib, and the
# reproducibility check: two builds compared byte for byte, with and without SOURCE_DATE_EPOCH,
# and -j 1 against the default.
#
# Usage: bench/build-vs-makensis.sh CORPUS_DIR [BUILD_DIR]
#   CORPUS_DIR  made by ../shared/bench/make-corpus.sh
#   BUILD_DIR   a release build (default: build/release)
# Needs: nsis (makensis), GNU time, bc.
set -euo pipefail
corpus=$(cd "${1:?usage: build-vs-makensis.sh CORPUS_DIR [BUILD_DIR]}" && pwd)
top=$(cd "$(dirname "$0")/.." && pwd)
build=${2:-$top/build/release}
command -v makensis >/dev/null || { echo "makensis missing: apt-get install nsis" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "GNU time missing: apt-get install time" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A program folder with the real stub when the build has one, else a stand-in of the same kind.
program="$work/program"
mkdir -p "$program/Languages"
cp "$build/bin/Languages/"*.lng "$program/Languages/"
if [ -f "$build/bin/Setup.exe" ]; then cp "$build/bin/Setup.exe" "$program/"; else head -c 65536 /dev/zero > "$program/Setup.exe"; fi
printf 'BM' > "$program/Wizard_0.bmp"; cp "$program/Wizard_0.bmp" "$program/Header_0.bmp"

make_project() {  # $1 = CompressionType
    printf '[Settings]\r\nAppName=Corpus\r\nSetupFile=%s\r\nCompressionType=%s\r\nWizard=%s\r\nHeader=%s\r\n' \
        "$work/corvane-$1.exe" "$1" "$program/Wizard_0.bmp" "$program/Header_0.bmp"
    printf 'DefaultLanguage=0\r\nInstallDir=<ProgramFiles>\\Corpus\r\n[Language]\r\n0=\r\n[Files]\r\n'
    (cd "$corpus" && find . -type f | sort | sed 's|^\./||') | while read -r f; do
        printf '%s?0?<InstallDir>\\%s?Overwrite?Yes\r\n' "$corpus/$f" "${f//\//\\}"
    done
}

make_nsi() {  # $1 = compressor
    printf 'SetCompressor /FINAL %s\nOutFile "%s"\nInstallDir "$PROGRAMFILES\\Corpus"\nRequestExecutionLevel user\n' \
        "$1" "$work/nsis-$1.exe"
    printf 'Section\nSetOutPath $INSTDIR\nFile /r "%s/*"\nSectionEnd\n' "$corpus"
}

declare -A seconds
measure() {  # label, output file, command...
    local label=$1 out=$2; shift 2
    local start end
    start=$(date +%s.%N)
    /usr/bin/time -f '%M %U %S' -o "$work/rss" "$@" >/dev/null 2>"$work/err" || { cat "$work/err" >&2; exit 1; }
    end=$(date +%s.%N)
    seconds[$label]=$(echo "$end - $start" | bc)
    read -r rss user system < "$work/rss"
    printf '%-20s %12d %8.2f %8.2f %10d\n' "$label" "$(stat -c %s "$out")" "${seconds[$label]}" \
        "$(echo "$user + $system" | bc)" "$rss"
}
ratio() {  # label, peer label, target
    printf '%-20s %6.2fx %-20s (target <= %s)\n' "$1" "$(echo "${seconds[$1]} / ${seconds[$2]}" | bc -l)" "of $2" "$3"
}
same() {  # label, file, file
    if cmp -s "$2" "$3"; then printf '%-44s identical\n' "$1"; else printf '%-44s DIFFER\n' "$1"; fi
}

files=$(find "$corpus" -type f | wc -l)
bytes=$(du -sb "$corpus" | cut -f1)
echo "corpus: $files files, $bytes bytes; $(nproc) cores"
# "cpu s" is user plus system time: on a machine shared with other work, wall-clock ratios of
# the multi-threaded builds mean little, and the load average is printed with the figures.
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-20s %12s %8s %8s %10s\n' "builder" "setup bytes" "seconds" "cpu s" "peak KiB"
build_corvane() {  # type, output, extra arguments...
    local type=$1 out=$2; shift 2
    "$build/bin/corvane-build" "$work/corpus-$type.zan" -o "$out" --program-dir "$program" "$@"
}
for type in 1 2; do
    make_project "$type" > "$work/corpus-$type.zan"
    name=$([ "$type" = 1 ] && echo Normal || echo Maximal)
    measure "corvane $name" "$work/corvane-$type.exe" \
        "$build/bin/corvane-build" "$work/corpus-$type.zan" -o "$work/corvane-$type.exe" --program-dir "$program"
    measure "corvane $name -j1" "$work/corvane-$type-j1.exe" \
        "$build/bin/corvane-build" "$work/corpus-$type.zan" -o "$work/corvane-$type-j1.exe" --program-dir "$program" -j 1
done
for compressor in zlib lzma; do
    make_nsi "$compressor" > "$work/corpus-$compressor.nsi"
    measure "makensis $compressor" "$work/nsis-$compressor.exe" makensis -V1 "$work/corpus-$compressor.nsi"
done

echo
ratio "corvane Maximal" "makensis zlib" 1.0
ratio "corvane Normal" "makensis zlib" 0.5
ratio "corvane Maximal -j1" "makensis zlib" "-"
ratio "corvane Normal -j1" "makensis zlib" "-"

echo
for type in 1 2; do
    same "type $type: -j1 and default jobs" "$work/corvane-$type.exe" "$work/corvane-$type-j1.exe"
done
build_corvane 1 "$work/again.exe" >/dev/null
same "Normal built twice" "$work/corvane-1.exe" "$work/again.exe"
SOURCE_DATE_EPOCH=1700000000 build_corvane 1 "$work/epoch-1.exe" >/dev/null
SOURCE_DATE_EPOCH=1700000000 build_corvane 1 "$work/epoch-2.exe" >/dev/null
same "Normal built twice with SOURCE_DATE_EPOCH" "$work/epoch-1.exe" "$work/epoch-2.exe"
