#!/bin/sh
# Runs a Windows test program on a screen of another density. wine takes the
# density from the prefix's registry when a program starts: it is set for
# this run only and put back after; QUIBRANT_EXPECT_DPI tells the program.
# Usage: run-at-dpi.sh dpi program.exe [arguments...]
dpi=$1
shift
key='HKCU\Control Panel\Desktop'
wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 || exit 1
QUIBRANT_EXPECT_DPI=$dpi wine "$@"
status=$?
wine reg delete "$key" /v LogPixels /f >/dev/null 2>&1
exit $status
