#!/bin/sh
# Makes the oracle suite's private wine prefix (once) and keeps its server up a minute after the
# last client, so each test's wine run starts in well under a second.
# Usage: make-wine-prefix.sh WINE WINESERVER PREFIX
wine=$1 wineserver=$2
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# wineboot complains about the missing 32-bit half of a 64-bit-only wine; the prefix is usable.
"$wine" wineboot -i >/dev/null 2>&1
"$wineserver" -w  # the registry files are written when that server ends
"$wineserver" -p60 </dev/null >/dev/null 2>&1
test -f "$WINEPREFIX/system.reg" || { echo "no wine prefix in $WINEPREFIX" >&2; exit 1; }
