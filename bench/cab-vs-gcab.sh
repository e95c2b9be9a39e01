#!/usr/bin/env bash
# One MSZIP cabinet per corpus file, as a build makes them, written by corvane-cab and by
# `gcab -c -z` in the same run. Prints total sizes and times and Corvane's ratios to gcab.
# Usage: bench/cab-vs-gcab.sh CORPUS [CORVANE_CAB] [ROUNDS]
#   CORPUS       made by shared/bench/make-corpus.sh
#   CORVANE_CAB  default: build/release/bin/corvane-cab
#   ROUNDS       timing rounds, the best of each tool counts (default 3)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
corpus=${1:?usage: cab-vs-gcab.sh CORPUS [CORVANE_CAB] [ROUNDS]}
cab=${2:-$top/build/release/bin/corvane-cab}
rounds=${3:-3}
command -v gcab >/dev/null || { echo "gcab is missing: scripts/install-deps.sh" >&2; exit 2; }
[ -x "$cab" ] || { echo "no $cab: scripts/build.sh release" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mapfile -t files < <(cd "$corpus" && find . -type f | sort)

now() { date +%s.%N; }
run_corvane() { local i=0; for f in "${files[@]}"; do "$cab" -z mszip "$work/c/$i.cab" "$corpus/$f"; i=$((i+1)); done; }
run_gcab() { local i=0; for f in "${files[@]}"; do gcab -c -z -n "$work/g/$i.cab" "$corpus/$f"; i=$((i+1)); done; }

best_c=; best_g=
for round in $(seq 1 "$rounds"); do
    for tool in corvane gcab; do
        rm -rf "$work/c" "$work/g"; mkdir -p "$work/c" "$work/g"
        start=$(now); "run_$tool"; end=$(now)
        t=$(echo "$end - $start" | bc)
        if [ "$tool" = corvane ]; then
            [ -z "$best_c" ] || [ "$(echo "$t < $best_c" | bc)" = 1 ] && best_c=$t
            size_c=$(du -cb "$work"/c/*.cab | tail -1 | cut -f1)
        else
            [ -z "$best_g" ] || [ "$(echo "$t < $best_g" | bc)" = 1 ] && best_g=$t
            size_g=$(du -cb "$work"/g/*.cab | tail -1 | cut -f1)
        fi
    done
done
input=$(du -cb "${files[@]/#/$corpus/}" | tail -1 | cut -f1)
printf '%-12s %12s %10s\n' tool bytes seconds
printf '%-12s %12d %10.2f\n' input "$input" 0 corvane-cab "$size_c" "$best_c" "gcab -z" "$size_g" "$best_g"
printf 'size ratio corvane/gcab: %.4f   time ratio corvane/gcab: %.3f   (%d files, best of %d)\n' \
    "$(echo "$size_c / $size_g" | bc -l)" "$(echo "$best_c / $best_g" | bc -l)" "${#files[@]}" "$rounds"
