#!/usr/bin/env bash
# scripts/check-includes.sh on small made-up trees: the arrows it must refuse, and what it must let pass.
set -u
check=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0

expect() {  # expect PASS|FAIL "message to find" FILE LINE...
    local want=$1 message=$2 file=$3
    shift 3
    rm -rf "$tree/src" "$tree/runtime"
    mkdir -p "$tree/src/model" "$tree/src/lzx" "$tree/src/ui" "$tree/runtime/windows/src" "$(dirname "$tree/$file")"
    printf '%s\n' "$@" > "$tree/$file"
    out=$("$check" "$tree" 2>&1)
    rc=$?
    if { [ "$want" = PASS ] && [ $rc -ne 0 ]; } || { [ "$want" = FAIL ] && [ $rc -eq 0 ]; } ||
       ! grep -qF -- "$message" <<< "$out"; then
        echo "FAIL: $file expected $want with \"$message\", got rc=$rc: $out"
        failures=$((failures + 1))
    fi
}

expect FAIL 'src/model/A.cpp:2: forbidden include "builder/B.h": model may not use builder' \
       src/model/A.cpp '#include "model/A.h"' '#include "builder/B.h"'
expect FAIL 'lzx may not use cabinet' src/lzx/E8.cpp '  #  include "cabinet/CabinetFormat.h"'
expect FAIL 'may not use Qt (<QString>)' src/model/A.h '#include <QString>'
expect FAIL 'names no folder' src/model/A.cpp '#include "Helper.h"'
expect FAIL 'runtime/windows/src may not use project' runtime/windows/src/R.cpp '#include "project/ProjectFileReader.h"'
expect PASS '' src/model/A.cpp '#include "platform/ProfileFile.h"' '#include <string>' '// #include "builder/B.h"'
expect PASS '' src/ui/W.cpp '#include <QWidget>' '#include "builder/SetupBuilder.h"'
expect FAIL 'runtime/windows/src may not use project (allowed: contract)' runtime/windows/src/R.cpp '#include "project/RowSplit.h"'
expect PASS '' runtime/windows/src/R.cpp '#include "Text.h"' '#include "contract/RowFormat.h"'

[ $failures -eq 0 ] && echo PASS
exit $failures
