#!/usr/bin/env bash
# Runs one fuzz target by hand: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
# TARGET is one of project_roundtrip, profile_file, description_reader, setup_payload. Builds
# the clang variant in build/fuzz (libFuzzer, AddressSanitizer, UBSan), fuzzes from the kept
# corpus tests/data/fuzz/TARGET for SECONDS, and leaves what it found in build/fuzz/found/TARGET
# (new inputs in corpus/, crashes as crash-*). To keep a new input, minimise the corpus into the
# kept one:  build/fuzz/fuzz/fuzz_TARGET -merge=1 tests/data/fuzz/TARGET build/fuzz/found/TARGET/corpus
# Needs clang with libFuzzer (scripts/install-deps.sh installs it); CI only replays the corpus.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
target=${1:?usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]}
seconds=${2:?usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]}
shift 2
corpus=$top/tests/data/fuzz/$target
[ -d "$corpus" ] || { echo "no corpus folder $corpus" >&2; exit 2; }

cmake -S "$top" -B "$top/build/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCORVANE_FUZZ=ON -DCORVANE_SANITIZE=ON -DCORVANE_BUILD_GUI=OFF >/dev/null
cmake --build "$top/build/fuzz" --target "fuzz_$target"

found=$top/build/fuzz/found/$target
mkdir -p "$found/corpus"
cd "$found"
# Inputs over 64 KiB teach nothing here that smaller ones do not, and keep the corpus small.
exec "$top/build/fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 \
    -print_final_stats=1 "$@" "$found/corpus" "$corpus"
