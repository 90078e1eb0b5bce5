#!/usr/bin/env bash
# The web view of the Windows reader under Wine, against the Linux reader's:
# the archive that the Windows reader kept (compare-reader.sh) is copied
# into a folder with a Cyrillic name, and each reader in turn serves it on
# 127.0.0.1 (`archive serve --listen 127.0.0.1:0 --archive FILE`, the
# Windows reader given the file's Windows path; each prints the address it
# took). curl fetches the list of
# readings and the first reading as JSON, the first reading's csv report
# and its page (figures and chart), from each; the JSON must be the same
# once the archive's path, which each names its own way, is set aside, the
# csv and the page the same bytes.
# The list must count every reading that `archive list` lists. Each server
# is then stopped as Ctrl-C stops it: SIGINT, which Wine hands to the
# Windows program as the console's CTRL_C_EVENT; it must end within
# $stop_deadline seconds.
#
# Usage: serve-check.sh WINDOWS_CLI_EXE LINUX_CLI OUTDIR
# Wine's environment (WINEPREFIX, a running wineserver) is the caller's.
set -euo pipefail
windows_cli=$(realpath "$1")
linux_cli=$(realpath "$2")
outdir=$3

# Bounds: a server must answer within start_deadline seconds of its start
# (Wine's start on two busy cores is slow), a request within request_time,
# and a stopped server end within stop_deadline.
start_deadline=90
request_time=20
stop_deadline=5

fail() {
  echo "serve check: $*" >&2
  exit 1
}
[ -n "${WINEPREFIX:-}" ] || fail "no WINEPREFIX"
command -v curl >/dev/null || fail "curl is missing (scripts/windows/setup-windows.sh installs it)"

rm -rf "$outdir"
mkdir -p "$outdir/linux" "$outdir/windows"

# The Windows reader's own archive, in its default place.
kept=$(find "$WINEPREFIX/drive_c/users" -path '*/AppData/Local/MORVA_Reporter/archive.sqlite' -print -quit \
  2>/dev/null || true)
[ -n "$kept" ] || fail "the Windows reader kept no archive under $WINEPREFIX/drive_c/users"
folder_name='Архив показаний'
folder=$WINEPREFIX/drive_c/$folder_name
rm -rf "$folder"
mkdir "$folder"
cp "$kept" "$folder/archive.sqlite"
archive_unix=$folder/archive.sqlite
archive_windows="C:\\$folder_name\\archive.sqlite"

server=""
server_kind=""
# A server left running by a failure is killed (under Wine, the program too).
cleanup() {
  if [ -n "$server" ]; then
    kill -KILL "$server" 2>/dev/null || true
    wait "$server" 2>/dev/null || true
    if [ "$server_kind" = windows ]; then
      timeout 30 wine taskkill /f /im morva_reporter_cli.exe >/dev/null 2>&1 </dev/null || true
    fi
  fi
  rm -rf "$folder"
}
trap cleanup EXIT

# show_log KIND: the server's output, after a failure.
show_log() {
  echo "--- what the $1 server said:" >&2
  tr -d '\r' <"$outdir/$1/server.out" >&2 || true
  tr -d '\r' <"$outdir/$1/server.err" >&2 || true
}

# wait_listening KIND: polls until the server prints the address it took
# (port 0: the system's choice, no race for a free port) and answers at
# that address; prints the port.
wait_listening() {
  local begin=$SECONDS port="" code
  while :; do
    if [ -z "$port" ]; then
      port=$(tr -d '\r' <"$outdir/$1/server.out" | sed -n 's|^http://127\.0\.0\.1:\([0-9][0-9]*\)/$|\1|p' | head -n 1)
    fi
    if [ -n "$port" ]; then
      code=$(curl -s -o /dev/null --max-time 5 -w '%{http_code}' "http://127.0.0.1:$port/api/readings" || true)
      [ "$code" != 000 ] && [ -n "$code" ] && { echo "$port"; return 0; }
    fi
    kill -0 "$server" 2>/dev/null || { show_log "$1"; fail "the $1 server ended before it answered"; }
    ((SECONDS - begin < start_deadline)) || { show_log "$1"; fail "the $1 server did not answer within $start_deadline s"; }
    sleep 0.1
  done
}

# fetch KIND PORT PATH FILE: the body into FILE, the headers into FILE.headers;
# anything but 200 fails.
fetch() {
  local code
  code=$(curl -sS --max-time "$request_time" -D "$4.headers" -o "$4" -w '%{http_code}' \
    "http://127.0.0.1:$2$3") || { show_log "$1"; fail "the $1 server did not answer $3"; }
  [ "$code" = 200 ] || { show_log "$1"; head -c 2000 "$4" >&2; fail "the $1 server answered $3 with $code"; }
}

# stop KIND: SIGINT, as Ctrl-C; the server must end within stop_deadline.
stop() {
  local begin status
  begin=$(date +%s%N)
  kill -INT "$server"
  while kill -0 "$server" 2>/dev/null; do
    if (( ($(date +%s%N) - begin) / 1000000 > stop_deadline * 1000 )); then
      show_log "$1"
      fail "the $1 server did not end within $stop_deadline s of Ctrl-C"
    fi
    sleep 0.05
  done
  status=0
  wait "$server" || status=$?
  server=""
  echo "$1: ended $(( ($(date +%s%N) - begin) / 1000000 )) ms after Ctrl-C, exit status $status"
}

# serve KIND: starts the server of that kind on the copied archive, in a
# working folder of its own (no settings file).
serve() {
  server_kind=$1
  if [ "$1" = windows ]; then
    # Wine turns the command line into the program's wide one by the locale:
    # UTF-8, so that the Cyrillic folder's name comes through.
    (cd "$outdir/windows" && LC_ALL=C.UTF-8 exec wine "$windows_cli" archive serve \
      --listen 127.0.0.1:0 --archive "$archive_windows" >server.out 2>server.err </dev/null) &
  else
    (cd "$outdir/linux" && exec "$linux_cli" archive serve \
      --listen 127.0.0.1:0 --archive "$archive_unix" >server.out 2>server.err </dev/null) &
  fi
  server=$!
}

# check KIND: serves, fetches what is compared, stops.
check() {
  local port
  serve "$1"
  port=$(wait_listening "$1")
  fetch "$1" "$port" /api/readings "$outdir/$1/readings.json"
  fetch "$1" "$port" /api/readings/1 "$outdir/$1/reading-1.json"
  fetch "$1" "$port" /readings/1/report.csv "$outdir/$1/report-1.csv"
  fetch "$1" "$port" /readings/1 "$outdir/$1/reading-1.html"
  echo "$1: served on 127.0.0.1:$port"
  stop "$1"
}

check linux
check windows

# The JSON of both, each server's way of writing the archive's path set
# aside, and the list's count against the readings that are kept.
kept_count=$("$linux_cli" archive list --archive "$archive_unix" | grep -c .)
status=0
for name in readings.json reading-1.json; do
  if ! python3 - "$outdir/linux/$name" "$outdir/windows/$name" "$archive_unix" "$archive_windows" \
    "$kept_count" "$name" <<'EOF'
import json, sys

linux_file, windows_file, unix_path, windows_path, kept, name = sys.argv[1:]

def load(path, place):
    def hide(value):
        if isinstance(value, dict):
            return {key: hide(item) for key, item in value.items()}
        if isinstance(value, list):
            return [hide(item) for item in value]
        if isinstance(value, str):
            return value.replace(place, "ARCHIVE")
        return value
    with open(path, encoding="utf-8") as f:
        return hide(json.load(f))

linux = load(linux_file, unix_path)
windows = load(windows_file, windows_path)
if name == "readings.json":
    for kind, answer in (("linux", linux), ("windows", windows)):
        if answer.get("total") != int(kept) or not answer.get("readings"):
            sys.exit(f"{name}: the {kind} server counts {answer.get('total')} readings, "
                     f"archive list lists {kept}")
if linux != windows:
    a = json.dumps(linux, indent=1, sort_keys=True, ensure_ascii=False).splitlines()
    b = json.dumps(windows, indent=1, sort_keys=True, ensure_ascii=False).splitlines()
    import difflib
    print("\n".join(list(difflib.unified_diff(a, b, "linux", "windows", lineterm=""))[:40]), file=sys.stderr)
    sys.exit(f"{name}: the servers' answers differ")
EOF
  then
    status=1
  else
    echo "$name: the same answer from both ($(stat -c %s "$outdir/windows/$name") bytes)"
  fi
done

# The csv report and the reading's page (its figures and chart) byte for
# byte, with the same type and name.
headers() { tr -d '\r' <"$1" | grep -i -e '^content-type:' -e '^content-disposition:' | sort; }
for name in report-1.csv reading-1.html; do
  if cmp -s "$outdir/linux/$name" "$outdir/windows/$name" &&
    cmp -s <(headers "$outdir/linux/$name.headers") <(headers "$outdir/windows/$name.headers"); then
    echo "$name: the same from both ($(stat -c %s "$outdir/windows/$name") bytes)"
  else
    echo "$name: the servers' answers differ" >&2
    diff <(headers "$outdir/linux/$name.headers") <(headers "$outdir/windows/$name.headers") >&2 || true
    cmp "$outdir/linux/$name" "$outdir/windows/$name" >&2 || true
    status=1
  fi
done
exit $status
