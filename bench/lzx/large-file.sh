#!/usr/bin/env bash
# One large file of real Windows programs (48 MiB: wine's 64-bit DLLs, stripped and joined in
# name order), packed into an LZX:21 cabinet by Corvane with one job thread and with every core,
# against wimlib's LZX (2 MiB chunks) with one thread and with every core, in the same run.
# Usage: bench/lzx/large-file.sh [BUILD_DIR] [RUNS]   (build: scripts/build.sh release)
# Each command runs RUNS times (default 3), alternating, and keeps its shortest wall time; the
# table gives it with the CPU seconds and peak memory of that run. Corvane's cabinets from one
# thread and from all cores must be identical, and must extract to the input (cabextract).
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$top/build/release}
runs=${2:-3}
cores=$(nproc)
dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
for need in "$dlls/shell32.dll" /usr/bin/x86_64-w64-mingw32-strip /usr/bin/wimcapture /usr/bin/time; do
    [ -e "$need" ] || { echo "missing $need: apt-get install wine mingw-w64 wimtools time" >&2; exit 2; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/dll" "$work/in" "$work/cab1" "$work/cabN"
for f in $(ls "$dlls"/*.dll | sort); do
    x86_64-w64-mingw32-strip -o "$work/dll/$(basename "$f")" "$f" 2>/dev/null || true
done
# Joined whole, then cut: a pipe into head would end cat with SIGPIPE, which pipefail reports.
cat $(ls "$work"/dll/*.dll | sort) > "$work/in/programs.bin"
truncate -s $((48 << 20)) "$work/in/programs.bin"
input="$work/in/programs.bin"

declare -A best cpu rss bytes
run() {  # label, command...
    local label=$1; shift
    local start end wall
    start=$(date +%s.%N)
    /usr/bin/time -f '%U %S %M' -o "$work/time" "$@" > "$work/out" 2>&1
    end=$(date +%s.%N)
    wall=$(echo "$end - $start" | bc)
    if [ -z "${best[$label]:-}" ] || [ "$(echo "$wall < ${best[$label]}" | bc)" = 1 ]; then
        best[$label]=$wall
        read -r user system peak < "$work/time"
        cpu[$label]=$(echo "$user + $system" | bc)
        rss[$label]=$peak
    fi
}
for ((r = 0; r < runs; ++r)); do
    run "corvane -j1" "$build/bin/corvane-lzx-bench" --window 21 --jobs 1 --keep "$work/cab1" "$input"
    bytes["corvane -j1"]=$(stat -c %s "$work/cab1/programs.bin.cab")
    run "corvane -j$cores" "$build/bin/corvane-lzx-bench" --window 21 --jobs "$cores" --keep "$work/cabN" "$input"
    bytes["corvane -j$cores"]=$(stat -c %s "$work/cabN/programs.bin.cab")
    rm -f "$work/out.wim"
    run "wimlib 1 thread" wimcapture "$work/in" "$work/out.wim" --compress=LZX --chunk-size=2097152 --threads=1
    bytes["wimlib 1 thread"]=$(wiminfo "$work/out.wim" --blobs | awk '/^Compressed size/ { s = $4 } /^Flags/ { if ($0 !~ /METADATA/) t += s } END { print t }')
    rm -f "$work/out.wim"
    run "wimlib $cores threads" wimcapture "$work/in" "$work/out.wim" --compress=LZX --chunk-size=2097152 \
        --threads="$cores"
    bytes["wimlib $cores threads"]=${bytes["wimlib 1 thread"]}
done

cmp -s "$work/cab1/programs.bin.cab" "$work/cabN/programs.bin.cab" ||
    { echo "the cabinets of -j1 and -j$cores differ" >&2; exit 1; }
cabextract -q -p "$work/cabN/programs.bin.cab" | cmp -s - "$input" || { echo "round trip failed" >&2; exit 1; }

echo "input: $(stat -c %s "$input") bytes; $cores cores; load average $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-20s %12s %8s %8s %10s\n' "compressor" "bytes" "seconds" "cpu s" "peak KiB"
for label in "corvane -j1" "corvane -j$cores" "wimlib 1 thread" "wimlib $cores threads"; do
    printf '%-20s %12d %8.2f %8.2f %10d\n' "$label" "${bytes[$label]}" "${best[$label]}" "${cpu[$label]}" "${rss[$label]}"
done
printf 'corvane -j%d / -j1 time: %.2f (target <= 0.65); cabinets identical\n' "$cores" \
    "$(echo "${best["corvane -j$cores"]} / ${best["corvane -j1"]}" | bc -l)"
printf 'corvane / wimlib size: %.4f (target <= 1)\n' "$(echo "${bytes["corvane -j1"]} / ${bytes["wimlib 1 thread"]}" | bc -l)"
