#!/usr/bin/env bash
# Installs what is missing, builds, and starts the simulated unit with the
# sample memory. With a display, opens the window on it (COM1 is the
# simulated unit); without one, reads it with the headless reader and prints
# where the report is. Extra arguments go to the headless reader, e.g.
# --format html.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-debian.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
window=""
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then window=yes; fi
targets=(morva_unit_sim morva_reporter_cli)
if [ -n "$window" ]; then targets+=(morva_reporter); fi
cmake --build build -j "$(nproc)" --target "${targets[@]}" >/dev/null

root=$(pwd)
demo=$root/demo
mkdir -p "$demo"

source scripts/unit-sim.sh
sim_out=$(mktemp)
unit_pid=""
trap '[ -z "$unit_pid" ] || { kill "$unit_pid" 2>/dev/null || true; wait "$unit_pid" 2>/dev/null || true; }; rm -f "$sim_out"' EXIT
start_unit_sim "$sim_out" --memory tools/sample-memory.txt || exit 1
port=$unit_port
echo "Simulated unit on $port"

if [ -n "$window" ]; then
  # COM1 of the demo's settings opens the simulated unit; the rest of the
  # file (language, folder) stays as the window left it.
  ini=$demo/morva_reporter.ini
  touch "$ini"
  awk '/^\[/ { skip = ($0 == "[ports]") } !skip' "$ini" >"$ini.new"
  printf '[ports]\nCOM1=%s\n' "$port" >>"$ini.new"
  mv "$ini.new" "$ini"
  echo "Opening the window; reports go to $demo unless you choose another folder"
  (cd "$demo" && "$root/build/app/morva_reporter")
  exit 0
fi

report=$(cd "$demo" && "$root/build/cli/morva_reporter_cli" read --port "$port" --baud 115200 --folder "$demo" "$@")
echo "Report: $report"
