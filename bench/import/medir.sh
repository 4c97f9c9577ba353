#!/usr/bin/env bash
# Measures the import on two district-size cases (SOLUC of 100,000 and
# 200,000 rows, 10,000 rows in each lookup table) against xmllint parsing and
# re-serialising the file the import writes.
#
#   bench/import/medir.sh [BUILD_DIR] [LECCIONES...]
#
# Prints, per case and for a first import (the file holds no section yet) and
# a re-import (it holds the one the first wrote): the import's wall time (best
# of 3), its ratio to xmllint's (best of 3), the import's peak memory and its
# ratio to the size of the file written; then xmllint's time and peak memory.
set -euo pipefail

raiz="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$raiz/build}"
shift || true
tamanos=("$@")
[ ${#tamanos[@]} -eq 0 ] && tamanos=(100000 200000)

generar="$build/bench/import/pontexa_bench_import_generar"
importar="$build/bench/import/pontexa_bench_import"
for programa in "$generar" "$importar"; do
  [ -x "$programa" ] || { echo "falta $programa (cmake --build $build --target $(basename "$programa"))" >&2; exit 1; }
done
command -v xmllint >/dev/null || { echo "falta xmllint" >&2; exit 1; }

trabajo="$(mktemp -d)"
trap 'rm -rf "$trabajo"' EXIT

# Wall seconds of the fastest of three runs of a command.
mejor_de_tres() {
  local mejor="" t
  for _ in 1 2 3; do
    /usr/bin/time -f '%e' -o "$trabajo/tiempo" "$@" >/dev/null 2>&1
    t=$(tail -1 "$trabajo/tiempo")
    if [ -z "$mejor" ] || awk -v a="$t" -v b="$mejor" 'BEGIN{exit !(a<b)}'; then mejor="$t"; fi
  done
  echo "$mejor"
}

# Best of three first imports, each into a fresh copy of the original file:
# "seconds peak_KB" of the fastest run.
primera_importacion() {
  local original="$1" xml="$2" carpeta="$3" mejor="" memoria="" t m
  for _ in 1 2 3; do
    cp "$original" "$xml"
    /usr/bin/time -f '%e %M' -o "$trabajo/tiempo" "$importar" "$xml" "$carpeta" >/dev/null 2>&1
    read -r t m < <(tail -1 "$trabajo/tiempo")
    if [ -z "$mejor" ] || awk -v a="$t" -v b="$mejor" 'BEGIN{exit !(a<b)}'; then mejor="$t"; fi
    if [ -z "$memoria" ] || [ "$m" -gt "$memoria" ]; then memoria="$m"; fi
  done
  echo "$mejor $memoria"
}

printf '%-9s %10s | %-33s | %-33s | %9s %11s\n' "" "" "primera importacion" "reimportacion" "" ""
printf '%-9s %10s | %8s %6s %8s %8s | %8s %6s %8s %8s | %9s %11s\n' lecciones archivo_MB \
  import_s ratio rss_MB rss/arch import_s ratio rss_MB rss/arch xmllint_s xmllint_rss
for n in "${tamanos[@]}"; do
  caso="$trabajo/$n"
  "$generar" "$caso" "$n" >/dev/null
  xml="$caso/saga.xml"
  cp "$xml" "$caso/original.xml"
  read -r primera_s primera_kb < <(primera_importacion "$caso/original.xml" "$xml" "$caso/qorda")
  # The file now holds its section; later imports rewrite it alike.
  import_s=$(mejor_de_tres "$importar" "$xml" "$caso/qorda")
  xmllint_s=$(mejor_de_tres xmllint --output /dev/null "$xml")
  /usr/bin/time -f '%M' -o "$trabajo/memoria" "$importar" "$xml" "$caso/qorda" >/dev/null
  rss_kb=$(tail -1 "$trabajo/memoria")
  /usr/bin/time -f '%M' -o "$trabajo/memoria" xmllint --output /dev/null "$xml"
  xmllint_kb=$(tail -1 "$trabajo/memoria")
  bytes=$(stat -c %s "$xml")
  awk -v n="$n" -v b="$bytes" -v p="$primera_s" -v pr="$primera_kb" -v i="$import_s" -v x="$xmllint_s" \
      -v r="$rss_kb" -v xr="$xmllint_kb" 'BEGIN {
    printf "%-9s %10.1f | %8.2f %6.2f %8.1f %8.2f | %8.2f %6.2f %8.1f %8.2f | %9.2f %8.1f MB\n", n, b/1048576,
      p, (x > 0 ? p/x : 0), pr/1024, pr*1024/b, i, (x > 0 ? i/x : 0), r/1024, r*1024/b, x, xr/1024 }'
  rm -rf "$caso"
done
