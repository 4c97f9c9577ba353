#!/usr/bin/env bash
# Builds the libFuzzer targets (preset "fuzz", build-fuzz/) and runs each for
# SECONDS (60 by default). New inputs go to a scratch corpus, never into
# fuzz/corpus/; crashes land in build-fuzz/artifacts/. Fails when any target
# finds one.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
seconds="${1:-60}"
# A fixed seed keeps the short CI runs repeatable; PONTEXA_FUZZ_SEED=0 lets
# libFuzzer pick a fresh one (for longer hunts).
seed="${PONTEXA_FUZZ_SEED:-1}"
targets=(fuzz_tabla fuzz_exportacion fuzz_importacion)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "${targets[@]}"

artifacts="$root/build-fuzz/artifacts"
mkdir -p "$artifacts"
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT

failed=()
for target in "${targets[@]}"; do
  mkdir -p "$scratch/$target"
  echo "== $target: $seconds s"
  # The scratch folder comes first: libFuzzer writes new inputs only there.
  if ! "$root/build-fuzz/fuzz/$target" "$scratch/$target" "$root/fuzz/corpus/$target" \
      -max_total_time="$seconds" -seed="$seed" -max_len=8192 -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$artifacts/$target-" 2>"$scratch/$target.log"; then
    failed+=("$target")
    tail -n 60 "$scratch/$target.log"
  else
    grep -E "^(stat::number_of_executed_units|#[0-9]+ +DONE)" "$scratch/$target.log" || true
  fi
done

if ((${#failed[@]})); then
  echo "fuzz: fallos en ${failed[*]} (artefactos en $artifacts)" >&2
  exit 1
fi
