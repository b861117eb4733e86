#!/bin/sh
# Runs a Windows test program that shows windows: on the display of the
# environment when there is one, else on a virtual one of its own. wine's
# desktop belongs to the first program of a prefix's session, so a session
# started without a display is left to end before one with a display starts.
# Usage: ServicesRunWithDisplay.sh program.exe [arguments...]
if [ -n "$DISPLAY" ]; then
    exec wine "$@"
fi
wineserver -w
exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
