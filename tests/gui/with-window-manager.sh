#!/bin/sh
# Runs a command on the X server xvfb-run started, under openbox, as on a desktop: windows get
# frames and are placed by the window manager. Usage: xvfb-run -a with-window-manager.sh CMD...
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
"$@"
rc=$?
kill "$wm" 2>/dev/null
wait "$wm" 2>/dev/null
exit $rc
