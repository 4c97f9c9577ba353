#!/usr/bin/env bash
# The Windows build: cross-compiles Pontexa with Debian's MinGW-w64 (preset
# "windows", build-windows/), runs the Windows test suite under Wine in a
# scratch prefix and leaves the executables in build-windows/.
#
#   scripts/windows.sh              every stage, in order
#   scripts/windows.sh ETAPA...     only those stages (see ETAPAS below)
#
# pugixml (from Debian's source package) and GoogleTest (from the sources of
# Debian's googletest package) are built for Windows once into
# build-windows/deps/prefix, or $PONTEXA_WINDOWS_DEPS/prefix; later runs skip them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-windows"
deps="${PONTEXA_WINDOWS_DEPS:-$build/deps}"
prefix="$deps/prefix"
mingw=x86_64-w64-mingw32
export PONTEXA_WINDOWS_PREFIX="$prefix"

# Stages run by default, in this order. A new stage is a function named
# etapa_NAME plus its name here.
ETAPAS=(paquetes pugixml googletest wine compilar pruebas)

log() { echo "== windows: $*"; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

apt_install() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
  done
  ((${#missing[@]})) || return 0
  log "instalando ${missing[*]}"
  as_root apt-get update -qq -o DPkg::Lock::Timeout=600
  DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends \
    -o DPkg::Lock::Timeout=600 "${missing[@]}" >/dev/null
}

# The generic CMake call for a dependency built for Windows into $prefix.
cmake_windows() {
  local source="$1" binary="$2"
  shift 2
  cmake -S "$source" -B "$binary" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >/dev/null
  cmake --build "$binary" -j2 >/dev/null
  cmake --install "$binary" >/dev/null
}

etapa_paquetes() {
  "$root/scripts/instalar-dependencias.sh"
  apt_install g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64 wine dpkg-dev googletest \
    cmake ninja-build
}

# Debian's own pugixml sources, through a deb-src entry made from the
# machine's Debian sources list (same mirrors and suites).
deb_src_entry() {
  local list=/etc/apt/sources.list.d/debian.sources
  local extra=/etc/apt/sources.list.d/pontexa-deb-src.sources
  [ -f "$extra" ] && return 0
  if [ -f "$list" ]; then
    sed -e 's/^Types:.*/Types: deb-src/' "$list" | as_root tee "$extra" >/dev/null
  elif [ -f /etc/apt/sources.list ]; then
    sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list | as_root tee "${extra%.sources}.list" >/dev/null
  fi
  as_root apt-get update -qq -o DPkg::Lock::Timeout=600
}

etapa_pugixml() {
  if [ -f "$prefix/lib/cmake/pugixml/pugixml-config.cmake" ]; then
    log "pugixml para Windows ya compilado"
    return 0
  fi
  local sources="$deps/src"
  mkdir -p "$sources"
  if ! ls -d "$sources"/pugixml-*/ >/dev/null 2>&1; then
    deb_src_entry
    log "apt-get source pugixml"
    (cd "$sources" && apt-get source -qq pugixml >/dev/null 2>&1)
  fi
  local source
  source="$(ls -d "$sources"/pugixml-*/ | head -n 1)"
  log "compilando pugixml para Windows ($source)"
  cmake_windows "$source" "$deps/build-pugixml" -DBUILD_SHARED_LIBS=OFF -DPUGIXML_BUILD_TESTS=OFF
}

etapa_googletest() {
  if [ -f "$prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
    log "GoogleTest para Windows ya compilado"
    return 0
  fi
  log "compilando GoogleTest para Windows (/usr/src/googletest)"
  cmake_windows /usr/src/googletest "$deps/build-googletest" -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF
}

# A scratch Wine prefix of our own; its wineserver stays up for the whole run
# so each test program starts in about a second.
wine_env() {
  export WINEPREFIX="$build/wine"
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEDEBUG=-all
  export WINEARCH=win64
}

stop_wineserver() { wineserver -k 2>/dev/null || true; }

etapa_wine() {
  wine_env
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creando el prefijo de Wine $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
  fi
  wineserver -p
  trap stop_wineserver EXIT
}

etapa_compilar() {
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$root}"
  local launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  cmake --preset windows "${launcher[@]}" >/dev/null
  cmake --build --preset windows
  log "$(ls "$build"/cli/*.exe "$build"/app/*.exe 2>/dev/null | tr '\n' ' ')"
  cp -f "$build/cli/pontexa-cli.exe" "$build/"
  if [ -f "$build/app/Pontexa.exe" ]; then cp -f "$build/app/Pontexa.exe" "$build/"; fi
}

etapa_pruebas() {
  wine_env
  ctest --preset windows
}

main() {
  local etapas=("$@")
  ((${#etapas[@]})) || etapas=("${ETAPAS[@]}")
  local start=$SECONDS etapa
  for etapa in "${etapas[@]}"; do
    declare -F "etapa_$etapa" >/dev/null || { echo "windows.sh: etapa desconocida: $etapa" >&2; exit 2; }
    # Stages that run Windows programs need the prefix and its server.
    case "$etapa" in pruebas|comparar*) [[ " ${etapas[*]} " == *" wine "* ]] || etapa_wine ;; esac
    local t=$SECONDS
    "etapa_$etapa"
    log "etapa $etapa: $((SECONDS - t)) s"
  done
  log "total: $((SECONDS - start)) s"
}

main "$@"
