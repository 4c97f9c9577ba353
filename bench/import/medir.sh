#!/usr/bin/env bash
# Measures the import on two district-size cases (SOLUC of 100,000 and
# 200,000 rows, 10,000 rows in each lookup table) against xmllint parsing and
# re-serialising the file the import writes.
#
#   bench/import/medir.sh [BUILD_DIR] [LECCIONES...]
#
# Prints, per case: the import's wall time (best of 3), xmllint's (best of 3),
# their ratio, the import's peak memory and its ratio to the file size, and
# xmllint's peak memory for comparison.
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

printf '%-9s %10s %9s %9s %6s %8s %8s %11s\n' lecciones archivo_MB import_s xmllint_s ratio rss_MB rss/arch xmllint_rss
for n in "${tamanos[@]}"; do
  caso="$trabajo/$n"
  "$generar" "$caso" "$n" >/dev/null
  xml="$caso/saga.xml"
  "$importar" "$xml" "$caso/qorda" >/dev/null   # the file now holds its section; later imports rewrite it alike
  import_s=$(mejor_de_tres "$importar" "$xml" "$caso/qorda")
  xmllint_s=$(mejor_de_tres xmllint --output /dev/null "$xml")
  /usr/bin/time -f '%M' -o "$trabajo/memoria" "$importar" "$xml" "$caso/qorda" >/dev/null
  rss_kb=$(tail -1 "$trabajo/memoria")
  /usr/bin/time -f '%M' -o "$trabajo/memoria" xmllint --output /dev/null "$xml"
  xmllint_kb=$(tail -1 "$trabajo/memoria")
  bytes=$(stat -c %s "$xml")
  awk -v n="$n" -v b="$bytes" -v i="$import_s" -v x="$xmllint_s" -v r="$rss_kb" -v xr="$xmllint_kb" 'BEGIN {
    printf "%-9s %10.1f %9.2f %9.2f %6.2f %8.1f %8.2f %8.1f MB\n", n, b/1048576, i, x, (x > 0 ? i/x : 0), r/1024, r*1024/b, xr/1024 }'
  rm -rf "$caso"
done
