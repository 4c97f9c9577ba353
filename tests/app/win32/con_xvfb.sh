#!/usr/bin/env bash
# Runs a command (the Wine loader and a test program) on an X server of its
# own, so Windows programs that make windows run where no display is.
set -euo pipefail
exec xvfb-run -a -s "-screen 0 1024x768x24" "$@"
