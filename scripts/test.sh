#!/usr/bin/env bash
# The one entry for local runs and CI: installs what is missing, checks the formatting, builds the
# release and the sanitizer variants, and runs every suite of both through ctest.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/check-format.sh"
for variant in release asan; do
    echo "== $variant"
    "$top/scripts/build.sh" "$variant"
    ctest --test-dir "$top/build/$variant" --output-on-failure -j "$(nproc)"
done
