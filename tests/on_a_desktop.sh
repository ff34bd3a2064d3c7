#!/bin/sh
# Runs a command on a desktop: openbox in the X server that DISPLAY names,
# keeping room at the top for a panel (tests/openbox.xml). Wine gives the
# keyboard only to a window that a window manager has made active. Wine's
# server for the prefix is ended afterwards, so that the next test's Wine
# starts on its own display.
openbox --config-file "$(dirname "$0")/openbox.xml" & manager=$!
tries=0
until xprop -root _NET_WORKAREA 2>/dev/null | grep -q ' 40,'; do
  tries=$((tries + 1))
  [ "$tries" -le 600 ] || { echo "on_a_desktop.sh: openbox did not start"; kill "$manager"; exit 1; }
  sleep 0.1
done
"$@"
status=$?
wineserver -k 2>/dev/null
wineserver -w 2>/dev/null
kill "$manager"
exit "$status"
