#!/usr/bin/env bash
# Configures and builds one variant: scripts/build.sh [release|asan]  (default release)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
variant=${1:-release}
case "$variant" in
    release) flags=(-DCORVANE_WERROR=ON -DCORVANE_BUILD_RUNTIME=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANE_SANITIZE=OFF) ;;
    asan)    flags=(-DCORVANE_WERROR=ON -DCORVANE_BUILD_RUNTIME=ON -DCMAKE_BUILD_TYPE=Debug -DCORVANE_SANITIZE=ON) ;;
    *) echo "usage: scripts/build.sh [release|asan]" >&2; exit 2 ;;
esac
cmake -S "$top" -B "$top/build/$variant" -G Ninja "${flags[@]}" >/dev/null
cmake --build "$top/build/$variant" -j "$(nproc)"
