#!/usr/bin/env bash
# Installs the Debian packages Corvane needs to build and test, and only those still missing.
# Safe to run again: a machine that has everything installs nothing.
set -euo pipefail

packages=(
    # build
    cmake ninja-build g++ zlib1g-dev
    # libcrypto: the setup password is stored as a PBKDF2 hash
    libssl-dev
    # the editor (Qt 6 Widgets; Qt Test and the offscreen platform come with it)
    qt6-base-dev
    # the setup runtime (Setup.exe, Uninstall.exe), cross-compiled for Windows
    g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
    # the format gate of scripts/test.sh
    clang-format
    # tests
    libgtest-dev libgmock-dev
    # cabinet oracles: libmspack (cabextract, and linked into the randomized LZX test), 7-Zip, gcab,
    # and Windows' decoder (a mingw-built probe under wine)
    cabextract p7zip-full gcab wine wine64 mingw-w64 libmspack-dev
    # screenshots of the editor and walks through the setup wizard under a real X server
    xvfb xauth xdotool x11-apps
    # the wizard walk compares its screenshots with a small Python script
    python3
    # a window manager, so the editor is tried framed and placed as on a desktop
    openbox
    # signing setups from Linux, and the throw-away certificate its test makes
    osslsigncode openssl
    # LZX benchmark peers (bench/lzx)
    wimtools xz-utils
    # scripts/fuzz.sh: clang with libFuzzer and the sanitizer runtimes (the corpus replay needs none)
    clang libclang-rt-dev
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
