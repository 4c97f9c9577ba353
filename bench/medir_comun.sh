# Timing helper shared by the bench/*/medir.sh scripts (sourced, not run).

# Milliseconds of the fastest of three runs of a command; a run that fails
# still counts its time.
mejor_de_tres_ms() {
  local mejor="" inicio fin t
  for _ in 1 2 3; do
    inicio=$(date +%s%N)
    "$@" >/dev/null 2>&1 || true
    fin=$(date +%s%N)
    t=$(( (fin - inicio) / 1000000 ))
    if [ -z "$mejor" ] || [ "$t" -lt "$mejor" ]; then mejor="$t"; fi
  done
  echo "$mejor"
}
