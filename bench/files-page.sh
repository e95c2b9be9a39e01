#!/usr/bin/env bash
# Adding a large folder in the editor, against find listing the same folder with its sizes.
# Makes FILES small files in FOLDERS folders (default 20,000 in 400), then times, best of ROUNDS,
# `find DIR -type f -printf '%s\n'` and the Files page's "Add folder..." (scan, rows, refresh).
# Usage: bench/files-page.sh [BUILD] [FILES] [FOLDERS] [ROUNDS]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$top/build/release}
files=${2:-20000}
folders=${3:-400}
rounds=${4:-3}
bench=$build/bench/corvane-bench-files-page
[ -x "$bench" ] || { echo "no $bench: scripts/build.sh release" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work/data" "$files" "$folders" <<'PY'
import os, sys
root, files, folders = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
for f in range(folders):
    d = os.path.join(root, "d%03d" % (f // 20), "s%03d" % f)
    os.makedirs(d, exist_ok=True)
    for i in range(files // folders):
        with open(os.path.join(d, "file%04d.txt" % i), "wb") as out:
            out.write(b"x" * (i % 500 + 1))
PY

now() { date +%s.%N; }
best_find=; best_page=; rows=
for round in $(seq 1 "$rounds"); do
    start=$(now); find "$work/data" -type f -printf '%s\n' >/dev/null; end=$(now)
    t=$(echo "$end - $start" | bc)
    if [ -z "$best_find" ] || [ "$(echo "$t < $best_find" | bc)" = 1 ]; then best_find=$t; fi
    read -r t rows < <(QT_QPA_PLATFORM=offscreen "$bench" "$work/data")
    if [ -z "$best_page" ] || [ "$(echo "$t < $best_page" | bc)" = 1 ]; then best_page=$t; fi
done
printf 'files %s in %s folders, rows added %s\n' "$files" "$folders" "$rows"
printf 'find -printf %%s   %8.3f s\n' "$best_find"
printf 'Add folder...     %8.3f s\n' "$best_page"
printf 'ratio             %8.2f x\n' "$(echo "$best_page / $best_find" | bc -l)"
