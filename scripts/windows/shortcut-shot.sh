#!/usr/bin/env bash
# A screenshot of a folder as Wine's file browser shows it, to see a
# shortcut there with its icon.
#
# Usage: shortcut-shot.sh FOLDER SCREENSHOT_PNG
# Wine's environment is the caller's: WINEPREFIX, and a running wineserver
# whose desktop is on DISPLAY (a private virtual display).
set -euo pipefail
folder=$1
screenshot=$2
source "$(dirname "$0")/window-shot.sh"

browser=""
cleanup() {
  # This browser only: the desktop's own explorer.exe runs on.
  if [ -n "$browser" ]; then
    kill "$browser" 2>/dev/null || true
    wait "$browser" 2>/dev/null || true
  fi
}
trap cleanup EXIT

wine explorer "$(winepath -w "$folder" 2>/dev/null)" >/dev/null 2>&1 </dev/null &
browser=$!
window=$(wait_window 60 "$browser" --name "^$(basename "$folder")\$")
shoot_window "$window" "$screenshot"
echo "Screenshot $screenshot ($(stat -c %s "$screenshot") bytes)"
