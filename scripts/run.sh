#!/usr/bin/env bash
# Installs what is missing, builds, and runs Corvane's main job on the demo project.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" release
"$top/build/release/bin/corvane-build" --describe "$top/examples/demo/Demo.zan"
