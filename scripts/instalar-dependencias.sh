#!/usr/bin/env bash
# Installs, from Debian's packages, whatever of the build and test tools is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev
  qt6-base-dev libgl-dev libpugixml-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  python3 python3-dbfread shapelib libxml2-utils
  xvfb xauth x11-utils xdotool
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if ((${#missing[@]})); then
  echo "Instalando con apt: ${missing[*]}"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  # apt's progress is noise on a good run; the log is shown when it fails.
  log="$(mktemp "${TMPDIR:-/tmp}/pontexa-apt.XXXXXX")"
  trap 'rm -f "$log"' EXIT
  if ! { "${sudo_cmd[@]}" apt-get update -qq &&
         DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends \
           -o DPkg::Lock::Timeout=600 "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "No se pudo instalar: ${missing[*]}" >&2
    exit 1
  fi
fi
