#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build and test, and only those still missing.
# Safe to run again: a machine that has everything installs nothing.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ zlib1g-dev
    # the setup runtime (Setup.exe, Uninstall.exe): cross-compiled for Windows
    g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
    # tests
    libgtest-dev libgmock-dev
    # the runtime's end-to-end tests: wine runs the setups, gcab makes their cabinets
    wine wine64 gcab xvfb xauth xdotool x11-apps
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
