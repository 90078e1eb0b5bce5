#!/usr/bin/env bash
# Takes the README's pictures of the window, in English and in Russian, on
# a private virtual X server: docs/screenshots/window-english.png and
# window-russian.png. Builds the program first if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

# xdotool finds the window, netpbm turns its picture into a PNG.
bash scripts/setup-debian.sh xdotool netpbm
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)" --target morva_reporter >/dev/null

out=$root/docs/screenshots
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# shoot LANGUAGE: one start of the window in that language, its picture,
# then a close as a logout would.
shoot() {
  local language=$1 dir=$work/$1
  mkdir -p "$dir/home"
  printf '[i18n]\nLanguage=%s\n[communication]\nserial_port=1\n[report]\nfolder=/home/operator/reports\n' \
    "$language" >"$dir/morva_reporter.ini"
  (cd "$dir" && HOME="$dir/home" exec "$root/build/app/morva_reporter") &
  local program=$! window=""
  for _ in $(seq 300); do
    window=$(xdotool search --onlyvisible --pid "$program" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$program" 2>/dev/null || { echo "the window did not start" >&2; return 1; }
    sleep 0.1
  done
  [ -n "$window" ] || { echo "no window appeared" >&2; kill "$program"; return 1; }
  # Let the toolkit finish its first drawing.
  sleep 1
  xwd -silent -id "$window" | xwdtopnm 2>/dev/null | pnmtopng -compression 9 >"$out/window-$language.png"
  kill -TERM "$program"
  wait "$program" || true
  echo "docs/screenshots/window-$language.png"
}

export -f shoot
export root out work
bash tests/app/with-xvfb.sh bash -c 'shoot english && shoot russian'
