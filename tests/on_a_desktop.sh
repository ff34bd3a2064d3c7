#!/bin/sh
# Runs a command on a desktop: openbox in the X server that DISPLAY names,
# keeping room at the top for a panel (tests/openbox.xml), as Windows keeps
# room for its task bar; Wine gives the keyboard only to a window that a
# window manager has made active. Wine's server for the prefix is ended
# afterwards, so that the next test's Wine starts on its own display.
openbox --config-file "$(dirname "$0")/openbox.xml" & manager=$!
timeout 60 sh -c "until xprop -root _NET_WORKAREA 2>/dev/null | grep -q ' 40,'; do sleep 0.1; done" ||
  { echo "on_a_desktop.sh: openbox did not start"; kill "$manager"; exit 1; }
"$@"
status=$?
wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; kill "$manager"
exit "$status"
