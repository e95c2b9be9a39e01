#!/usr/bin/env bash
# End-to-end tests of Setup.exe and Uninstall.exe under wine.
#   RuntimeEndToEnd.sh SCENARIO
# Environment (set by CMake): CORVANE_PROGRAM_DIR (Setup.exe, Uninstall.exe, Languages),
# CORVANE_BUILD (corvane-build), CORVANE_WINE_DIR (prefix and scratch space).
# One wine prefix serves the whole suite ("prefix" makes it); each scenario uses its own
# application name and folders, so scenarios do not see each other's traces.
set -euo pipefail

scenario=${1:?scenario}
. "$(dirname "$0")/WineEnvironment.sh"
work=$base/$scenario

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; "$@" || fail "$what"; }
finish() { [ "$failures" -eq 0 ] && echo "PASS $scenario" || { echo "$failures check(s) failed in $scenario" >&2; exit 1; }; }

winepath_u() { wine winepath -u "$1" 2>/dev/null | tr -d '\r'; }
reg_value() {  # reg_value KEY NAME -> prints the data, fails when missing
    local which=(/v "$2")
    [ "$2" = "(Default)" ] && which=(/ve)
    wine reg query "$1" "${which[@]}" 2>/dev/null | tr -d '\r' | awk -v n="$2" -F'    ' '$2 == n { print $4; found=1 } END { exit !found }'
}
reg_absent() { ! reg_value "$1" "$2" >/dev/null; }
key_absent() { ! wine reg query "$1" >/dev/null 2>&1; }
ini_value() {  # ini_value FILE SECTION KEY
    tr -d '\r' < "$1" | awk -v s="[$2]" -v k="$3" '$0 == s { on=1; next } /^\[/ { on=0 } on && index($0, k "=") == 1 { print substr($0, length(k) + 2) }'
}

# DLLs an attacker puts beside a setup: copies of the witness DLL (Witness.cpp) under the names
# of system DLLs that are no KnownDLLs. prefer_planted NAME... makes wine prefer a DLL of that
# name found beside a program to its own, as Windows does for DLLs that are no KnownDLLs.
planted="cabinet bcrypt msftedit riched20"
prefer_planted() { export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;$(echo "$@" | tr ' ' ,)=n,b"; }
plant() {  # plant FOLDER NAME...
    local folder=$1 name; shift
    for name in "$@"; do cp "$CORVANE_PLANTED_LIBRARY" "$folder/$name.dll"; done
}
ran_planted() { find "$@" -maxdepth 1 -name '*.dll.ran' -printf '%f ' 2>/dev/null || true; }  # FOLDER...

# run_setup SETUP ARGS... -> exit code in $rc, standard error in $err
run_setup() {
    local setup=$1; shift
    set +e
    err=$(wine "$setup" "$@" 2>&1 >/dev/null)
    rc=$?
    set -e
    wineserver -w
}

# make_project NAME APPNAME: writes $work/NAME.zan from the sections on standard input.
make_project() {
    mkdir -p "$work"
    cat > "$work/$1.zan"
}

build_setup() {  # build_setup NAME -> $work/NAME.exe, built by corvane-build
    "$CORVANE_BUILD" "$work/$1.zan" -o "$work/$1.exe" --program-dir "$CORVANE_PROGRAM_DIR" >/dev/null
}

# repack SETUP FOLDER OUT: SETUP with its description cabinet replaced by one holding the files
# of FOLDER (as extract_description left them, perhaps changed since) and the trailer written
# anew. For setups the builder refuses to make, so the runtime's own refusal can be seen.
repack() {
    local length
    (cd "$2" && rm -f again.cab && "$(dirname "$CORVANE_BUILD")/corvane-cab" again.cab \
        $(ls | grep -v '\.cab$') >/dev/null)
    length=$((10#$(tail -c 10 "$1")))
    head -c $(($(stat -c %s "$1") - length - 10)) "$1" > "$3"
    cat "$2/again.cab" >> "$3"
    printf '%010d' "$(stat -c %s "$2/again.cab")" >> "$3"
}

# reseal SETUP FROM TO OUT: SETUP with the text FROM replaced by TO in its description.
reseal() {
    rm -rf "$work/resealed"
    extract_description "$1" "$work/resealed"
    python3 -c 'import sys; p = sys.argv[1]; b = open(p, "rb").read(); open(p, "wb").write(b.replace(sys.argv[2].encode(), sys.argv[3].encode()))' \
        "$work/resealed/zansetup.ini" "$2" "$3"
    repack "$1" "$work/resealed" "$4"
}

# extract_description SETUP FOLDER: the description cabinet's members, found from the trailer.
extract_description() {
    local length
    length=$((10#$(tail -c 10 "$1")))
    mkdir -p "$2"
    tail -c $((length + 10)) "$1" | head -c "$length" > "$2/zansetup.cab"
    cabextract -q -d "$2" "$2/zansetup.cab"
}

settings() {  # settings APPNAME UNINSTALL -> a Settings section with the usual values
    cat <<EOT
[Settings]
AppName=$1
AppVersion=2.5
CompanyName=Brennic Test
WebSite=https://www.example.com/
Support=mailto:support@example.com
SetupFile=ignored.exe
CompressionType=${3:-1}
Silent=0
Wizard=$CORVANE_PROGRAM_DIR/Wizard_0.bmp
Header=$CORVANE_PROGRAM_DIR/Header_0.bmp
DefaultLanguage=0
Protect=0
Password=
License=0
Accept=0
Readme=0
InstallDir=<ProgramFiles>\\<AppName>
GetFromRegistry=0
RootKey=2
Subkey=Software\\<CompanyName>\\<AppName>
Value=Directory
Uninstall=$2
ShowPorgrams=$2
UninstallPage=0
UninstallAddress=https://www.example.com/uninstall.html
ProgramGroup=<AppName>
AllUsersMenu=0
Restart=0
LaunchFile=0
LaunchFileName=
LaunchCecked=0
ViewReadme=0
ViewReadmeFileName=
ViewReadmeCecked=0
VisitSite=0
VisitSiteAddress=
VisitSiteCecked=0
[Language]
1=
EOT
}

make_payload() {
    mkdir -p "$work/payload/sub"
    printf 'Hello from the runtime test.\r\n' > "$work/payload/readme.txt"
    printf '@echo off\r\necho test\r\n' > "$work/payload/app.cmd"
    # Incompressible and larger than one cabinet block, so several data blocks are checked.
    head -c 150000 /dev/urandom > "$work/payload/sub/data.bin"
    printf '[Options]\r\nColour=Blue\r\n' > "$work/payload/settings.ini"
}

# A program folder whose English is English.US.lng, and a project with three languages, a license
# for two of them and a German readme: the build packs the multi-dot file as English.lng, each
# document under its language's name, and the setup speaks the chosen language.
scenario_language_documents() {
    rm -rf "$work"
    make_payload
    local program=$work/program description=$work/description
    mkdir -p "$program/Languages"
    cp "$CORVANE_PROGRAM_DIR/Setup.exe" "$CORVANE_PROGRAM_DIR/Uninstall.exe" "$program/"
    cp "$CORVANE_PROGRAM_DIR/Languages/Deutsch.lng" "$CORVANE_PROGRAM_DIR/Languages/Français.lng" "$program/Languages/"
    sed 's/^UninstallConfirm=.*/UninstallConfirm=Remove %1 (US English)?/' "$CORVANE_PROGRAM_DIR/Languages/English.lng" \
        > "$program/Languages/English.US.lng"
    printf 'Default license.\r\n' > "$work/payload/default.txt"
    printf 'Lizenzvertrag für Deutsch.\r\n' > "$work/payload/lizenz.txt"
    printf '{\\rtf1\\ansi US license.\\par}\r\n' > "$work/payload/license-us.rtf"
    printf 'Bitte lesen.\r\n' > "$work/payload/liesmich.txt"
    # Catalogue: Deutsch 0, English 1, Français 2; English is the default.
    { settings "Corvane Documents" 1 | sed -e 's/^DefaultLanguage=.*/DefaultLanguage=1/' -e 's/^License=0/License=1/' \
          -e 's/^Accept=0/Accept=1/' -e 's/^Readme=0/Readme=1/' -e '/^\[Language\]/,$d'
      cat <<EOT
[Language]
0=
1=
2=
[License]
(Default)?$work/payload/default.txt=
Deutsch?$work/payload/lizenz.txt=
English?$work/payload/license-us.rtf=
Français?=
[Readme]
(Default)?$work/payload/readme.txt=
Deutsch?$work/payload/liesmich.txt=
English?=
Français?=
[Files]
$work/payload/readme.txt?0?<InstallDir>\\readme.txt?Overwrite?Yes=
$program/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
EOT
    } | make_project documents
    "$CORVANE_BUILD" "$work/documents.zan" -o "$work/documents.exe" --program-dir "$program" >/dev/null
    extract_description "$work/documents.exe" "$description"
    check "English.US.lng packed as English.lng" cmp -s "$program/Languages/English.US.lng" "$description/English.lng"
    check "no member under the file's own name" [ ! -e "$description/English.US.lng" ]
    check "three languages packed" [ "$(ls "$description" | grep -c 'lng$')" -eq 3 ]
    check "default license" cmp -s "$work/payload/default.txt" "$description/L(Default).rtf"
    check "German license" cmp -s "$work/payload/lizenz.txt" "$description/LDeutsch.rtf"
    check "English license" cmp -s "$work/payload/license-us.rtf" "$description/LEnglish.rtf"
    check "German readme" cmp -s "$work/payload/liesmich.txt" "$description/RDeutsch.rtf"
    check "rows without a file are not packed" [ -z "$(ls "$description" | grep -E '^(LFran|RFran|REnglish)')" ]
    check "default language by name" [ "$(ini_value "$description/zansetup.ini" Settings DefaultLanguage)" = "English" ]

    udir="$drive_c/Program Files/Corvane Documents"
    run_setup "$work/documents.exe" /S
    check "default language install (rc $rc: $err)" [ "$rc" -eq 0 ]
    check "the default language's texts come from English.US.lng" grep -q "(US English)" "$udir/Uninstall.log"
    run_setup "$work/documents.exe" /S /LANG=Deutsch
    check "/LANG=Deutsch install (rc $rc: $err)" [ "$rc" -eq 0 ]
    check "/LANG=Deutsch picks German" grep -q "wirklich vollständig entfernen" "$udir/Uninstall.log"
    finish
}

case "$scenario" in

prefix)
    rm -rf "$base"
    mkdir -p "$HOME"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    [ -d "$drive_c/windows" ] || { echo "wine prefix was not created" >&2; exit 1; }
    echo "PASS prefix"
    ;;

install-uninstall)
    rm -rf "$work"
    make_payload
    for compression in 0 1 2; do
        app="Corvane Round Trip $compression"
        { settings "$app" 1 "$compression"; cat <<EOT
[Files]
$work/payload/app.cmd?0?<InstallDir>\\app.cmd?Overwrite?Yes=
$work/payload/readme.txt?0?<InstallDir>\\Read Me.txt?Overwrite?Yes=
$work/payload/sub/data.bin?0?<InstallDir>\\sub\\deeper\\data.bin?Overwrite?Yes=
$work/payload/settings.ini?0?<InstallDir>\\settings.ini?Skip?No=
$work/payload/readme.txt?0?<AppData>\\<AppName>\\kept.txt?Overwrite?No=
$CORVANE_PROGRAM_DIR/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
$CORVANE_TEST_SERVER?0?<InstallDir>\\server.dll?Overwrite?Yes=
[Shortcuts]
<ProgramGroup>?Round Trip?<InstallDir>\\app.cmd?Starts the test????0?Normal=
<Desktop>?Round Trip $compression?<InstallDir>\\app.cmd?Starts the test??<InstallDir>??0?Maximize=
[Registry]
HKEY_LOCAL_MACHINE?Software\\<CompanyName>\\<AppName>?Directory?String?<InstallDir>?Yes?Yes=
HKEY_LOCAL_MACHINE?Software\\<CompanyName>\\<AppName>?Version?String?<AppVersion>?Yes?No=
HKEY_CURRENT_USER?Software\\<CompanyName>\\<AppName>?Count?Dword?42?Yes?Yes=
HKEY_CURRENT_USER?Software\\<CompanyName>\\<AppName>?Existing?Dword?7?No?Yes=
[INI]
<InstallDir>\\settings.ini?Options?Colour?Green?No?Yes=
<InstallDir>\\settings.ini?Options?Size?Large?Yes?Yes=
<InstallDir>\\settings.ini?Installed?Version?<AppVersion> of <AppName>?Yes?No=
[Associations]
.crt$compression?<InstallDir>\\app.cmd=
[DLL]
<InstallDir>\\server.dll=
EOT
        } | make_project "trip$compression"
        build_setup "trip$compression"

        dir='C:\Corvane Tests\Round Trip '$compression
        udir=$drive_c/"Corvane Tests/Round Trip $compression"
        # What the user had before: a settings file that "Skip" must keep, a value that
        # "Overwrite No" must keep.
        mkdir -p "$udir"
        printf '[Options]\r\nColour=Red\r\n' > "$udir/settings.ini"
        wine reg add "HKCU\\Software\\Brennic Test\\$app" /v Existing /t REG_DWORD /d 5 /f >/dev/null 2>&1

        run_setup "$work/trip$compression.exe" /S "/D=$dir"
        check "setup exit code 0 (was $rc: $err)" [ "$rc" -eq 0 ]
        check "app.cmd installed" cmp -s "$work/payload/app.cmd" "$udir/app.cmd"
        check "file name with a blank" cmp -s "$work/payload/readme.txt" "$udir/Read Me.txt"
        check "nested new folders" cmp -s "$work/payload/sub/data.bin" "$udir/sub/deeper/data.bin"
        check "Skip keeps the user's file" grep -q Red "$udir/settings.ini"
        check "uninstaller installed" cmp -s "$CORVANE_PROGRAM_DIR/Uninstall.exe" "$udir/Uninstall.exe"
        appdata=$(find "$drive_c/users" -path "*AppData/Roaming/$app/kept.txt" | head -1)
        check "<AppData> expanded" [ -n "$appdata" ]
        key="HKLM\\Software\\Brennic Test\\$app"
        check "String value with <InstallDir>" [ "$(reg_value "$key" Directory)" = "$dir" ]
        check "String value with <AppVersion>" [ "$(reg_value "$key" Version)" = "2.5" ]
        check "Dword value" [ "$(reg_value "HKCU\\Software\\Brennic Test\\$app" Count)" = "0x2a" ]
        check "Overwrite No keeps a value" [ "$(reg_value "HKCU\\Software\\Brennic Test\\$app" Existing)" = "0x5" ]
        check "INI Overwrite No keeps a value" [ "$(ini_value "$udir/settings.ini" Options Colour)" = "Red" ]
        check "INI value written" [ "$(ini_value "$udir/settings.ini" Options Size)" = "Large" ]
        check "INI value expanded" [ "$(ini_value "$udir/settings.ini" Installed Version)" = "2.5 of $app" ]
        group=$(find "$drive_c/users" -path "*Start Menu/Programs/$app/Round Trip.lnk" | head -1)
        check "program group shortcut" [ -n "$group" ]
        check "shortcut names its target" grep -qa "app.cmd" "$group"
        desktop=$(find "$HOME" "$drive_c/users" -name "Round Trip $compression.lnk" 2>/dev/null | head -1)
        check "desktop shortcut" [ -n "$desktop" ]
        check "association" [ "$(reg_value "HKLM\\Software\\Classes\\.crt$compression" '(Default)')" = "CorvaneRoundTrip$compression.crt$compression" ]
        check "association command" [ "$(reg_value "HKLM\\Software\\Classes\\CorvaneRoundTrip$compression.crt$compression\\shell\\open\\command" '(Default)')" = "\"$dir\\app.cmd\" \"%1\"" ]
        arp="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$app"
        check "Add/Remove Programs entry" [ "$(reg_value "$arp" UninstallString)" = "\"$dir\\Uninstall.exe\"" ]
        check "listed by wine's uninstaller" sh -c "wine uninstaller --list 2>/dev/null | grep -q '$app'"
        check "uninstall log beside the uninstaller" [ -f "$udir/Uninstall.log" ]
        check "DLL registered" [ "$(reg_value 'HKCU\Software\Corvane Test Server' Registered)" = "0x1" ]

        run_setup "$udir/Uninstall.exe" /S
        check "uninstaller exit code 0 (was $rc: $err)" [ "$rc" -eq 0 ]
        check "installed files removed" [ ! -e "$udir/app.cmd" ]; check "installed files removed" [ ! -e "$udir/Read Me.txt" ]; check "installed files removed" [ ! -e "$udir/Uninstall.exe" ]
        check "folders it made removed" [ ! -e "$udir/sub" ]
        check "uninstall log removed" [ ! -e "$udir/Uninstall.log" ]
        check "file marked No stays" [ -f "$appdata" ]
        check "the user's file stays" grep -q Red "$udir/settings.ini"
        check "INI value marked No stays" [ "$(ini_value "$udir/settings.ini" Installed Version)" = "2.5 of $app" ]
        check "INI value marked Yes removed" [ -z "$(ini_value "$udir/settings.ini" Options Size)" ]
        check "registry value marked Yes removed" reg_absent "$key" Directory
        check "registry value marked No stays" [ "$(reg_value "$key" Version)" = "2.5" ]
        check "Dword marked Yes removed" reg_absent "HKCU\\Software\\Brennic Test\\$app" Count
        check "shortcuts removed" [ ! -e "$group" ]; check "shortcuts removed" [ ! -e "$desktop" ]
        check "program group folder removed" [ ! -e "$(dirname "$group")" ]
        check "association removed" key_absent "HKLM\\Software\\Classes\\CorvaneRoundTrip$compression.crt$compression"
        check "extension released" reg_absent "HKLM\\Software\\Classes\\.crt$compression" '(Default)'
        check "Add/Remove Programs entry removed" key_absent "$arp"
        check "DLL unregistered before it was deleted" key_absent 'HKCU\Software\Corvane Test Server'
        check "DLL deleted" [ ! -e "$udir/server.dll" ]
    done
    # An uninstaller without its log says so through its exit code and removes nothing.
    mkdir -p "$drive_c/Corvane No Log"
    cp "$CORVANE_PROGRAM_DIR/Uninstall.exe" "$drive_c/Corvane No Log/"
    printf 'keep\r\n' > "$drive_c/Corvane No Log/data.txt"
    run_setup "$drive_c/Corvane No Log/Uninstall.exe" /S
    check "no log: exit code 2 (was $rc)" [ "$rc" -eq 2 ]
    check "no log: nothing removed" [ -f "$drive_c/Corvane No Log/data.txt" ]
    finish
    ;;

duplicate-lines)
    # Two rows with identical lines: the description keeps them apart, and the file after them
    # still comes from its own cabinet.
    rm -rf "$work"
    make_payload
    printf 'first\r\n' > "$work/payload/one.txt"
    printf 'other\r\n' > "$work/payload/two.txt"
    { settings "Corvane Duplicates" 0; cat <<EOT
[Files]
$work/payload/one.txt?0?<InstallDir>\\same.txt?Overwrite?Yes=
$work/payload/one.txt?0?<InstallDir>\\same.txt?Overwrite?Yes=
$work/payload/two.txt?0?<InstallDir>\\two.txt?Overwrite?Yes=
$work/payload/sub/data.bin?0?<InstallDir>\\data.bin?Overwrite?Yes=
EOT
    } | make_project dup
    build_setup dup
    extract_description "$work/dup.exe" "$work/description"
    check "the description holds distinct lines" grep -q 'same.txt?[0-9]*?Overwrite?Yes?2=' "$work/description/zansetup.ini"
    run_setup "$work/dup.exe" /S
    udir="$drive_c/Program Files/Corvane Duplicates"
    check "setup exit code 0 (was $rc: $err)" [ "$rc" -eq 0 ]
    check "duplicated file" cmp -s "$work/payload/one.txt" "$udir/same.txt"
    check "file after the duplicates" cmp -s "$work/payload/two.txt" "$udir/two.txt"
    check "last file" cmp -s "$work/payload/sub/data.bin" "$udir/data.bin"
    finish
    ;;

stale-uninstaller)
    # A project saved on another machine names that machine's uninstaller; the setup still
    # carries this program folder's, which installs and uninstalls.
    rm -rf "$work"
    make_payload
    app="Corvane Stale Uninstaller"
    { settings "$app" 1; cat <<EOT
[Files]
$work/payload/app.cmd?0?<InstallDir>\\app.cmd?Overwrite?Yes=
/home/someone-else/corvane/bin/Uninstall.exe?54784?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
EOT
    } | make_project stale
    build_setup stale
    run_setup "$work/stale.exe" /S
    udir="$drive_c/Program Files/$app"
    check "setup exit code 0 (was $rc: $err)" [ "$rc" -eq 0 ]
    check "this program folder's uninstaller installed" cmp -s "$CORVANE_PROGRAM_DIR/Uninstall.exe" "$udir/Uninstall.exe"
    arp="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$app"
    check "Add/Remove Programs points at it" [ -n "$(reg_value "$arp" UninstallString)" ]
    run_setup "$udir/Uninstall.exe" /S
    check "uninstaller exit code 0 (was $rc: $err)" [ "$rc" -eq 0 ]
    check "installed file removed" [ ! -e "$udir/app.cmd" ]
    check "uninstaller removed itself" [ ! -e "$udir/Uninstall.exe" ]
    check "Add/Remove Programs entry removed" key_absent "$arp"
    finish
    ;;

damaged)
    rm -rf "$work"
    make_payload
    { settings "Corvane Damaged" 1 0; cat <<EOT
[Files]
$work/payload/readme.txt?0?<InstallDir>\\readme.txt?Overwrite?Yes=
$work/payload/sub/data.bin?0?<InstallDir>\\data.bin?Overwrite?Yes=
$CORVANE_PROGRAM_DIR/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
[Registry]
HKEY_CURRENT_USER?Software\\Corvane Damaged?Marker?String?x?Yes?Yes=
EOT
    } | make_project good
    build_setup good
    good=$work/good.exe
    size=$(stat -c %s "$good")
    stub=$(stat -c %s "$CORVANE_PROGRAM_DIR/Setup.exe")
    extract_description "$good" "$work/description"
    cab0=$(tr -d '\r' < "$work/description/zansetup.ini" | awk -F'?' '/^\[Files\]/ { on = 1; next } on { print $2; exit }')
    udir="$drive_c/Program Files/Corvane Damaged"

    expect_refused() {  # expect_refused NAME MESSAGE-PATTERN
        run_setup "$work/$1.exe" /S
        check "$1: refused with exit code 2 (was $rc)" [ "$rc" -eq 2 ]
        check "$1: message '$2' (was: $err)" grep -q "$2" <<<"$err"
        check "$1: nothing installed" [ ! -e "$udir" ]
        check "$1: no registry value written" key_absent "HKCU\\Software\\Corvane Damaged"
    }
    head -c $((size - 1000)) "$good" > "$work/truncated.exe"
    expect_refused truncated "damaged"
    # The last 10 bytes kept, the middle cut: the lengths no longer add up.
    { head -c $((stub + cab0 + 500)) "$good"; tail -c $((size - stub - cab0 - 4000)) "$good"; } > "$work/cut.exe"
    expect_refused cut "do not add up"
    # A flipped byte in the data of the second (stored, multi-block) file cabinet.
    cp "$good" "$work/flipped.exe"
    offset=$((stub + cab0 + 70000))
    byte=$(od -An -tu1 -j "$offset" -N1 "$good" | tr -d ' ')
    printf "$(printf '\\%03o' $(( byte ^ 0x5A )))" | dd of="$work/flipped.exe" bs=1 seek="$offset" conv=notrunc 2>/dev/null
    expect_refused flipped "checksum does not match"
    # A trailer that names a wrong length, and one that is not a number.
    cp "$good" "$work/trailer.exe"
    printf '%010d' $(( $(tail -c 10 "$good" | sed 's/^0*//') + 3 )) | dd of="$work/trailer.exe" bs=1 seek=$((size - 10)) conv=notrunc 2>/dev/null
    expect_refused trailer "damaged"
    cp "$good" "$work/letters.exe"
    printf 'abcdefghij' | dd of="$work/letters.exe" bs=1 seek=$((size - 10)) conv=notrunc 2>/dev/null
    expect_refused letters "does not end with the length"
    # Signing appends a certificate table after the trailer (padded to 8 bytes) and points the
    # PE header's security entry at it; the setup must still find its trailer. The table's
    # last bytes are digits, so a setup reading the file's last 10 bytes would go wrong.
    le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
    cp "$good" "$work/signed.exe"
    head -c $(( (8 - size % 8) % 8 )) /dev/zero >> "$work/signed.exe"
    table=$(stat -c %s "$work/signed.exe")
    { printf "$(le32 40)"; printf '\x00\x02\x02\x00'; printf 'not a real signature, 0000000001'; } >> "$work/signed.exe"
    pe=$(od -An -tu4 -j 60 -N4 "$good" | tr -d ' ')
    printf "$(le32 "$table")$(le32 40)" | dd of="$work/signed.exe" bs=1 seek=$((pe + 24 + 112 + 32)) conv=notrunc 2>/dev/null
    run_setup "$work/signed.exe" /S
    check "a signed setup installs (rc $rc: $err)" [ "$rc" -eq 0 ]
    check "a signed setup installs its files" cmp -s "$work/payload/sub/data.bin" "$udir/data.bin"
    rm -rf "$udir"

    # The good one installs: the damage, not the test, was what stopped the others.
    run_setup "$good" /S
    check "the undamaged setup installs (rc $rc: $err)" [ "$rc" -eq 0 ]; check "the undamaged setup installs (rc $rc: $err)" cmp -s "$work/payload/sub/data.bin" "$udir/data.bin"
    finish
    ;;

languages)
    # Every shipped language packed; the default one and /LANG= pick the texts that the
    # uninstaller inherits through its log.
    rm -rf "$work"
    make_payload
    { settings "Corvane Languages" 1 | sed -e 's/^DefaultLanguage=.*/DefaultLanguage=3/' -e '/^\[Language\]/,$d'
      printf '[Language]\n'; for i in 0 1 2 3 4 5 6 7; do printf '%s=\n' "$i"; done; cat <<EOT
[Files]
$work/payload/readme.txt?0?<InstallDir>\\readme.txt?Overwrite?Yes=
$CORVANE_PROGRAM_DIR/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
[INI]
<InstallDir>\\greeting.ini?Text?Hello?Grüße, Привет?Yes?Yes=
EOT
    } | make_project lang
    build_setup lang
    udir="$drive_c/Program Files/Corvane Languages"
    extract_description "$work/lang.exe" "$work/description"
    check "eight languages packed" [ "$(ls "$work/description" | grep -c 'lng$')" -eq 8 ]
    run_setup "$work/lang.exe" /S
    check "default language install (rc $rc: $err)" [ "$rc" -eq 0 ]
    check "default language is French" grep -q "Voulez-vous vraiment supprimer" "$udir/Uninstall.log"
    run_setup "$work/lang.exe" /S /LANG=Русский
    check "/LANG install (rc $rc: $err)" [ "$rc" -eq 0 ]
    check "/LANG=Русский picks Russian" grep -q "Вы действительно хотите полностью удалить" "$udir/Uninstall.log"
    # A new INI file for text beyond the ANSI code page is started as UTF-16.
    check "new INI file with a UTF-16 mark" [ "$(head -c 2 "$udir/greeting.ini" | od -An -tx1 | tr -d ' ')" = "fffe" ]
    check "INI value kept whole" grep -q "Hello=Grüße, Привет" <(iconv -f UTF-16 -t UTF-8 "$udir/greeting.ini")
    # Uninstalling removes the INI file setup created once it is empty, and so the folder.
    run_setup "$udir/Uninstall.exe" /S
    check "uninstalled (rc $rc)" [ "$rc" -eq 0 ]
    check "installation folder gone" [ ! -e "$udir" ]
    finish
    ;;

description-rules)
    # What the description may not do, and the settings that steer where files go.
    rm -rf "$work"
    make_payload
    {
        settings "Corvane Rules" 0 | sed -e 's/^Protect=0/Protect=1/' -e 's/^Password=$/Password=Sesam öffne/'
        cat <<EOT
[Files]
$work/payload/readme.txt?0?<InstallDir>\\readme.txt?Overwrite?Yes=
EOT
    } | make_project protected
    build_setup protected
    udir="$drive_c/Program Files/Corvane Rules"
    rm -rf "$udir"
    run_setup "$work/protected.exe" /S
    check "protected: no password refused (rc $rc)" [ "$rc" -eq 1 ]; check "protected: no password refused (rc $rc)" [ ! -e "$udir" ]
    run_setup "$work/protected.exe" /S "/PASSWORD=wrong"
    check "protected: wrong password refused (rc $rc)" [ "$rc" -eq 1 ]; check "protected: wrong password refused (rc $rc)" [ ! -e "$udir" ]
    check "protected: a wrong password has its own message ($err)" grep -q "is not correct" <<<"$err"
    extract_description "$work/protected.exe" "$work/protected-description"
    check "protected: the setup carries a hash, not the password" grep -q "^Password=pbkdf2-sha256:" "$work/protected-description/zansetup.ini"
    check "protected: the password is nowhere in the description" sh -c '! grep -q Sesam "$1"' _ "$work/protected-description/zansetup.ini"
    run_setup "$work/protected.exe" /S "/PASSWORD=Sesam öffne"
    check "protected: right password installs (rc $rc: $err)" [ "$rc" -eq 0 ]; check "protected: right password installs (rc $rc: $err)" [ -f "$udir/readme.txt" ]

    # The folder from the registry when asked, and only when it holds a usable path.
    {
        settings "Corvane Registry Dir" 0 | sed -e 's/^GetFromRegistry=0/GetFromRegistry=1/' -e 's/^RootKey=2/RootKey=1/'
        cat <<EOT
[Files]
$work/payload/readme.txt?0?<InstallDir>\\readme.txt?Overwrite?Yes=
EOT
    } | make_project fromreg
    build_setup fromreg
    wine reg add 'HKCU\Software\Brennic Test\Corvane Registry Dir' /v Directory /d 'C:\Earlier Place' /f >/dev/null 2>&1
    run_setup "$work/fromreg.exe" /S
    check "folder from the registry (rc $rc: $err)" [ -f "$drive_c/Earlier Place/readme.txt" ]

    # A failure halfway (the second file's destination is a folder) undoes the first file and
    # the folders setup made.
    mkdir -p "$drive_c/Corvane Blocker"
    {
        settings "Corvane Rollback" 0
        printf '[Files]\n%s?0?<InstallDir>\\first.txt?Overwrite?Yes=\n%s?0?C:\\Corvane Blocker?Overwrite?Yes=\n' \
            "$work/payload/readme.txt" "$work/payload/app.cmd"
    } | make_project rollback
    build_setup rollback
    run_setup "$work/rollback.exe" /S
    check "failure reported (rc $rc)" [ "$rc" -eq 3 ]
    check "failure message names the file ($err)" grep -q 'Corvane Blocker' <<<"$err"
    check "rolled back" [ ! -e "$drive_c/Program Files/Corvane Rollback" ]

    # Lines that would write outside the named folders, name no real folder or a device stop
    # the setup before anything is written. The builder refuses to make such a setup, naming
    # the row; one made anyway (its description changed afterwards) is refused by the setup.
    {
        settings "Corvane Unsafe" 0
        printf '[Files]\n%s?0?<InstallDir>\\first.txt?Overwrite?Yes=\n%s?0?%s?Overwrite?Yes=\n' \
            "$work/payload/readme.txt" "$work/payload/app.cmd" '<InstallDir>\second.txt'
    } | make_project unsafe
    build_setup unsafe
    for bad in '<InstallDir>\..\..\escaped.txt' '<NoSuchFolder>\x.txt' 'relative\x.txt' '<InstallDir>\CON'; do
        {
            settings "Corvane Unsafe" 0
            printf '[Files]\n%s?0?<InstallDir>\\first.txt?Overwrite?Yes=\n%s?0?%s?Overwrite?Yes=\n' \
                "$work/payload/readme.txt" "$work/payload/app.cmd" "$bad"
        } | make_project refused
        set +e
        out=$("$CORVANE_BUILD" "$work/refused.zan" -o "$work/refused.exe" --program-dir "$CORVANE_PROGRAM_DIR" 2>&1)
        code=$?
        set -e
        check "build refuses $bad (exit $code: $out)" [ "$code" -eq 1 ]
        check "build names the row of $bad ($out)" grep -qF "Files row 2: the destination \"$bad\"" <<<"$out"
        check "no setup built for $bad" [ ! -e "$work/refused.exe" ]
        reseal "$work/unsafe.exe" '<InstallDir>\second.txt?' "$bad?" "$work/unsafe-resealed.exe"
        run_setup "$work/unsafe-resealed.exe" /S
        check "setup refuses $bad (rc $rc: $err)" [ "$rc" -eq 3 ]
        check "refused before writing: $bad" [ ! -e "$drive_c/Program Files/Corvane Unsafe" ]; check "refused before writing: $bad" [ ! -e "$drive_c/escaped.txt" ]
    done
    finish
    ;;

member-limits)
    # Setup.exe reads at most 64 MiB of any description member. The build refuses a larger readme
    # before it compresses anything; a setup made with one anyway is refused as damaged.
    rm -rf "$work"
    make_payload
    head -c $((64 * 1024 * 1024 + 1)) /dev/zero > "$work/big.rtf"
    {
        settings "Corvane Limits" 0 | sed -e 's/^Readme=0/Readme=1/'
        printf '[Readme]\n(Default)?%s=\nEnglish?=\n' "$work/payload/readme.txt"
        printf '[Files]\n%s?0?<InstallDir>\\readme.txt?Overwrite?Yes=\n' "$work/payload/readme.txt"
    } | make_project limits
    build_setup limits
    sed -i "s|^(Default)?.*=|(Default)?$work/big.rtf=|" "$work/limits.zan"
    set +e
    out=$("$CORVANE_BUILD" "$work/limits.zan" -o "$work/refused.exe" --program-dir "$CORVANE_PROGRAM_DIR" 2>&1)
    code=$?
    set -e
    check "build refuses the big readme (exit $code: $out)" [ "$code" -eq 1 ]
    check "the message gives the limit ($out)" grep -qF "67108865 bytes long; a setup carries language files, documents and bitmaps of at most 67108864 bytes (64 MiB)" <<<"$out"
    check "nothing built" [ ! -e "$work/refused.exe" ]
    # The same readme put into a setup by hand.
    extract_description "$work/limits.exe" "$work/members"
    cp "$work/big.rtf" "$work/members/R(Default).rtf"
    repack "$work/limits.exe" "$work/members" "$work/big.exe"
    run_setup "$work/big.exe" /S
    check "setup refuses the big member as damage (rc $rc: $err)" [ "$rc" -eq 2 ]
    check "and says why ($err)" grep -q "too large to be genuine" <<<"$err"
    check "nothing installed" [ ! -e "$drive_c/Program Files/Corvane Limits" ]
    run_setup "$work/limits.exe" /S
    check "the setup with its small readme installs (rc $rc: $err)" [ "$rc" -eq 0 ]
    finish
    ;;

carried-characters)
    # Values that hold "?" and "=": a shortcut description, a URL as registry data, command
    # lines as INI values. Built from a project file, installed, and read back exactly.
    rm -rf "$work"
    make_payload
    app="Corvane Carried"
    { settings "$app" 0; cat <<EOT
[Files]
$work/payload/app.cmd?0?<InstallDir>\\app.cmd?Overwrite?Yes=
$work/payload/settings.ini?0?<InstallDir>\\settings.ini?Overwrite?Yes=
[Shortcuts]
<ProgramGroup>?Ask?<InstallDir>\\app.cmd?Need help? Ask us?/mode=fast?<InstallDir>??0?Normal=
[Registry]
HKEY_CURRENT_USER?Software\\<CompanyName>\\<AppName>?Url?String?https://example.com/?a=b&c=d?Yes?Yes=
[INI]
<InstallDir>\\settings.ini?Options?Command?run.exe /x=1 /y=2?Yes?Yes=
<InstallDir>\\settings.ini?Options?Question?Why? Because=yes?Yes?Yes=
EOT
    } | make_project carried
    check "builds" build_setup carried
    dir='C:\Corvane Tests\Carried'
    udir=$drive_c/"Corvane Tests/Carried"
    run_setup "$work/carried.exe" /S "/D=$dir"
    check "setup exit code 0 (was $rc: $err)" [ "$rc" -eq 0 ]
    check "registry data with ? and =" [ "$(reg_value "HKCU\\Software\\Brennic Test\\$app" Url)" = "https://example.com/?a=b&c=d" ]
    check "INI value with =" [ "$(ini_value "$udir/settings.ini" Options Command)" = "run.exe /x=1 /y=2" ]
    check "INI value with ? and =" [ "$(ini_value "$udir/settings.ini" Options Question)" = "Why? Because=yes" ]
    lnk=$(find "$drive_c/users" -path "*Start Menu/Programs/$app/Ask.lnk" | head -1)
    check "shortcut created" [ -n "$lnk" ]
    # A shortcut keeps its description and arguments as UTF-16 strings.
    hex() { od -An -tx1 -v | tr -d ' \n'; }
    utf16() { printf '%s' "$1" | iconv -f UTF-8 -t UTF-16LE | hex; }
    if [ -n "$lnk" ]; then
        lnkhex=$(hex < "$lnk")
        check "shortcut description with ?" grep -q "$(utf16 'Need help? Ask us')" <<< "$lnkhex"
        check "shortcut arguments with =" grep -q "$(utf16 '/mode=fast')" <<< "$lnkhex"
    fi

    finish
    ;;

demo)
    # The example project, built by corvane-build with each compression and installed silently.
    rm -rf "$work"
    mkdir -p "$work"
    src=$CORVANE_SOURCE_DIR/examples/demo
    # The project's relative paths are taken from its folder: give the copies the demo's files.
    cp -r "$src/payload" "$src/docs" "$src/art" "$work/"
    for compression in 0 1 2; do
        sed "s/^CompressionType=.*/CompressionType=$compression\r/" "$src/Demo.zan" > "$work/Demo-$compression.zan"
        "$CORVANE_BUILD" "$work/Demo-$compression.zan" -o "$work/demo-$compression.exe" \
            --program-dir "$CORVANE_PROGRAM_DIR" >/dev/null
        udir="$drive_c/Corvane Demo $compression"
        rm -rf "$udir"
        run_setup "$work/demo-$compression.exe" /S "/D=C:\Corvane Demo $compression"
        check "demo setup $compression exit code 0 (was $rc: $err)" [ "$rc" -eq 0 ]
        for f in demo.cmd readme.txt docs/manual.txt; do
            check "demo $compression: $f" cmp -s "$src/payload/$f" "$udir/$f"
        done
        # settings.ini also receives the project's INI value, next to its own.
        check "demo $compression: settings.ini kept" [ "$(ini_value "$udir/data/settings.ini" Demo Greeting)" = "Hello" ]
        check "demo $compression: registry value" [ "$(reg_value 'HKCU\Software\Brennic Example Software\Corvane Demo' RunCount)" = "0x0" ]
        check "demo $compression: INI value" [ "$(ini_value "$udir/data/settings.ini" Demo InstalledVersion)" = "1.0" ]
        check "demo $compression: association" [ -n "$(reg_value 'HKLM\Software\Classes\.corvanedemo' '(Default)')" ]
    done
    finish
    ;;

wizard-walk)
    # Walks the demo's wizard with the keyboard under a virtual X server, in English and in
    # German, keeping a screenshot of every page in wizard-walk/screens. The demo gets pictures
    # of other proportions than the defaults: each must show once, whole, fitted to its area.
    # DLLs named like system DLLs lie beside the setup, preferred by wine: none of them runs. The
    # finish page launches a witness program, which the desktop's shell must start, not the
    # elevated setup.
    if [ -z "${CORVANE_IN_XVFB:-}" ]; then
        command -v xvfb-run >/dev/null && command -v xdotool >/dev/null || { echo "SKIP: xvfb-run or xdotool missing"; exit 0; }
        CORVANE_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$scenario"
    fi
    rm -rf "$work"
    mkdir -p "$work/screens"
    src=$CORVANE_SOURCE_DIR/examples/demo
    screens=$CORVANE_SOURCE_DIR/tests/runtime/ScreenShots.py
    cp -r "$src/payload" "$src/docs" "$work/"
    python3 "$screens" make "$work/wizard.bmp" 240 300
    python3 "$screens" make "$work/header.bmp" 90 45
    sed -e "s|^Wizard=.*|Wizard=$work/wizard.bmp\r|" -e "s|^Header=.*|Header=$work/header.bmp\r|" \
        -e 's|^LaunchFileName=.*|LaunchFileName=<InstallDir>\\LaunchWitness.exe\r|' -e 's|^LaunchCecked=.*|LaunchCecked=1\r|' \
        -e "/^\[Files\]/a $CORVANE_LAUNCH_WITNESS?0?<InstallDir>\\\\LaunchWitness.exe?Overwrite?Yes=\r" \
        "$src/Demo.zan" > "$work/Demo.zan"
    "$CORVANE_BUILD" "$work/Demo.zan" -o "$work/demo.exe" --program-dir "$CORVANE_PROGRAM_DIR" >/dev/null
    plant "$work" $planted
    prefer_planted $planted
    udir="$drive_c/Program Files/Corvane Demo"
    shot() {
        sleep "${2:-1.5}"
        xwd -root -silent -out "$work/screens/$1.xwd"
        python3 "$screens" png "$work/screens/$1.xwd" "$work/screens/$1.png"
    }
    # walk LANGUAGE NEXT-MNEMONIC SETUP-ARGS...: Enter moves on wherever the wizard leaves the
    # focus on its default button; the license page needs its check box and Next.
    walk() {
        local lang=$1 next=$2; shift 2
        rm -rf "$udir"
        set +e
        wine "$work/demo.exe" "$@" &
        setup_pid=$!
        # Wine takes a while to show the first window: wait for each window by its title.
        if [ "$lang" = en ]; then
            timeout 60 xdotool search --sync --name "Select Setup Language" >/dev/null
            shot "$lang-01-language"
            xdotool key Return
        fi
        wizard=$(timeout 60 xdotool search --sync --name "Corvane Demo" | head -1)
        # The wizard takes the keyboard focus itself: no window manager hands it over here.
        shot "$lang-02-welcome"
        xdotool key Return; shot "$lang-03-license"
        xdotool key space; shot "$lang-04-license-accepted" 0.5
        xdotool key "alt+$next"; shot "$lang-05-readme"
        xdotool key Return; shot "$lang-06-folder"
        xdotool key Return; shot "$lang-07-finish" 4
        xdotool key Return
        # The setup should end now; a wizard stuck on a page must not hang the suite.
        for _ in $(seq 1 40); do kill -0 "$setup_pid" 2>/dev/null || break; sleep 0.5; done
        kill -0 "$setup_pid" 2>/dev/null && { shot "$lang-99-stuck" 0; wineserver -k; }
        wait "$setup_pid"
        rc=$?
        set -e
        witness=$udir/LaunchWitness.exe.parent
        for _ in $(seq 1 20); do [ -s "$witness" ] && break; sleep 0.5; done
        wineserver -k || true
        check "$lang: wizard exit code 0 (was $rc)" [ "$rc" -eq 0 ]
        started_by=$(cat "$witness" 2>/dev/null | tr -d '\000' || true)
        check "$lang: the desktop's shell started the program the finish page launched (not: $started_by)" \
            [ "$started_by" = explorer.exe ]
        check "$lang: installed through the wizard" cmp -s "$src/payload/demo.cmd" "$udir/demo.cmd"
        # The side panel is 164 x 314 at 96 dpi, the header's square 49 x 49.
        for page in 02-welcome 07-finish; do
            found=$(python3 "$screens" picture "$work/screens/$lang-$page.xwd" "$work/wizard.bmp" 164 314 || true)
            check "$lang-$page: the wizard picture shows once, fitted (found: $found)" [ "${found%% *}" = 1 ]
            eval "panel_${page//-/_}=\${found#* }"
        done
        check "$lang: the finish page's picture sits where the welcome page's does ($panel_02_welcome, $panel_07_finish)" \
            [ "$panel_02_welcome" = "$panel_07_finish" ]
        for page in 03-license 05-readme 06-folder; do
            found=$(python3 "$screens" picture "$work/screens/$lang-$page.xwd" "$work/header.bmp" 49 49 || true)
            check "$lang-$page: the header picture shows once, whole (found: $found)" [ "${found%% *}" = 1 ]
        done
    }
    walk en n
    walk de w /LANG=Deutsch
    check "no DLL beside the setup ran ($(ran_planted "$work"))" [ -z "$(ran_planted "$work")" ]
    # /? lists the switches in a message box and does nothing else.
    rm -rf "$udir"
    set +e
    wine "$work/demo.exe" '/?' "/LOG=C:\\Corvane Help.log" &
    setup_pid=$!
    timeout 60 xdotool search --sync --name "^Setup$" >/dev/null
    shot help
    xdotool key Return
    wait "$setup_pid"
    rc=$?
    set -e
    wineserver -k || true
    check "/?: exit code 0 (was $rc)" [ "$rc" -eq 0 ]
    check "/?: nothing installed" [ ! -e "$udir" ]
    check "/?: no log written" [ ! -e "$drive_c/Corvane Help.log" ]
    # A switch the setup does not know is said in a box as well as on standard error.
    set +e
    wine "$work/demo.exe" /VERYSILENT 2>"$work/refused.err" &
    setup_pid=$!
    timeout 60 xdotool search --sync --name "^Corvane Demo Setup$" >/dev/null
    shot refused
    xdotool key Return
    wait "$setup_pid"
    rc=$?
    set -e
    wineserver -k || true
    check "/VERYSILENT: exit code 4 (was $rc)" [ "$rc" -eq 4 ]
    check "/VERYSILENT: said on standard error" grep -q "Unknown switch: /VERYSILENT" "$work/refused.err"
    check "/VERYSILENT: nothing installed" [ ! -e "$udir" ]
    check "a screenshot of each page" [ "$(ls "$work/screens"/*.png | wc -l)" -eq 15 ]
    finish
    ;;

upgrade-rollback)
    # A newer setup that fails halfway over an installation puts back every file, value and
    # key it replaced, the user's own edits included; a failed fresh install leaves nothing.
    rm -rf "$work"
    make_payload
    mkdir -p "$work/v1" "$work/v2"
    printf 'version one\r\n' > "$work/v1/a.txt"; printf 'bee one\r\n' > "$work/v1/b.txt"
    printf 'version two\r\n' > "$work/v2/a.txt"; printf 'bee two\r\n' > "$work/v2/b.txt"; printf 'new\r\n' > "$work/v2/c.txt"
    app="Corvane Upgrade"
    key="HKCU\\Software\\Corvane Upgrade"
    { settings "$app" 1; cat <<EOT
[Files]
$work/v1/a.txt?0?<InstallDir>\\a.txt?Overwrite?Yes=
$work/v1/b.txt?0?<InstallDir>\\b.txt?Overwrite?No=
$work/payload/sub/data.bin?0?<InstallDir>\\data.bin?Overwrite?Yes=
$CORVANE_PROGRAM_DIR/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
[Registry]
HKEY_CURRENT_USER?Software\\Corvane Upgrade?Version?String?1?Yes?Yes=
[INI]
<InstallDir>\\settings.ini?Options?Colour?Blue?Yes?Yes=
EOT
    } | make_project v1
    build_setup v1
    # The newer version replaces every file (one marked not to be uninstalled), adds files in
    # new folders, and fails at the end of one of two steps: registering a file that is no
    # server, or writing an INI file where the user keeps a folder.
    v2_project() {  # v2_project NAME FAILING-SECTION
        { settings "$app" 1; cat <<EOT
[Files]
$work/v2/a.txt?0?<InstallDir>\\a.txt?Overwrite?Yes=
$work/v2/b.txt?0?<InstallDir>\\b.txt?Overwrite?No=
$work/v2/c.txt?0?<InstallDir>\\new\\deeper\\c.txt?Overwrite?No=
$work/payload/readme.txt?0?<InstallDir>\\data.bin?Overwrite?Yes=
$CORVANE_PROGRAM_DIR/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
[Shortcuts]
<ProgramGroup>?Upgrade?<InstallDir>\\a.txt?????0?Normal=
[Registry]
HKEY_CURRENT_USER?Software\\Corvane Upgrade?Version?String?2?Yes?Yes=
HKEY_CURRENT_USER?Software\\Corvane Upgrade?Added?Dword?1?Yes?No=
HKEY_CURRENT_USER?Software\\Corvane Upgrade\\Deeper?Added?Dword?1?Yes?No=
EOT
        if [ "$2" = DLL ]; then printf '[DLL]\n<InstallDir>\\b.txt=\n'
        else printf '[INI]\n<InstallDir>\\settings.ini?Options?Colour?Red?Yes?Yes=\n%s?Options?Colour?Red?Yes?Yes=\n' "$3"; fi
        } | make_project "$1"
        build_setup "$1"
    }
    v2_project v2dll DLL
    v2_project v2ini INI '<InstallDir>\blocker'

    udir="$drive_c/Corvane Upgrade"
    rm -rf "$udir" "$drive_c/Corvane Fresh" "$drive_c/Corvane Fresh Blocker"
    wine reg delete "$key" /f >/dev/null 2>&1 || true
    run_setup "$work/v1.exe" /S '/D=C:\Corvane Upgrade'
    check "version 1 installs (rc $rc: $err)" [ "$rc" -eq 0 ]
    printf 'edited by the user\r\n' >> "$udir/a.txt"
    mkdir -p "$udir/blocker"
    cp -a "$udir" "$work/before"
    for v2 in v2dll v2ini; do
        run_setup "$work/$v2.exe" /S '/D=C:\Corvane Upgrade'
        check "$v2: failure reported as rolled back (rc $rc: $err)" [ "$rc" -eq 3 ]
        check "$v2: the installation is as it was" diff -r "$work/before" "$udir"
        check "$v2: registry value restored" [ "$(reg_value "$key" Version)" = "1" ]
        check "$v2: new value removed" reg_absent "$key" Added
        check "$v2: new key removed" key_absent "$key\\Deeper"
        check "$v2: no shortcut left" [ -z "$(find "$drive_c/users" -name 'Upgrade.lnk')" ]
    done
    # The previous installation still uninstalls cleanly.
    rmdir "$udir/blocker"
    run_setup "$udir/Uninstall.exe" /S
    check "version 1 uninstalls after the failed upgrades (rc $rc)" [ "$rc" -eq 0 ]
    check "only the file marked No stays" [ "$(cd "$udir" && find . -type f)" = "./b.txt" ]

    # A fresh install that fails leaves nothing, whatever the uninstall flags.
    mkdir -p "$drive_c/Corvane Fresh Blocker"
    v2_project fresh INI 'C:\Corvane Fresh Blocker'
    wine reg delete "$key" /f >/dev/null 2>&1 || true
    run_setup "$work/fresh.exe" /S '/D=C:\Corvane Fresh'
    check "fresh: failure reported (rc $rc: $err)" [ "$rc" -eq 3 ]
    check "fresh: nothing left" [ ! -e "$drive_c/Corvane Fresh" ]
    check "fresh: no registry key left" key_absent "$key"
    check "fresh: the blocking folder is untouched" [ -d "$drive_c/Corvane Fresh Blocker" ]
    finish
    ;;

install-report)
    # What a run reports: /LOG= lists each file, shortcut, registry and INI value and association
    # with the exit code, for a run that succeeds and one that is rolled back; Add/Remove Programs
    # shows the installed size, not the compressed one. Switches the setup does not know end it
    # with exit code 4 before it changes anything.
    rm -rf "$work"
    make_payload
    app="Corvane Report"
    udir="$drive_c/Corvane Report"
    rm -rf "$udir" "$drive_c/Corvane Report.log" "$drive_c/Corvane Failing.log" "$drive_c/Corvane Refused"*
    wine reg delete 'HKLM\Software\Classes\.;crpt' /f >/dev/null 2>&1 || true
    # An extension beginning with ";" is a row like any other, not a comment line.
    { settings "$app" 1 2; cat <<EOT
[Files]
$work/payload/sub/data.bin?0?<InstallDir>\\data.bin?Overwrite?Yes=
$work/payload/readme.txt?0?<InstallDir>\\readme.txt?Overwrite?Yes=
$work/payload/settings.ini?0?<InstallDir>\\settings.ini?Skip?Yes=
$CORVANE_PROGRAM_DIR/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
[Shortcuts]
<ProgramGroup>?Report?<InstallDir>\\readme.txt?????0?Normal=
[Registry]
HKEY_CURRENT_USER?Software\\Corvane Report?Marker?String?x?Yes?Yes=
[INI]
<InstallDir>\\settings.ini?Options?Size?Large?Yes?Yes=
[Associations]
;crpt?<InstallDir>\\readme.txt=
EOT
    } | make_project report
    build_setup report

    # Refused switches: nothing installed, the reason on standard error and in the log.
    for switch in /FOO /VERYSILENT /SILENT /LANG=Klingon; do
        run_setup "$work/report.exe" /S "$switch" '/LOG=C:\Corvane Refused.log' '/D=C:\Corvane Refused'
        check "$switch: exit code 4 (was $rc: $err)" [ "$rc" -eq 4 ]
        check "$switch: named on standard error ($err)" grep -qF "${switch#/LANG=}" <<<"$err"
        check "$switch: nothing installed" [ ! -e "$drive_c/Corvane Refused" ]
    done
    check "a refused switch: the log says why" grep -q "^Error: This setup has no language Klingon; it offers English" \
        <(tr -d '\r' < "$drive_c/Corvane Refused.log")

    mkdir -p "$udir"
    printf 'the user file\r\n' > "$udir/settings.ini"
    printf 'old\r\n' > "$udir/readme.txt"
    run_setup "$work/report.exe" /s '/log=C:\Corvane Report.log' '/d=C:\Corvane Report'
    check "installed, switches in any letter case (rc $rc: $err)" [ "$rc" -eq 0 ]
    log=$(tr -d '\r' < "$drive_c/Corvane Report.log")
    check "log: installed file" grep -qx 'Installed: C:\\Corvane Report\\data.bin' <<<"$log"
    check "log: replaced file" grep -qx 'Replaced: C:\\Corvane Report\\readme.txt' <<<"$log"
    check "log: skipped file" grep -qx 'Skipped (already there): C:\\Corvane Report\\settings.ini' <<<"$log"
    check "log: shortcut" grep -q '^Shortcut: .*\\Corvane Report\\Report.lnk$' <<<"$log"
    check "log: registry value" grep -qx 'Registry value: HKCU\\Software\\Corvane Report\\Marker' <<<"$log"
    check "log: INI value" grep -qx 'INI value: C:\\Corvane Report\\settings.ini \[Options\] Size' <<<"$log"
    check "log: association" grep -qx 'Association: .;crpt opens with C:\\Corvane Report\\readme.txt' <<<"$log"
    check "the ';' extension is associated" [ -n "$(reg_value 'HKLM\Software\Classes\.;crpt' '(Default)')" ]
    check "log: exit code" [ "$(tail -1 <<<"$log")" = "Exit code: 0" ]
    # A log that cannot be written is said on standard error; the installation's exit code stays.
    run_setup "$work/report.exe" /S '/LOG=C:\No Such Folder\report.log' '/D=C:\Corvane Report'
    check "an unwritable log: still installed (rc $rc)" [ "$rc" -eq 0 ]
    check "an unwritable log is named ($err)" grep -q 'cannot write the log C:\\No Such Folder\\report.log' <<<"$err"
    total=0
    for f in "$work/payload/sub/data.bin" "$work/payload/readme.txt" "$work/payload/settings.ini" "$CORVANE_PROGRAM_DIR/Uninstall.exe"; do
        total=$((total + $(stat -c %s "$f")))
    done
    estimated=$(reg_value "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$app" EstimatedSize)
    check "EstimatedSize is the installed size in KB ($estimated, expected $(( (total + 1023) / 1024 )))" \
        [ "$((estimated))" -eq $(( (total + 1023) / 1024 )) ]

    # A second run that fails: the file it would install is where the user keeps a folder.
    { settings "$app" 1 2; cat <<EOT
[Files]
$work/payload/readme.txt?0?<InstallDir>\\readme.txt?Overwrite?Yes=
$work/payload/app.cmd?0?<InstallDir>\\blocked?Overwrite?Yes=
$CORVANE_PROGRAM_DIR/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
EOT
    } | make_project failing
    build_setup failing
    mkdir -p "$udir/blocked"
    run_setup "$work/failing.exe" /S '/LOG=C:\Corvane Failing.log' '/D=C:\Corvane Report'
    check "failing run rolled back (rc $rc: $err)" [ "$rc" -eq 3 ]
    log=$(tr -d '\r' < "$drive_c/Corvane Failing.log")
    check "failing log: what was replaced" grep -qx 'Replaced: C:\\Corvane Report\\readme.txt' <<<"$log"
    check "failing log: the failure" grep -q '^Failed: .*blocked' <<<"$log"
    check "failing log: rolled back" grep -q '^Rolled back' <<<"$log"
    check "failing log: exit code" [ "$(tail -1 <<<"$log")" = "Exit code: 3" ]
    check "failing run: the replaced file is back" cmp -s "$work/payload/readme.txt" "$udir/readme.txt"
    finish
    ;;

tampered)
    # Damage that only a decoder would notice is refused before anything is installed, and no
    # setup may hang: each run has a time limit.
    rm -rf "$work"
    make_payload
    { settings "Corvane Tampered" 0 1; cat <<EOT
[Files]
$work/payload/sub/data.bin?0?<InstallDir>\\data.bin?Overwrite?Yes=
$work/payload/readme.txt?0?<InstallDir>\\readme.txt?Overwrite?Yes=
EOT
    } | make_project good
    build_setup good
    stub=$(stat -c %s "$CORVANE_PROGRAM_DIR/Setup.exe")
    udir="$drive_c/Program Files/Corvane Tampered"
    rm -rf "$udir"
    u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
    poke() {  # poke FILE OFFSET BYTE...
        local file=$1 offset=$2; shift 2
        printf "$(printf '\\%03o' "$@")" | dd of="$file" bs=1 seek="$offset" conv=notrunc 2>/dev/null
    }
    expect_refused() {  # expect_refused NAME PATTERN [EXIT-CODE, 2 unless given]
        set +e
        err=$(timeout 60 wine "$work/$1.exe" /S 2>&1 >/dev/null)
        rc=$?
        set -e
        wineserver -k || true
        check "$1: refused with exit code ${3:-2} within a minute (was $rc)" [ "$rc" -eq "${3:-2}" ]
        check "$1: message '$2' (was: $err)" grep -q "$2" <<<"$err"
        check "$1: nothing installed" [ ! -e "$udir" ]
    }
    # The first file cabinet's file entry: one bit of its size flipped.
    entry=$((stub + $(u32 "$work/good.exe" $((stub + 16)))))
    cp "$work/good.exe" "$work/size.exe"
    poke "$work/size.exe" "$entry" $(( $(od -An -tu1 -j "$entry" -N1 "$work/good.exe") ^ 1 ))
    expect_refused size "size in its cabinet differs"
    # The first data block: its checksum zeroed and one byte of its compressed data changed.
    block=$((stub + $(u32 "$work/good.exe" $((stub + 36)))))
    cp "$work/good.exe" "$work/zero.exe"
    poke "$work/zero.exe" "$block" 0 0 0 0
    poke "$work/zero.exe" $((block + 8 + 100)) $(( $(od -An -tu1 -j $((block + 108)) -N1 "$work/good.exe") ^ 0x40 ))
    expect_refused zero "checksum does not match"
    # Forged checksums let anything reach the system's decoder: here a deflate stream that unpacks
    # to far more than a block may hold, which makes wine's decoder write past its buffer. The
    # decoder's fault must end the run as a failure, rolled back, not a crash or a hang.
    cp "$work/good.exe" "$work/forged.exe"
    python3 - "$work/forged.exe" "$block" <<'EOT'
import struct, sys, zlib
path, pos = sys.argv[1], int(sys.argv[2])
b = bytearray(open(path, 'rb').read())
def checksum(data, s=0):
    n = len(data) // 4
    for i in range(n): s ^= struct.unpack_from('<I', data, 4 * i)[0]
    t = 0
    for k, byte in enumerate(data[4 * n:]): t |= byte << (8 * (len(data) - 4 * n - 1 - k))
    return s ^ t
size, = struct.unpack_from('<H', b, pos + 4)
z = zlib.compressobj(9, zlib.DEFLATED, -15)
bomb = b'CK' + z.compress(b'A' * 1000000) + z.flush()
b[pos + 8:pos + 8 + size] = bomb + bytes(size - len(bomb))
struct.pack_into('<I', b, pos, checksum(bytes(b[pos + 4:pos + 8]), checksum(bytes(b[pos + 8:pos + 8 + size]))))
open(path, 'wb').write(b)
EOT
    expect_refused forged "decoder failed" 3
    run_setup "$work/good.exe" /S
    check "the untouched setup installs (rc $rc: $err)" cmp -s "$work/payload/sub/data.bin" "$udir/data.bin"
    finish
    ;;

planted-libraries)
    # A setup started from a downloads folder that also holds DLLs named like system DLLs, with
    # wine preferring them: none of them runs, and the setup installs every file. Its uninstaller
    # runs its copy from a folder of its own, so DLLs put in the temporary folders do not run
    # either, and the restart removes that folder.
    rm -rf "$work"
    make_payload
    app="Corvane Planted"
    udir="$drive_c/Program Files/$app"
    rm -rf "$udir"
    { settings "$app" 1 | sed -e 's/^Protect=0/Protect=1/' -e 's/^Password=$/Password=open sesame/'; cat <<EOT
[Files]
$work/payload/app.cmd?0?<InstallDir>\\app.cmd?Overwrite?Yes=
$work/payload/sub/data.bin?0?<InstallDir>\\sub\\data.bin?Overwrite?Yes=
$CORVANE_PROGRAM_DIR/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
EOT
    } | make_project planted
    downloads=$work/Downloads
    mkdir -p "$downloads"
    "$CORVANE_BUILD" "$work/planted.zan" -o "$downloads/setup.exe" --program-dir "$CORVANE_PROGRAM_DIR" >/dev/null
    plant "$downloads" $planted
    prefer_planted $planted
    run_setup "$downloads/setup.exe" /S "/PASSWORD=open sesame"
    check "installed (rc $rc: $err)" [ "$rc" -eq 0 ]
    check "app.cmd in place" cmp -s "$work/payload/app.cmd" "$udir/app.cmd"
    check "data.bin in place" cmp -s "$work/payload/sub/data.bin" "$udir/sub/data.bin"
    check "Uninstall.exe in place" cmp -s "$CORVANE_PROGRAM_DIR/Uninstall.exe" "$udir/Uninstall.exe"
    check "no DLL beside the setup ran ($(ran_planted "$downloads"))" [ -z "$(ran_planted "$downloads")" ]

    # Wine's own advapi32 loads version.dll as any program starts, before the program's first
    # instruction: a version.dll beside the uninstaller's copy would show it runs where others write.
    user_temp=$(winepath_u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")
    windows_temp=$drive_c/windows/temp
    for temp in "$user_temp" "$windows_temp"; do
        rm -rf "$temp"/corvane-uninstall-*
        plant "$temp" $planted version
    done
    prefer_planted version
    run_setup "$udir/Uninstall.exe" /S
    check "uninstalled (rc $rc: $err)" [ "$rc" -eq 0 ]
    check "installation folder removed" [ ! -e "$udir" ]
    ran=$(ran_planted "$user_temp" "$windows_temp")
    check "no DLL in the temporary folders ran ($ran)" [ -z "$ran" ]
    copy=$(find "$user_temp" "$windows_temp" -maxdepth 1 -name 'corvane-uninstall-*')
    check "the copy ran from a folder of its own, holding nothing else ($copy)" \
        [ "$(ls "$copy" 2>/dev/null)" = Uninstall.exe ]
    wineboot -r >/dev/null 2>&1
    wineserver -w
    check "the restart removes the copy's folder" [ ! -e "$copy" ]
    for temp in "$user_temp" "$windows_temp"; do
        for name in $planted version; do rm -f "$temp/$name.dll" "$temp/$name.dll.ran"; done
    done
    finish
    ;;

language-documents) scenario_language_documents ;;

*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
