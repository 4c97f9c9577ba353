#!/usr/bin/env bash
# The main job on the sample school: exports ejemplos/saga/instituto.xml into a
# scratch exchange folder, shows the tables it wrote, then imports the
# timetable Mirvane left in ejemplos/qorda/ and shows the section it wrote.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

# The first lines of a long listing. It reads all of its input, so the writer
# never dies of a closed pipe (which pipefail would turn into a failed run).
primeras() {
  sed -n "1,${1}p; $(($1 + 1)){s/.*/.../p}"
}

"$root/scripts/instalar-dependencias.sh"
build="$root/build"
cmake -S "$root" -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target pontexa-cli

cli="$build/cli/pontexa-cli"
scratch="$(mktemp -d "${TMPDIR:-/tmp}/pontexa-ejemplo.XXXXXX")"
mkdir -p "$scratch/QORDA"
cp "$root/ejemplos/saga/instituto.xml" "$scratch/instituto.xml"

echo "== pontexa-cli exportar instituto.xml --carpeta $scratch/QORDA"
"$cli" exportar "$scratch/instituto.xml" --carpeta "$scratch/QORDA"
for table in ASIGNOMT PROFT AULAT GRUPOST ASIGT DIASHORAST; do
  echo
  echo "== $table.DBF"
  # The tables hold Windows-1252 text.
  dbfdump "$scratch/QORDA/$table.DBF" | iconv -f WINDOWS-1252 -t UTF-8 | primeras 15
done

if [ -f "$root/ejemplos/qorda/SOLUC.DBF" ]; then
  echo
  echo "== Mirvane rellena DIASHORAST y resuelve el horario en SOLUC (ejemplos/qorda/)"
  cp "$root/ejemplos/qorda/DIASHORAST.DBF" "$root/ejemplos/qorda/SOLUC.DBF" "$scratch/QORDA/"
  echo "== pontexa-cli importar instituto.xml --carpeta $scratch/QORDA"
  "$cli" importar "$scratch/instituto.xml" --carpeta "$scratch/QORDA"
  echo
  echo "== time-tables de instituto.xml (primeras líneas)"
  xmllint --xpath '/document/time-tables' "$scratch/instituto.xml" | xmllint --format --encode UTF-8 - | primeras 60
fi
echo
echo "Resultado en $scratch"
