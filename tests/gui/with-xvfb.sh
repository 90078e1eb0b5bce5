#!/usr/bin/env bash
# Runs a command against a private virtual X server, started for it alone.
# The server picks a free display itself (-displayfd), so any number of
# these can run side by side.
set -euo pipefail

# Under LeakSanitizer, leave out what the desktop libraries keep for good.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan-toolkit.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfile" 2>/dev/null &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -f "$displayfile"' EXIT

display=""
for _ in $(seq 200); do
  display=$(head -n 1 "$displayfile" 2>/dev/null || true)
  [ -n "$display" ] && break
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start" >&2; exit 1; }
  sleep 0.05
done
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }

DISPLAY=":$display" "$@"
