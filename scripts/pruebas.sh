#!/usr/bin/env bash
# Every test: installs what is missing, builds with g++ and runs the whole
# suite (the dialog's X11 test on a real X server under Xvfb), builds and
# tries the Debian package, then the Windows build's suite under Wine, the
# sanitizer build's suite and a short run of each fuzz target.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/instalar-dependencias.sh"

build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir "$build" -j2 --output-on-failure --timeout 300
# The Debian package, installed into a scratch root and tried.
"$root/scripts/paquete-linux.sh" "$build"

for extra in windows.sh sanitizadores.sh fuzz.sh; do
  if [ -x "$root/scripts/$extra" ]; then
    "$root/scripts/$extra"
  fi
done
