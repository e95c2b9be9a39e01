#!/bin/sh
# Runs a command on the X server xvfb-run started, under openbox, as on a desktop: windows get
# frames and are placed by the window manager. Usage: xvfb-run -a with-window-manager.sh CMD...
# The command starts only once openbox manages the screen: a window mapped before that is never
# framed the way the tests expect, and on a loaded machine openbox can take seconds to come up.
ready=$(mktemp -u "${TMPDIR:-/tmp}/corvane-wm.XXXXXX")
openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
wm=$!
waited=0
while [ ! -e "$ready" ]; do
    if ! kill -0 "$wm" 2>/dev/null || [ "$waited" -ge 600 ]; then
        echo "with-window-manager: openbox did not start on $DISPLAY" >&2
        kill "$wm" 2>/dev/null
        exit 1
    fi
    sleep 0.1
    waited=$((waited + 1))
done
rm -f "$ready"
"$@"
rc=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit $rc
