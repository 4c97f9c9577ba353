#!/usr/bin/env bash
# The whole test suite again, built with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer (preset "asan", build-asan/). Any report fails it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

start=$SECONDS
cmake --preset asan >/dev/null
cmake --build --preset asan

# Leaks are reported for our code always; the suppressions cover only
# libraries of the system (Qt, fontconfig) that keep caches until exit.
export ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
export LSAN_OPTIONS="suppressions=$root/tests/hardening/lsan.supp:print_suppressions=0"

runner=()
if command -v xvfb-run >/dev/null; then
  runner=(xvfb-run -a -s "-screen 0 1280x1024x24")
fi
"${runner[@]}" ctest --preset asan
echo "sanitizadores: $((SECONDS - start)) s"
