#!/usr/bin/env bash
# The kept readings' dialog of the window program under Wine: started in a
# fresh working directory, its "Readings..." button opens the dialog on
# the readings the Windows reader kept before (compare-reader.sh), the
# newest chosen with its tables, and the chart of its first table is
# painted: the first two series' colours are among the dialog's pixels. A
# screenshot of the dialog is taken; Escape closes it, WM_CLOSE the window.
#
# Usage: readings-check.sh MORVA_REPORTER_EXE SCREENSHOT_PNG
# Wine's environment is the caller's: WINEPREFIX, and a running wineserver
# whose desktop is on DISPLAY (a private virtual display).
set -euo pipefail
exe=$(realpath "$1")
screenshot=$2

fail() {
  echo "readings check: $*" >&2
  exit 1
}
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY"
[ -n "${WINEPREFIX:-}" ] || fail "no WINEPREFIX"

deadline=90
workdir=$WINEPREFIX/drive_c/MORVA_Readings
scratch=$(mktemp -d)
rm -rf "$workdir"
mkdir "$workdir"
app=""
cleanup() {
  if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then
    timeout 30 wine taskkill /f /im morva_reporter.exe >/dev/null 2>&1 || true
    kill "$app" 2>/dev/null || true
  fi
  [ -z "$app" ] || wait "$app" 2>/dev/null || true
  rm -rf "$workdir" "$scratch"
}
trap cleanup EXIT

# wait_window NAME: the id of the first visible window of that name.
wait_window() {
  local begin=$SECONDS id=""
  while [ -z "$id" ]; do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && break
    kill -0 "$app" 2>/dev/null || fail "the program ended before its window \"$1\" showed"
    ((SECONDS - begin < deadline)) || fail "no window \"$1\" within $deadline s"
    sleep 0.1
  done
  echo "$id"
}

# painted ID FILE: waits until three screenshots in a row show the window
# alike, and keeps the last as FILE (xwd).
painted() {
  local begin=$SECONDS same=0
  xwd -silent -id "$1" >"$scratch/previous.xwd"
  while ((same < 2)); do
    ((SECONDS - begin < deadline)) || fail "the window was not painted within $deadline s"
    sleep 0.3
    xwd -silent -id "$1" >"$scratch/now.xwd"
    if cmp -s "$scratch/previous.xwd" "$scratch/now.xwd"; then same=$((same + 1)); else same=0; fi
    mv "$scratch/now.xwd" "$scratch/previous.xwd"
  done
  mv "$scratch/previous.xwd" "$2"
}

(cd "$workdir" && exec wine "$exe" >"$scratch/output.txt" 2>&1 </dev/null) &
app=$!
main=$(wait_window '^MORVA_Reporter$')
painted "$main" "$scratch/main.xwd"

# "Readings..." is the left button of the bottom row.
read -r width height < <(xwininfo -id "$main" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w, h }')
xdotool mousemove --window "$main" $((width / 4)) $((height - 21)) click 1
dialog=$(wait_window '^Kept readings$')
echo "Kept readings' dialog 0x$(printf '%x' "$dialog")"
# The pointer out of the way of the chart, which would tell what lies under it.
xdotool mousemove 0 0
painted "$dialog" "$scratch/dialog.xwd"
mkdir -p "$(dirname "$screenshot")"
xwdtopnm "$scratch/dialog.xwd" 2>/dev/null | pnmtopng -compression 9 >"$screenshot"
echo "Screenshot $screenshot ($(stat -c %s "$screenshot") bytes)"

# The chart's first two series, in the colours the chart's model gives them.
xwdtopnm "$scratch/dialog.xwd" 2>/dev/null | ppmhist -noheader >"$scratch/colours.txt"
for colour in "27 158 119" "217 95 2"; do
  awk -v want="$colour" '{ if ($1 " " $2 " " $3 == want) found = 1 } END { exit !found }' "$scratch/colours.txt" ||
    fail "no pixel of the colour ($colour) of a chart's series: the chart was not painted"
done
echo "The dialog shows the chosen reading's chart in its series' colours"

xdotool windowfocus --sync "$dialog" key Escape
begin=$SECONDS
while xdotool search --onlyvisible --name '^Kept readings$' >/dev/null 2>&1; do
  ((SECONDS - begin < deadline)) || fail "Escape did not close the dialog"
  sleep 0.1
done
timeout 60 wine taskkill /im morva_reporter.exe >/dev/null 2>&1 || fail "taskkill failed"
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || { cat "$scratch/output.txt" >&2; fail "the program ended with status $status"; }
echo "Dialog closed with Escape, the window with WM_CLOSE"
