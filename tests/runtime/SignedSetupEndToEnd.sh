#!/usr/bin/env bash
# A setup signed from Linux: corvane-build --sign with osslsigncode and a throw-away certificate
# made here with openssl. Both the setup and the uninstaller inside it must verify, the signed
# setup must still install under wine (it finds its payload before the signature), the installed
# Uninstall.exe must carry the signature and remove the installation, and a failing signing
# command must fail the build and leave the previous setup as it was.
# Environment as for RuntimeEndToEnd.sh: CORVANE_PROGRAM_DIR, CORVANE_BUILD, CORVANE_WINE_DIR.
set -euo pipefail

. "$(dirname "$0")/WineEnvironment.sh"
work=$base/signed
for tool in osslsigncode openssl; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; "$@" || fail "$what"; }
differ() { ! cmp -s "$1" "$2"; }
verifies() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" 2>&1 | grep -q "Signature verification: ok"; }
run() {  # run PROGRAM ARGS... -> exit code in $rc
    set +e
    wine "$@" >/dev/null 2>&1
    rc=$?
    set -e
    wineserver -w
}

rm -rf "$work"
mkdir -p "$work/payload" "$work/program it's here"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Corvane Test Signing" \
    -keyout "$work/key.pem" -out "$work/cert.pem" >/dev/null 2>&1
printf 'Signed payload.\r\n' > "$work/payload/readme.txt"
# The uninstaller's source lies in a folder whose name needs quoting in a shell.
cp "$CORVANE_PROGRAM_DIR/Uninstall.exe" "$work/program it's here/"
cat > "$work/signed.zan" <<EOT
[Settings]
AppName=Corvane Signed
AppVersion=1.0
CompanyName=Brennic Test
SetupFile=ignored.exe
CompressionType=2
Wizard=$CORVANE_PROGRAM_DIR/Wizard_0.bmp
Header=$CORVANE_PROGRAM_DIR/Header_0.bmp
DefaultLanguage=0
InstallDir=<ProgramFiles>\\<AppName>
Uninstall=1
ShowPorgrams=1
ProgramGroup=<AppName>
[Language]
1=
[Files]
$work/payload/readme.txt?0?<InstallDir>\\readme.txt?Overwrite?Yes=
$work/program it's here/Uninstall.exe?0?<InstallDir>\\Uninstall.exe?Overwrite?Yes=
EOT

sign="osslsigncode sign -certs '$work/cert.pem' -key '$work/key.pem' -n 'Corvane Signed' -in {} -out {}.signed && mv {}.signed {}"
"$CORVANE_BUILD" "$work/signed.zan" -o "$work/signed.exe" --program-dir "$CORVANE_PROGRAM_DIR" --sign "$sign" >/dev/null
check "the setup verifies" verifies "$work/signed.exe"
check "the author's uninstaller is left unsigned" cmp -s "$CORVANE_PROGRAM_DIR/Uninstall.exe" "$work/program it's here/Uninstall.exe"
check "no signing leftovers beside the setup" [ "$(ls "$work" | grep -c part)" -eq 0 ]

udir="$drive_c/Program Files/Corvane Signed"
run "$work/signed.exe" /S
check "the signed setup installs (rc $rc)" [ "$rc" -eq 0 ]
check "payload installed" cmp -s "$work/payload/readme.txt" "$udir/readme.txt"
check "the installed uninstaller verifies" verifies "$udir/Uninstall.exe"
check "the installed uninstaller is not the unsigned one" differ "$CORVANE_PROGRAM_DIR/Uninstall.exe" "$udir/Uninstall.exe"
run "$udir/Uninstall.exe" /S
check "the signed uninstaller removes the installation (rc $rc)" [ ! -e "$udir/readme.txt" ]

cp "$work/signed.exe" "$work/previous.exe"
set +e
"$CORVANE_BUILD" "$work/signed.zan" -o "$work/signed.exe" --program-dir "$CORVANE_PROGRAM_DIR" \
    --sign "echo no key for {} >&2; exit 3" >/dev/null 2>"$work/failed.txt"
status=$?
set -e
check "a failing signing command fails the build (exit $status)" [ "$status" -eq 1 ]
check "the failure names the file and quotes the command" grep -q "Signing .*Uninstall.exe failed: .*status 3" "$work/failed.txt"
check "the previous setup is untouched" cmp -s "$work/previous.exe" "$work/signed.exe"
check "no partial setup is left" [ "$(ls "$work" | grep -c part)" -eq 0 ]

[ "$failures" -eq 0 ] && echo "PASS signed" || { echo "$failures check(s) failed" >&2; exit 1; }
