#!/usr/bin/env bash
# Measures pontexa-cli comprobar against the real transfer it stands for, on
# district-size cases: the export of synthetic SAGA files of two scales, and
# the import of two SOLUC sizes (10,000 rows in each lookup table), into a
# file that already holds the section (what a school re-imports).
#
#   bench/comprobar/medir.sh [BUILD_DIR] [ESCALA_EXPORT...] [-- LECCIONES...]
#
# Prints, per case, the best of 3 wall times of the real run and of the dry
# run and their ratio (the goal: at most 1.2), and how the dry run grows from
# the first case to the last (linear: about the growth of the case).
set -euo pipefail

raiz="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$raiz/build}"
shift || true
escalas=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do escalas+=("$1"); shift; done
[ $# -gt 0 ] && shift
tamanos=("$@")
[ ${#escalas[@]} -eq 0 ] && escalas=(50 100)
[ ${#tamanos[@]} -eq 0 ] && tamanos=(100000 200000)

cli="$build/cli/pontexa-cli"
generar_saga="$build/bench/export/generar-saga"
generar_import="$build/bench/import/pontexa_bench_import_generar"
for programa in "$cli" "$generar_saga" "$generar_import"; do
  [ -x "$programa" ] || { echo "falta $programa (cmake --build $build --target $(basename "$programa"))" >&2; exit 1; }
done

trabajo="$(mktemp -d)"
trap 'rm -rf "$trabajo"' EXIT

# shellcheck source=../medir_comun.sh
source "$raiz/bench/medir_comun.sh"

fila() {  # caso real_ms comprobar_ms
  awk -v c="$1" -v r="$2" -v s="$3" 'BEGIN { printf "%-22s %9d %12d %6.2f\n", c, r, s, (r > 0 ? s/r : 0) }'
}

crecimiento() {  # nombre primero ultimo t_primero t_ultimo
  awk -v n="$1" -v p="$2" -v u="$3" -v tp="$4" -v tu="$5" \
    'BEGIN { printf "crecimiento de comprobar %s: %.2f veces (caso x%.1f)\n", n, (tp > 0 ? tu/tp : 0), u/p }'
}

printf '%-22s %9s %12s %6s\n' caso real_ms comprobar_ms ratio
declare -A exp_t imp_t
for escala in "${escalas[@]}"; do
  xml="$trabajo/saga-$escala.xml"
  carpeta="$trabajo/qorda-$escala"
  mkdir -p "$carpeta"
  "$generar_saga" "$escala" "$xml"
  real=$(mejor_de_tres_ms "$cli" exportar "$xml" --carpeta "$carpeta")
  seco=$(mejor_de_tres_ms "$cli" comprobar exportar "$xml" --carpeta "$carpeta" --formato json)
  exp_t[$escala]=$seco
  fila "exportar escala $escala" "$real" "$seco"
  rm -rf "$carpeta" "$xml"
done
for n in "${tamanos[@]}"; do
  caso="$trabajo/$n"
  "$generar_import" "$caso" "$n" >/dev/null
  "$cli" importar "$caso/saga.xml" --carpeta "$caso/qorda" >/dev/null  # the file holds its section
  real=$(mejor_de_tres_ms "$cli" importar "$caso/saga.xml" --carpeta "$caso/qorda")
  seco=$(mejor_de_tres_ms "$cli" comprobar importar "$caso/saga.xml" --carpeta "$caso/qorda" --formato json)
  imp_t[$n]=$seco
  fila "importar $n" "$real" "$seco"
  rm -rf "$caso"
done
[ ${#escalas[@]} -gt 1 ] && crecimiento exportar "${escalas[0]}" "${escalas[-1]}" "${exp_t[${escalas[0]}]}" "${exp_t[${escalas[-1]}]}"
[ ${#tamanos[@]} -gt 1 ] && crecimiento importar "${tamanos[0]}" "${tamanos[-1]}" "${imp_t[${tamanos[0]}]}" "${imp_t[${tamanos[-1]}]}"
