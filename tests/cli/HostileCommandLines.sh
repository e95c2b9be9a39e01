#!/usr/bin/env bash
# corvane-build and corvane-cab run as a user runs them, against what breaks a careless tool:
#   HostileCommandLines.sh SCENARIO
#     interrupt  SIGINT and SIGTERM at a random moment of a build end it, leaving nothing behind
#     killed     a SIGKILLed build leaves its work folder and partial setup; the next build
#                removes them and succeeds
#     full-disk  a small tmpfs fills up: the previous setup and cabinet stay (root only)
# Environment (set by CMake): CORVANE_BUILD, CORVANE_CAB, CORVANE_SOURCE_DIR. The seed of the
# random moments is CORVANE_SEED when set; it is printed.
set -euo pipefail

scenario=${1:?scenario}
root=$(mktemp -d "${TMPDIR:-/tmp}/corvane-hostile-XXXXXX")
trap 'rm -rf "$root"' EXIT
# The builds' work folders go here, so whatever they leave is seen.
export TMPDIR=$root/tmp
mkdir -p "$TMPDIR"
seed=${CORVANE_SEED:-$RANDOM}
echo "CORVANE_SEED=$seed"
RANDOM=$seed

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
finish() { [ "$failures" -eq 0 ] && echo "PASS $scenario" || { echo "$failures check(s) failed in $scenario" >&2; exit 1; }; }
leftovers() { find "$TMPDIR" "$demo" -mindepth 1 -maxdepth 1 \( -name 'corvane-build-*' -o -name '*.part-*' \) | sort; }

# The demo project with one large file, stored without compression so the build reaches every
# stage in a few seconds.
demo=$root/demo
cp -r "$CORVANE_SOURCE_DIR/examples/demo" "$demo"
big_demo() {
    head -c $((48 << 20)) /dev/urandom > "$demo/payload/demo.cmd"
    sed -i 's/^CompressionType=.*/CompressionType=0/' "$demo/Demo.zan"
}
setup=$demo/Setup.exe
echo "the previous setup" > "$setup"

# wait_for PID GLOB: waits until a file matching GLOB exists or PID has ended; true if it exists.
wait_for() {
    local pid=$1 glob=$2
    while kill -0 "$pid" 2>/dev/null; do
        compgen -G "$glob" >/dev/null && return 0
        sleep 0.01
    done
    return 1
}

# ends PID: waits up to a minute for PID to end, then reports its exit status in $rc.
ends() {
    local pid=$1 i
    for ((i = 0; i < 6000; i++)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.01
    done
    if kill -0 "$pid" 2>/dev/null; then
        fail "the build still runs a minute after the signal"
        kill -KILL "$pid"
    fi
    set +e
    wait "$pid"
    rc=$?
    set -e
}

case $scenario in
interrupt)
    big_demo
    for signal in INT TERM INT TERM; do
        "$CORVANE_BUILD" "$demo/Demo.zan" -o "$setup" >"$root/out" 2>"$root/err" &
        pid=$!
        wait_for "$pid" "$TMPDIR/corvane-build-$pid-*" || true
        sleep "0.$((RANDOM % 100))"
        kill -"$signal" "$pid" 2>/dev/null || true
        ends "$pid"
        echo "SIG$signal: exit $rc: $(tail -n 1 "$root/err")"
        # A signal after the last check lets the build finish; that is the only other outcome.
        if [ "$rc" -eq 0 ]; then
            echo "the build had finished"
            echo "the previous setup" > "$setup"
        else
            [ "$rc" -eq 130 ] || fail "SIG$signal: exit $rc, not 130"
            grep -q "cancelled; $setup was left as it was" "$root/err" || fail "SIG$signal: $(cat "$root/err")"
        fi
        [ "$(cat "$setup")" = "the previous setup" ] || fail "SIG$signal: the previous setup changed"
        [ -z "$(leftovers)" ] || fail "SIG$signal left: $(leftovers)"
    done
    ;;
killed)
    big_demo
    caught=0
    for attempt in 1 2 3 4 5; do
        "$CORVANE_BUILD" "$demo/Demo.zan" -o "$setup" >/dev/null 2>&1 &
        pid=$!
        if wait_for "$pid" "$setup.part-$pid-*"; then
            kill -KILL "$pid"
            caught=1
        fi
        set +e
        wait "$pid"
        set -e
        [ "$caught" -eq 1 ] && break
        echo "the build finished before it was caught (attempt $attempt)"
        echo "the previous setup" > "$setup"
    done
    [ "$caught" -eq 1 ] || fail "no build was caught while writing its setup"
    echo "left by the killed build:"
    leftovers | sed 's/^/  /'
    [ -n "$(compgen -G "$TMPDIR/corvane-build-$pid-*")" ] || fail "no work folder carries the killed build's id"
    [ -n "$(compgen -G "$setup.part-$pid-*")" ] || fail "no partial setup carries the killed build's id"
    [ "$(cat "$setup")" = "the previous setup" ] || fail "the killed build changed the previous setup"
    # Look-alikes that are not a dead build's: the next build keeps them.
    echo keep > "$setup.part-1-live"
    echo keep > "$setup.part-$pid"
    mkdir "$TMPDIR/corvane-build-1-live"
    "$CORVANE_BUILD" "$demo/Demo.zan" -o "$setup" >/dev/null || fail "the next build failed"
    [ "$(leftovers)" = "$(printf '%s\n' "$TMPDIR/corvane-build-1-live" "$setup.part-1-live" "$setup.part-$pid" | sort)" ] ||
        fail "after the next build: $(leftovers)"
    cmp -s <(head -c 2 "$setup") <(printf MZ) || fail "the next build wrote no setup"
    ;;
full-disk)
    if [ "$(id -u)" -ne 0 ] || ! unshare -m true 2>/dev/null; then
        echo "SKIP: mounting a tmpfs needs root and unshare"
        exit 0
    fi
    head -c $((400 << 10)) /dev/urandom > "$demo/payload/demo.cmd"
    sed -i 's/^CompressionType=.*/CompressionType=0/' "$demo/Demo.zan"
    small=$root/small
    mkdir "$small"
    # In a mount namespace of its own, so the tmpfs goes with the shell however it ends.
    unshare -m bash -c '
        set -u
        small=$1 demo=$2 build=$3 cab=$4
        mount -t tmpfs -o size=256k tmpfs "$small"
        echo "the previous setup" > "$small/Setup.exe"
        echo "the previous cabinet" > "$small/out.cab"
        "$build" "$demo/Demo.zan" -o "$small/Setup.exe" >/dev/null 2>"$small/../build.err"
        echo "corvane-build: exit $?: $(cat "$small/../build.err")"
        "$cab" -z none "$small/out.cab" "$demo/payload/demo.cmd" 2>"$small/../cab.err"
        echo "corvane-cab: exit $?: $(cat "$small/../cab.err")"
        ls -A "$small" > "$small/../listing"
        cat "$small/Setup.exe" "$small/out.cab" > "$small/../contents"
    ' full-disk "$small" "$demo" "$CORVANE_BUILD" "$CORVANE_CAB"
    grep -qx "corvane-build: Disk full: $small/Setup.exe" "$root/build.err" ||
        fail "corvane-build said: $(cat "$root/build.err")"
    grep -q "out.cab" "$root/cab.err" || fail "corvane-cab said: $(cat "$root/cab.err")"
    [ "$(cat "$root/contents")" = "$(printf 'the previous setup\nthe previous cabinet')" ] ||
        fail "the previous files changed: $(cat "$root/contents")"
    [ "$(cat "$root/listing")" = "$(printf 'Setup.exe\nout.cab')" ] || fail "left on the disk: $(cat "$root/listing")"
    [ -z "$(ls -A "$TMPDIR")" ] || fail "work folders left: $(ls -A "$TMPDIR")"
    ;;
*)
    echo "unknown scenario $scenario" >&2
    exit 2
    ;;
esac
finish
