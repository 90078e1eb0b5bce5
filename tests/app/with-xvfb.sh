#!/usr/bin/env bash
# Runs a command against a private virtual X server, started for it alone.
set -euo pipefail
source "$(dirname "$0")/../../scripts/xvfb.sh"

# Under LeakSanitizer, leave out what the desktop libraries keep for good.
export LSAN_OPTIONS="suppressions=$(cd "$(dirname "$0")" && pwd)/lsan-toolkit.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"

xvfb_pid=""
trap '[ -z "$xvfb_pid" ] || { kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; }' EXIT
start_xvfb 1280x1024x24
"$@"
