#!/usr/bin/env bash
# Corvane's LZX (window 21, one cabinet per file) against wimlib's LZX (wimcapture, 2 MiB chunks,
# one thread, every file its own blob) and xz -9e per file, in one run on one corpus.
# Usage: bench/lzx/run-bench.sh CORPUS_DIR [BUILD_DIR] [RUNS]   (build: scripts/build.sh release)
# Corvane and wimlib run alternately RUNS times (default 3) and each keeps its least disturbed
# (smallest) time; xz runs once.
set -euo pipefail
corpus=${1:?usage: run-bench.sh CORPUS_DIR [BUILD_DIR]}
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${2:-$top/build/release}
runs=${3:-3}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -t files < <(find "$corpus" -type f | sort)

# Times are CPU seconds (user + system) of each whole run, so that other work on a shared
# machine disturbs them as little as possible; every run is single-threaded.
# The command's output goes to $work/out.
cpu() { /usr/bin/time -f '%U %S' -o "$work/time" "$@" > "$work/out"; awk '{ print $1 + $2 }' "$work/time"; }

min() { echo "if ($1 < $2) $1 else $2" | bc -l; }

mkdir -p "$work/cabs"
corvane_secs=999999
wim_secs=999999
for ((run = 0; run < runs; ++run)); do
    corvane_secs=$(min "$corvane_secs" "$(cpu "$build/bin/corvane-lzx-bench" --window 21 --keep "$work/cabs" "${files[@]}")")
    read -r _ in_bytes corvane_bytes _ < <(grep '^TOTAL' "$work/out")
    rm -f "$work/all.wim"
    wim_secs=$(min "$wim_secs" "$(cpu wimcapture "$corpus" "$work/all.wim" --compress=LZX --chunk-size=2097152 --threads=1)")
done

# Every cabinet must extract to its source (cabextract) or the figures mean nothing.
for f in "${files[@]}"; do
    name=$(basename "$f")
    cabextract -q -p "$work/cabs/$name.cab" | cmp -s - "$f" || { echo "round trip failed: $f" >&2; exit 1; }
done

# wimlib: one capture, each file its own compressed blob; sizes are the blobs' compressed sizes
# (the WIM's metadata resource is left out, in wimlib's favour).
wim_bytes=$(wiminfo "$work/all.wim" --blobs | awk '
    /^Compressed size/ { size = $4 }
    /^Flags/ { if ($0 !~ /METADATA/) total += size }
    END { print total }')
wim_file=$(stat -c %s "$work/all.wim")

# xz -9e, one process per file.
mkdir -p "$work/xz"
xz_secs=$(cpu bash -c 'for f in "$@"; do xz -9e -T1 -c "$f" > "'"$work/xz"'/$(basename "$f").xz"; done' xz "${files[@]}")
xz_bytes=$(cat "$work"/xz/*.xz | wc -c)

printf '%-34s %12s %10s %8s\n' "compressor" "bytes" "ratio" "seconds"
printf '%-34s %12d %10s %8s\n' "input (${#files[@]} files)" "$in_bytes" "1.0000" "-"
printf '%-34s %12d %10.4f %8.2f\n' "Corvane LZX:21, cabinets" "$corvane_bytes" \
    "$(echo "$corvane_bytes / $in_bytes" | bc -l)" "$corvane_secs"
printf '%-34s %12d %10.4f %8.2f\n' "wimlib LZX 2 MiB, blobs" "$wim_bytes" \
    "$(echo "$wim_bytes / $in_bytes" | bc -l)" "$wim_secs"
printf '%-34s %12d %10s %8s\n' "  (whole WIM file)" "$wim_file" "" ""
printf '%-34s %12d %10.4f %8.2f\n' "xz -9e per file" "$xz_bytes" \
    "$(echo "$xz_bytes / $in_bytes" | bc -l)" "$xz_secs"
printf 'Corvane/wimlib size %.4f, speed %.2fx\n' "$(echo "$corvane_bytes / $wim_bytes" | bc -l)" \
    "$(echo "$wim_secs / $corvane_secs" | bc -l)"
