#!/usr/bin/env bash
# Measures pontexa-cli exportar on synthetic SAGA files of scale 10 and 100
# (scale 1 is about one school) against xmllint merely parsing the same file.
#
#   bench/export/medir.sh [BUILD_DIR] [ESCALAS...]
#
# Prints, per scale: the file size, the export's wall time and xmllint's (best
# of 3 each), their ratio, the export's peak memory (max RSS) and its ratio to
# the file size; then how the export's time grows from the first scale to the last.
set -euo pipefail

raiz="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$raiz/build}"
shift || true
escalas=("$@")
[ ${#escalas[@]} -eq 0 ] && escalas=(10 100)

generar="$build/bench/export/generar-saga"
cli="$build/cli/pontexa-cli"
for programa in "$generar" "$cli"; do
  [ -x "$programa" ] || { echo "falta $programa (cmake --build $build --target $(basename "$programa"))" >&2; exit 1; }
done
command -v xmllint >/dev/null || { echo "falta xmllint" >&2; exit 1; }

trabajo="$(mktemp -d)"
trap 'rm -rf "$trabajo"' EXIT

# shellcheck source=../medir_comun.sh
source "$raiz/bench/medir_comun.sh"

# Peak resident memory of one run, in KB.
rss() {
  /usr/bin/time -f '%M' -o "$trabajo/rss" "$@" >/dev/null 2>&1
  tail -1 "$trabajo/rss"
}

printf '%-7s %11s %10s %11s %6s %8s %9s %12s\n' escala archivo_MB export_ms xmllint_ms ratio rss_MB rss/arch xmllint_rssMB
declare -A tiempos
for escala in "${escalas[@]}"; do
  xml="$trabajo/saga-$escala.xml"
  carpeta="$trabajo/qorda-$escala"
  mkdir -p "$carpeta"
  "$generar" "$escala" "$xml"
  bytes=$(stat -c %s "$xml")
  t_export=$(mejor_de_tres_ms "$cli" exportar "$xml" --carpeta "$carpeta")
  t_xmllint=$(mejor_de_tres_ms xmllint --noout "$xml")
  rss_export=$(rss "$cli" exportar "$xml" --carpeta "$carpeta")
  rss_xmllint=$(rss xmllint --noout "$xml")
  tiempos[$escala]=$t_export
  awk -v e="$escala" -v b="$bytes" -v te="$t_export" -v tx="$t_xmllint" -v re="$rss_export" -v rx="$rss_xmllint" \
    'BEGIN { printf "%-7s %11.2f %10d %11d %6.2f %8.1f %9.2f %12.1f\n",
             e, b/1048576, te, tx, (tx > 0 ? te/tx : 0), re/1024, re*1024/b, rx/1024 }'
done
primera=${escalas[0]}
ultima=${escalas[${#escalas[@]}-1]}
if [ "$primera" != "$ultima" ]; then
  awk -v p="$primera" -v u="$ultima" -v tp="${tiempos[$primera]}" -v tu="${tiempos[$ultima]}" \
    'BEGIN { printf "crecimiento: escala %s cuesta %.2f veces la escala %s (escala x%.0f)\n", u, (tp > 0 ? tu/tp : 0), p, u/p }'
fi
