#!/usr/bin/env bash
# Corvane's LZX (window 21, one cabinet per file) against wimlib's LZX (wimcapture, 2 MiB chunks,
# one thread, every file its own blob) and xz -9e per file, in one run on one corpus.
# Usage: bench/lzx/run-bench.sh CORPUS_DIR [BUILD_DIR]   (build: scripts/build.sh release)
set -euo pipefail
corpus=${1:?usage: run-bench.sh CORPUS_DIR [BUILD_DIR]}
top=$(cd "$(dirname "$0")/../.." && pwd)
build=${2:-$top/build/release}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -t files < <(find "$corpus" -type f | sort)

now() { date +%s.%N; }

# Corvane: times are measured inside the program around compression alone, so add nothing.
mkdir -p "$work/cabs"
"$build/bin/corvane-lzx-bench" --window 21 --keep "$work/cabs" "${files[@]}" > "$work/corvane.txt"
read -r _ in_bytes corvane_bytes corvane_secs < <(grep '^TOTAL' "$work/corvane.txt")

# Every cabinet must extract to its source (cabextract) or the figures mean nothing.
for f in "${files[@]}"; do
    name=$(basename "$f")
    cabextract -q -p "$work/cabs/$name.cab" | cmp -s - "$f" || { echo "round trip failed: $f" >&2; exit 1; }
done

# wimlib: one capture, each file its own compressed blob; sizes are the blobs' compressed sizes
# (the WIM's metadata resource is left out, in wimlib's favour).
t0=$(now)
wimcapture "$corpus" "$work/all.wim" --compress=LZX --chunk-size=2097152 --threads=1 >/dev/null
t1=$(now)
wim_secs=$(echo "$t1 - $t0" | bc -l)
wim_bytes=$(wiminfo "$work/all.wim" --blobs | awk '
    /^Compressed size/ { size = $4 }
    /^Flags/ { if ($0 !~ /METADATA/) total += size }
    END { print total }')
wim_file=$(stat -c %s "$work/all.wim")

# xz -9e, one process per file.
t0=$(now)
xz_bytes=0
for f in "${files[@]}"; do
    n=$(xz -9e -T1 -c "$f" | wc -c)
    xz_bytes=$((xz_bytes + n))
done
t1=$(now)
xz_secs=$(echo "$t1 - $t0" | bc -l)

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
