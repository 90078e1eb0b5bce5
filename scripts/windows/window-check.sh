#!/usr/bin/env bash
# The window program under Wine, as an operator meets it: started in a fresh
# working directory, it shows its main window and nothing else (no error or
# log box), with the program's icon; a screenshot of the window is taken;
# closed the way a user closes it (WM_CLOSE, which taskkill without /f
# sends), it ends and leaves its settings file in the working directory.
#
# Usage: window-check.sh MORVA_REPORTER_EXE SCREENSHOT_PNG [START_DIR WORK_DIR [ARG...]]
# Without START_DIR the program starts in a fresh working directory, removed
# afterwards. With it, the program starts there with the ARGs (as a shortcut
# starts it) and must make WORK_DIR, which does not exist yet, and keep its
# settings there; WORK_DIR stays.
# WINDOW_LANGUAGE is the language the window must keep in its settings
# (default empty: the system's).
# Wine's environment is the caller's: WINEPREFIX, and a running wineserver
# whose desktop is on DISPLAY (a private virtual display).
set -euo pipefail
exe=$(realpath "$1")
screenshot=$2
shift 2
resources=$(cd "$(dirname "$0")/../../app/resources" && pwd)

[ -n "${DISPLAY:-}" ] || { echo "window check: no DISPLAY" >&2; exit 1; }
[ -n "${WINEPREFIX:-}" ] || { echo "window check: no WINEPREFIX" >&2; exit 1; }

fail() {
  echo "window check: $*" >&2
  exit 1
}

# Deadlines in seconds; generous, for a machine that is busy with builds.
start_deadline=90
paint_deadline=30
close_deadline=60

if [ $# -ge 2 ]; then
  start_dir=$1
  workdir=$2
  shift 2
  keep_workdir=yes
  [ ! -e "$workdir" ] || fail "$workdir exists before the first start"
else
  # A fresh working directory in the private prefix, which Windows programs
  # see as C:\MORVA_Reporter (the report folder the screenshot shows).
  workdir=$WINEPREFIX/drive_c/MORVA_Reporter
  start_dir=$workdir
  keep_workdir=""
  rm -rf "$workdir"
  mkdir "$workdir"
fi
arguments=("$@")
scratch=$(mktemp -d)
app=""
cleanup() {
  if [ -n "$app" ] && kill -0 "$app" 2>/dev/null; then
    timeout 30 wine taskkill /f /im morva_reporter.exe >/dev/null 2>&1 || true
    kill "$app" 2>/dev/null || true
  fi
  [ -z "$app" ] || wait "$app" 2>/dev/null || true
  [ -n "$keep_workdir" ] || rm -rf "$workdir"
  rm -rf "$scratch"
}
trap cleanup EXIT

# The program's windows carry its executable's name as their X class.
program_windows() {
  xdotool search "$@" --class '^morva_reporter\.exe$' 2>/dev/null || true
}

# The program keeps a second instance out: nothing of it may run yet.
[ -z "$(program_windows)" ] || fail "morva_reporter.exe already runs in $WINEPREFIX"

# Wine draws the caption (with the window's icon) itself, as on Windows:
# the virtual display has no window manager to do it.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null

(cd "$start_dir" && exec wine "$exe" "${arguments[@]}" >"$scratch/output.txt" 2>&1 </dev/null) &
app=$!
begin=$SECONDS

window=""
while [ -z "$window" ]; do
  window=$(xdotool search --onlyvisible --name '^MORVA_Reporter$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  if ! kill -0 "$app" 2>/dev/null; then
    status=0
    wait "$app" || status=$?
    app=""
    cat "$scratch/output.txt" >&2
    fail "the program ended (status $status) without showing its window;" \
      "does another instance hold the lock \"MORVA_Reporter\"?"
  fi
  ((SECONDS - begin < start_deadline)) || fail "no window within $start_deadline s"
  sleep 0.1
done
echo "Main window 0x$(printf '%x' "$window") after $((SECONDS - begin)) s"

# Painted: a picture of more than a few colours (caption, icon, controls)
# that three screenshots in a row show alike.
colours() { xwdtopnm "$1" 2>/dev/null | ppmhist -noheader | wc -l; }
begin=$SECONDS
same=0
xwd -silent -id "$window" >"$scratch/previous.xwd"
while ((same < 2)); do
  ((SECONDS - begin < paint_deadline)) || fail "the window was not painted within $paint_deadline s"
  sleep 0.2
  xwd -silent -id "$window" >"$scratch/window.xwd"
  if cmp -s "$scratch/previous.xwd" "$scratch/window.xwd" && (($(colours "$scratch/window.xwd") > 8)); then
    same=$((same + 1))
  else
    same=0
  fi
  mv "$scratch/window.xwd" "$scratch/previous.xwd"
done
mkdir -p "$(dirname "$screenshot")"
xwdtopnm "$scratch/previous.xwd" 2>/dev/null | pnmtopng -compression 9 >"$screenshot"
geometry=$(xwininfo -id "$window" | sed -n 's/^ *-geometry //p')
echo "Screenshot $screenshot ($geometry, $(stat -c %s "$screenshot") bytes)"

# The main window is the program's only window on the display: a message
# of the toolkit at start-up would be a box of its own.
only_window() {
  local shown others begin=$SECONDS
  while :; do
    shown=$(program_windows --onlyvisible)
    # Without the main window the search itself went wrong (a window went
    # away while it looked): look again.
    grep -qx "$window" <<<"$shown" && break
    ((SECONDS - begin < 10)) || fail "the main window is no longer shown"
    sleep 0.1
  done
  others=$(grep -vx "$window" <<<"$shown" || true)
  if [ -n "$others" ]; then
    for w in $others; do
      echo "  window 0x$(printf '%x' "$w"): $(xdotool getwindowname "$w" 2>/dev/null)" >&2
    done
    fail "the program shows more than its main window"
  fi
}
only_window

# The icon Wine shows is the program's own, in both sizes Windows uses
# (not Wine's stand-in for a window without one).
xprop -id "$window" -notype 32c _NET_WM_ICON >"$scratch/icon.txt"
for size in 16 32; do
  python3 - "$scratch/icon.txt" "$resources/morva_reporter_$size.xpm" "$size" <<'EOF' ||
import re
import sys

shown_path, xpm_path, size = sys.argv[1], sys.argv[2], int(sys.argv[3])
# _NET_WM_ICON = width, height, ARGB pixels, then the next icon
values = [int(v) for v in re.findall(r"\d+", open(shown_path).read().split("=", 1)[1])]
icons = {}
while len(values) >= 2:
    w, h = values[0], values[1]
    icons[(w, h)] = values[2:2 + w * h]
    values = values[2 + w * h:]
shown = icons.get((size, size))
if shown is None:
    sys.exit(f"no {size} pixel icon on the window (only {sorted(icons)})")

lines = re.findall(r'"([^"]*)"', open(xpm_path).read())
w, h, ncolours, cpp = map(int, lines[0].split()[:4])
if (w, h) != (size, size):
    sys.exit(f"{xpm_path} is {w} x {h} pixels, not {size}")
colours = {}
for line in lines[1:1 + ncolours]:
    value = line[cpp:].split()[-1]
    colours[line[:cpp]] = None if value.lower() == "none" else int(value[1:], 16)
drawn = [colours[row[i:i + cpp]] for row in lines[1 + ncolours:1 + ncolours + h] for i in range(0, w * cpp, cpp)]

def same(want, got):
    if want is None:
        return got >> 24 < 128
    return got >> 24 >= 128 and all(abs((got >> s & 255) - (want >> s & 255)) <= 8 for s in (0, 8, 16))

wrong = sum(not same(want, got) for want, got in zip(drawn, shown))
if wrong:
    sys.exit(f"the {size} pixel icon differs from the program's in {wrong} of {w * h} pixels")
EOF
    fail "the window does not carry the program's icon"
done
echo "The window carries the program's icon (16 and 32 pixels)"
only_window

# Closed as a user closes it.
begin=$SECONDS
timeout 60 wine taskkill /im morva_reporter.exe >"$scratch/taskkill.txt" 2>&1 ||
  { cat "$scratch/taskkill.txt" >&2; fail "taskkill failed"; }
while kill -0 "$app" 2>/dev/null; do
  ((SECONDS - begin < close_deadline)) || fail "the program did not end within $close_deadline s of WM_CLOSE"
  sleep 0.1
done
status=0
wait "$app" || status=$?
app=""
[ "$status" -eq 0 ] || { cat "$scratch/output.txt" >&2; fail "the program ended with status $status"; }
echo "Closed with WM_CLOSE; ended within $((SECONDS - begin)) s, status 0"

# The settings file, with what the program keeps: the language, the port
# (COM1 by default) and the report folder (by default the working directory).
ini=$workdir/morva_reporter.ini
[ -f "$ini" ] || fail "no morva_reporter.ini in the working directory (only: $(ls -A "$workdir"))"
folder=$(timeout 60 wine winepath -w "$workdir" 2>/dev/null | tr -d '\r')
expected_folder="folder=${folder//\\/\\\\}"
for line in '[i18n]' "Language=${WINDOW_LANGUAGE:-}" '[communication]' 'serial_port=1' '[report]' "$expected_folder"; do
  tr -d '\r' <"$ini" | grep -qxF -- "$line" || { cat "$ini" >&2; fail "morva_reporter.ini has no line '$line'"; }
done
echo "morva_reporter.ini: $(tr -d '\r' <"$ini" | grep -c '^\[') groups, report folder $folder"
