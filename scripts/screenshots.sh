#!/usr/bin/env bash
# Takes the pictures of the help pages and the README on a private virtual X
# server, in every language of the window: the main window
# (help/images/window-<lang>.png), the progress dialog during a reading of
# the simulated unit (help/images/progress-<lang>.png) and the kept readings'
# dialog with the tables and chart of a reading of the sample memory
# (help/images/readings-<lang>.png). Builds the programs first if needed. Run
# it again whenever the window changes.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# xdotool finds the windows and presses "Get data", xwd takes their
# pictures, netpbm turns them into PNG files.
bash scripts/setup-debian.sh xdotool x11-apps netpbm
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target morva_reporter morva_reporter_cli morva_unit_sim >/dev/null

source scripts/unit-sim.sh
out=$root/help/images
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A memory long enough that the reading is still going when its progress
# dialog is taken: the sample's first table, repeated to 2,000 records.
awk -F '\t' -v OFS='\t' '
  NR == 1 { print; next }
  /^$/ { exit }
  { rows[++n] = $0 }
  END { for (i = 1; i <= 2000; i++) { $0 = rows[(i - 1) % n + 1]; $1 = i; print } print "" }
' tools/sample-memory.txt >"$work/memory.txt"

# window_of PID: the id of the first visible window of that program that is
# not in the list of ids given after it; waits for it to appear.
window_of() {
  local program=$1 window=""
  shift
  for _ in $(seq 300); do
    for id in $(xdotool search --onlyvisible --pid "$program" 2>/dev/null || true); do
      case " $* " in *" $id "*) ;; *) window=$id ;; esac
    done
    [ -n "$window" ] && { echo "$window"; return 0; }
    kill -0 "$program" 2>/dev/null || { echo "the window did not start" >&2; return 1; }
    sleep 0.1
  done
  echo "no window appeared" >&2
  return 1
}

# picture WINDOW FILE
picture() {
  xwd -silent -id "$1" | xwdtopnm 2>/dev/null | pnmtopng -compression 9 >"$2"
  echo "help/images/$(basename "$2")"
}

# shoot LANGUAGE CODE: one start of the window in that language on the
# simulated unit, its picture, "Get data" and the progress dialog's picture,
# then a close as a logout would.
shoot() {
  local language=$1 code=$2 dir=$work/$1
  mkdir -p "$dir/home"
  start_unit_sim "$dir/unit" --memory "$work/memory.txt" || return 1
  local unit=$unit_pid port=$unit_port
  printf '[i18n]\nLanguage=%s\n[communication]\nserial_port=1\n[report]\nfolder=/home/operator/reports\n[ports]\nCOM1=%s\n' \
    "$language" "$port" >"$dir/morva_reporter.ini"
  (cd "$dir" && HOME="$dir/home" exec "$root/build/app/morva_reporter") &
  local program=$!
  local window
  window=$(window_of "$program")
  # Let the toolkit finish its first drawing.
  sleep 1
  picture "$window" "$out/window-$code.png"

  # "Get data" is the first button after the port, baud rate, format and
  # folder controls, in that order of the keyboard.
  xdotool windowfocus --sync "$window"
  xdotool key --window "$window" Tab Tab Tab Tab Tab Tab Tab Tab space
  local progress
  progress=$(window_of "$program" "$window")
  # A few records in, with the times filled in.
  sleep 3
  picture "$progress" "$out/progress-$code.png"

  kill -TERM "$program"
  wait "$program" || true
  kill -TERM "$unit"
  wait "$unit" || true
}

# shoot_readings LANGUAGE CODE: the headless reader keeps a reading of the
# sample memory in an archive of its own, then the window in that language
# opens "Readings..." on it.
shoot_readings() {
  local language=$1 code=$2 dir=$work/$1-readings
  mkdir -p "$dir/home"
  start_unit_sim "$dir/unit" --memory tools/sample-memory.txt || return 1
  local unit=$unit_pid
  (cd "$dir" && HOME="$dir/home" XDG_DATA_HOME="$dir/home/.local/share" \
    "$root/build/cli/morva_reporter_cli" read --port "$unit_port" --format csv --folder "$dir" >/dev/null 2>&1)
  kill -TERM "$unit"
  wait "$unit" || true
  printf '[i18n]\nLanguage=%s\n[communication]\nserial_port=1\n[report]\nfolder=/home/operator/reports\n' \
    "$language" >"$dir/morva_reporter.ini"
  (cd "$dir" && HOME="$dir/home" XDG_DATA_HOME="$dir/home/.local/share" exec "$root/build/app/morva_reporter") &
  local program=$!
  local window
  window=$(window_of "$program")
  sleep 1
  # "Readings..." is the fifth button after "Get data" in the order of the
  # keyboard.
  xdotool windowfocus --sync "$window"
  xdotool key --window "$window" Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
  local readings
  readings=$(window_of "$program" "$window")
  # The list, then the reading's tables and their charts; the pointer out
  # of the way of the chart, which would tell what lies under it.
  xdotool mousemove 0 0
  sleep 2
  picture "$readings" "$out/readings-$code.png"

  # Closed first: the window ends on SIGTERM once its dialog is gone.
  xdotool windowfocus --sync "$readings" key Escape || true
  kill -TERM "$program"
  wait "$program" || true
}

export -f shoot shoot_readings window_of picture start_unit_sim
export root out work
bash tests/app/with-xvfb.sh bash -c 'shoot english en && shoot russian ru && shoot ukrainian uk &&
  shoot_readings english en && shoot_readings russian ru && shoot_readings ukrainian uk'
