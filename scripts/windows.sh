#!/usr/bin/env bash
# The Windows build: cross-compiles Pontexa with Debian's MinGW-w64 (preset
# "windows", build-windows/), runs the Windows test suite under Wine in a
# scratch prefix and leaves the executables in build-windows/, with the
# distribution Pontexa-<version>-win64.zip and its installer
# Pontexa-<version>-instalar.exe, both tried under Wine.
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
ETAPAS=(paquetes pugixml googletest wine compilar pruebas comparar distribucion distribucion_wine)

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
    cmake ninja-build nsis fp-utils python3
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

wine_loader() {
  if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else command -v wine64 || command -v wine; fi
}

stop_wineserver() { wineserver -k 2>/dev/null || true; }

etapa_wine() {
  wine_env
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    log "creando el prefijo de Wine $WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1
    wineserver -w  # the prefix is complete once its first programs end
  fi
  # A persistent server, and Wine's own services started now, with no output
  # of ours: started by the first test they would keep its output pipe open,
  # and ctest would wait for them.
  wineserver -p >/dev/null 2>&1 </dev/null || true
  trap stop_wineserver EXIT
  "$(wine_loader)" cmd /c exit >/dev/null 2>&1 </dev/null || true
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

version() { sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt"; }

# Pontexa-<version>-win64.zip (one folder of that name) and
# Pontexa-<version>-instalar.exe: Pontexa.exe when the dialog has been built,
# pontexa-cli.exe, the help SAGA.chm and LÉAME.txt.
etapa_distribucion() {
  local v carpeta
  v="$(version)"
  carpeta="$build/distribucion/Pontexa-$v-win64"
  rm -rf "$build/distribucion"
  mkdir -p "$carpeta"
  cp "$build/cli/pontexa-cli.exe" "$build/ayuda/SAGA.chm" "$carpeta/"
  if [ -f "$build/app/Pontexa.exe" ]; then
    cp "$build/app/Pontexa.exe" "$carpeta/"
  else
    log "sin Pontexa.exe todavía: la distribución lleva solo pontexa-cli.exe"
  fi
  "$mingw-strip" "$carpeta"/*.exe
  # UTF-8 with a byte-order mark and CRLF: every Notepad shows its accents
  # right, whatever the system's code page (Windows-1252 would not survive a
  # system in another language).
  { printf '\xef\xbb\xbf'; sed -e "s/@VERSION@/$v/g" -e 's/$/\r/' "$root/packaging/windows/LEAME.txt"; } \
    >"$carpeta/LÉAME.txt"
  # Python's zip marks the UTF-8 names (LÉAME.txt) as such, which Windows'
  # own unzip reads.
  python3 - "$build/distribucion" "Pontexa-$v-win64" "$build/Pontexa-$v-win64.zip" <<'PY'
import os, sys, zipfile
base, folder, out = sys.argv[1:]
with zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as z:
    for name in sorted(os.listdir(os.path.join(base, folder))):
        z.write(os.path.join(base, folder, name), folder + "/" + name)
PY
  makensis -V2 -DVERSION="$v" -DORIGEN="$carpeta" -DSALIDA="$build/Pontexa-$v-instalar.exe" \
    "$root/packaging/windows/pontexa.nsi" >/dev/null
  log "$(cd "$build" && ls -l "Pontexa-$v-win64.zip" "Pontexa-$v-instalar.exe" | awk '{print $NF, $5}' | tr '\n' ' ')"
}

# Waits until a path exists (or is gone, with !), at most 60 s.
esperar() {
  local i
  for i in $(seq 600); do
    if [ "$1" = "!" ]; then [ ! -e "$2" ] && return 0; else [ -e "$1" ] && return 0; fi
    sleep 0.1
  done
  return 1
}

etapa_distribucion_wine() {
  wine_env
  local v prueba cli drive
  v="$(version)"
  drive="$WINEPREFIX/drive_c"
  prueba="$(mktemp -d "${TMPDIR:-/tmp}/pontexa-distribucion.XXXXXX")"
  log "zip: descomprimir y ejecutar pontexa-cli.exe desde su carpeta"
  python3 -m zipfile -e "$build/Pontexa-$v-win64.zip" "$prueba"
  cli="$prueba/Pontexa-$v-win64/pontexa-cli.exe"
  for archivo in pontexa-cli.exe SAGA.chm LÉAME.txt; do
    [ -f "$prueba/Pontexa-$v-win64/$archivo" ] || { echo "Falta $archivo en el zip" >&2; exit 1; }
  done
  if ! wine "$cli" --version 2>/dev/null; then
    wine "$cli" --help >/dev/null
    log "(sin --version todavía; --help responde)"
  fi
  mkdir -p "$prueba/QORDA"
  cp "$root/ejemplos/saga/instituto.xml" "$prueba/"
  wine "$cli" exportar "$prueba/instituto.xml" --carpeta "$prueba/QORDA" | tr -d '\r' | tail -n 1 |
    grep -qx "Proceso finalizado"
  [ -f "$prueba/QORDA/ASIGT.DBF" ]

  # /D takes no quotes, and Wine quotes an argument with blanks: a name without.
  log "instalador: /S /D=C:\\MirvanePrueba, luego el desinstalador /S"
  local destino="$drive/MirvanePrueba"
  rm -rf "$destino"
  mkdir -p "$destino"
  # Mirvane's own files, which the uninstaller must leave.
  printf '[Transformadores]\r\nTransformado=0\r\n' >"$destino/Mirvane.ini"
  printf 'MZ' >"$destino/Mirvane.exe"
  wine "$build/Pontexa-$v-instalar.exe" /S '/D=C:\MirvanePrueba'
  esperar "$destino/Desinstalar Pontexa.exe" || { echo "El instalador no ha terminado" >&2; exit 1; }
  local instalados=(pontexa-cli.exe SAGA.chm LÉAME.txt "Desinstalar Pontexa.exe")
  [ -f "$build/app/Pontexa.exe" ] && instalados+=(Pontexa.exe)
  for archivo in "${instalados[@]}"; do
    [ -f "$destino/$archivo" ] || { echo "El instalador no ha puesto $archivo" >&2; exit 1; }
  done
  cmp "$destino/SAGA.chm" "$build/ayuda/SAGA.chm"
  local clave='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Pontexa'
  wine reg query "$clave" /v DisplayName >/dev/null 2>&1 ||
    { echo "El instalador no ha registrado su desinstalador" >&2; exit 1; }
  wine "$destino/pontexa-cli.exe" --help >/dev/null
  wine "$destino/Desinstalar Pontexa.exe" /S
  for archivo in "${instalados[@]}"; do
    esperar ! "$destino/$archivo" || { echo "El desinstalador ha dejado $archivo" >&2; exit 1; }
  done
  if wine reg query "$clave" >/dev/null 2>&1; then
    echo "El desinstalador ha dejado su clave en el registro" >&2
    exit 1
  fi
  [ -f "$destino/Mirvane.ini" ] && [ -f "$destino/Mirvane.exe" ] ||
    { echo "El desinstalador ha borrado archivos de Mirvane" >&2; exit 1; }
  rm -rf "$destino" "$prueba"
  log "distribución probada: Pontexa-$v-win64.zip y Pontexa-$v-instalar.exe"
}

# The Linux build's programs the comparison needs, in build/ (as
# scripts/pruebas.sh configures it).
linux_build() {
  local linux="$root/build"
  if [ ! -f "$linux/build.ninja" ]; then
    cmake -S "$root" -B "$linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
  cmake --build "$linux" -j2 --target pontexa-cli generar-saga pontexa_bench_import_generar >/dev/null
}

# Same bytes, but for the date of the last update (bytes 1..3 of a table).
same_bytes() {
  local a="$1" b="$2"
  case "$a" in
    *.DBF) cmp -s -n 1 "$a" "$b" && cmp -s -i 4 "$a" "$b" ;;
    *) cmp -s "$a" "$b" ;;
  esac
}

# Runs one direction with the Linux and the Windows pontexa-cli on copies of
# the same inputs and compares every file they leave.
compare_run() {
  local name="$1" direction="$2" input="$3" tables="$4" work="$5"
  local side file failed=0
  for side in linux windows; do
    mkdir -p "$work/$name-$side"
    cp "$input" "$work/$name-$side/saga.xml"
    mkdir -p "$work/$name-$side/QORDA"
    if [ -n "$tables" ]; then cp "$tables"/*.DBF "$work/$name-$side/QORDA/"; fi
  done
  "$root/build/cli/pontexa-cli" "$direction" "$work/$name-linux/saga.xml" --carpeta "$work/$name-linux/QORDA" >/dev/null
  "$(wine_loader)" "$build/pontexa-cli.exe" "$direction" "$work/$name-windows/saga.xml" \
    --carpeta "$work/$name-windows/QORDA" >/dev/null
  for file in saga.xml $(cd "$work/$name-linux/QORDA" && ls); do
    [ "$file" = saga.xml ] || file="QORDA/$file"
    if ! same_bytes "$work/$name-linux/$file" "$work/$name-windows/$file"; then
      echo "windows.sh: $name: $file difiere entre Linux y Windows" >&2
      failed=1
    fi
  done
  [ -z "$(cd "$work/$name-windows/QORDA" && ls -A | grep -v -x -F -f <(cd "$work/$name-linux/QORDA" && ls -A))" ] || {
    echo "windows.sh: $name: Windows deja archivos de más en QORDA" >&2
    failed=1
  }
  ((failed == 0)) && log "$name: mismos bytes en Linux y Windows ($(ls "$work/$name-linux/QORDA" | wc -l) tablas y el archivo de SAGA)"
  return "$failed"
}

# The tables and the SAGA file the Windows build writes are the Linux
# build's, byte for byte: the sample school both ways, a generated district
# file exported, a generated district case imported.
etapa_comparar() {
  linux_build
  local work
  work="$(mktemp -d "${TMPDIR:-/tmp}/pontexa-comparar.XXXXXX")"
  local failed=0
  compare_run instituto-exportar exportar "$root/ejemplos/saga/instituto.xml" "" "$work" || failed=1
  mkdir -p "$work/instituto-tablas"
  cp "$work/instituto-exportar-linux/QORDA"/*.DBF "$work/instituto-tablas/"
  cp "$root/ejemplos/qorda"/*.DBF "$work/instituto-tablas/"  # Mirvane's part
  compare_run instituto-importar importar "$root/ejemplos/saga/instituto.xml" "$work/instituto-tablas" "$work" || failed=1
  "$root/build/bench/export/generar-saga" 10 "$work/distrito.xml"
  compare_run distrito-exportar exportar "$work/distrito.xml" "" "$work" || failed=1
  "$root/build/bench/import/pontexa_bench_import_generar" "$work/caso" 20000 >/dev/null
  compare_run distrito-importar importar "$work/caso/saga.xml" "$work/caso/qorda" "$work" || failed=1
  if ((failed)); then
    echo "windows.sh: las salidas difieren; quedan en $work" >&2
    return 1
  fi
  rm -rf "$work"
}

main() {
  local etapas=("$@")
  ((${#etapas[@]})) || etapas=("${ETAPAS[@]}")
  local start=$SECONDS etapa
  for etapa in "${etapas[@]}"; do
    declare -F "etapa_$etapa" >/dev/null || { echo "windows.sh: etapa desconocida: $etapa" >&2; exit 2; }
    # Stages that run Windows programs need the prefix and its server.
    case "$etapa" in pruebas|comparar*|distribucion_wine) [[ " ${etapas[*]} " == *" wine "* ]] || etapa_wine ;; esac
    local t=$SECONDS
    "etapa_$etapa"
    log "etapa $etapa: $((SECONDS - t)) s"
  done
  log "total: $((SECONDS - start)) s"
}

main "$@"
