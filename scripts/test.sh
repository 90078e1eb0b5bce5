#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: once in a normal
# build and once with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-debian.sh

jobs=$(nproc)

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DMORVA_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  ctest --test-dir "$dir" -j "$jobs" --output-on-failure
}

echo "== build and test =="
run_suite build -DCMAKE_BUILD_TYPE=RelWithDebInfo

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer =="
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
run_suite build-asan -DCMAKE_BUILD_TYPE=Debug -DMORVA_SANITIZE=ON -DMORVA_BUILD_BENCHMARKS=OFF

echo "== fuzz targets: smoke runs over the seed corpus and the crash regressions =="
bash scripts/fuzz-smoke.sh
