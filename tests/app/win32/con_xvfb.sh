#!/usr/bin/env bash
# Runs a command (the Wine loader and a test program) on an X server of its
# own. Wine's desktop process stays tied to the X server it first met, so
# these tests use a prefix of their own (beside the suite's) whose Wine
# server starts and ends with each run; the cases run one at a time.
set -euo pipefail
export WINEPREFIX="${WINEPREFIX:-$HOME/.wine}-dialogo"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
fi
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
status=0
xvfb-run -a -s "-screen 0 1024x768x24" "$@" || status=$?
wineserver -k 2>/dev/null || true
exit "$status"
