#!/usr/bin/env bash
# Installs what is missing, builds, starts the simulated unit with the sample
# memory, reads it with the headless reader and prints where the report is.
# Extra arguments go to the reader, e.g. --format html.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target morva_unit_sim morva_reporter_cli >/dev/null

root=$(pwd)
demo=$root/demo
mkdir -p "$demo"

sim_out=$(mktemp)
build/tools/morva_unit_sim --memory tools/sample-memory.txt >"$sim_out" &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -f "$sim_out"' EXIT

port=""
for _ in $(seq 100); do
  port=$(head -n 1 "$sim_out")
  [ -n "$port" ] && break
  kill -0 "$sim" 2>/dev/null || { echo "the simulated unit did not start" >&2; exit 1; }
  sleep 0.05
done
[ -n "$port" ] || { echo "the simulated unit did not start" >&2; exit 1; }
echo "Simulated unit on $port"

report=$(cd "$demo" && "$root/build/tools/morva_reporter_cli" read --port "$port" --baud 115200 --folder "$demo" "$@")
echo "Report: $report"
