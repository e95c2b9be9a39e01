#!/usr/bin/env bash
# Fails when a tracked C++ file differs from .clang-format, naming each one. Fix with
# `cmake --build build/release --target format` (or clang-format -i on the files named).
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format || true)
[ -n "$format" ] || { echo "check-format: clang-format is not installed (scripts/install-deps.sh)" >&2; exit 1; }
bad=()
while IFS= read -r -d '' file; do
    "$format" --dry-run --Werror "$file" >/dev/null 2>&1 || bad+=("$file")
done < <(git ls-files -z '*.cpp' '*.h' '*.c')
if [ ${#bad[@]} -gt 0 ]; then
    echo "check-format: ${#bad[@]} file(s) differ from .clang-format:" >&2
    printf '  %s\n' "${bad[@]}" >&2
    exit 1
fi
echo "check-format: every C++ file matches .clang-format"
