#!/usr/bin/env bash
# Installs what is missing, builds, and runs Corvane on the demo project: the editor when a
# display is present, otherwise the command-line builder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" release
bin="$top/build/release/bin"
demo="$top/examples/demo/Demo.zan"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec "$bin/corvane" "$demo"
fi
echo "No display found (DISPLAY and WAYLAND_DISPLAY are unset): building the demo's setup with corvane-build." >&2
exec "$bin/corvane-build" "$demo" -o "$top/build/demo/Corvane Demo 1.0 Setup.exe"
