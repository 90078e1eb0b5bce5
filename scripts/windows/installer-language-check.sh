#!/usr/bin/env bash
# The installer started in a locale of another language, as on a Windows of
# that language: it offers its languages with the system's chosen, and once
# that choice is taken its first page speaks the language (the caption
# holds TITLE_WORD); a screenshot of that page. The installer is closed
# there, before it installs anything.
#
# Usage: installer-language-check.sh INSTALLER LOCALE TITLE_WORD PAGE_PNG
#   LOCALE as ru_RU; its glibc locale is made in a scratch folder (LOCPATH).
# Wine's environment is the caller's: WINEPREFIX, and a running wineserver
# whose desktop is on DISPLAY (a private virtual display).
set -euo pipefail
installer=$(realpath "$1")
locale=$2
title_word=$3
screenshot=$4
source "$(dirname "$0")/window-shot.sh"

fail() {
  echo "installer language check: $*" >&2
  exit 1
}

scratch=$(mktemp -d)
setup=""
cleanup() {
  if [ -n "$setup" ]; then
    kill "$setup" 2>/dev/null || true
    wait "$setup" 2>/dev/null || true
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT

# The machine need not have the locale: made here, for these programs only.
mkdir "$scratch/locale"
localedef -i "$locale" -f UTF-8 "$scratch/locale/$locale.UTF-8" 2>/dev/null ||
  [ -d "$scratch/locale/$locale.UTF-8" ] || fail "cannot make the locale $locale.UTF-8"

LOCPATH=$scratch/locale LC_ALL=$locale.UTF-8 LANG=$locale.UTF-8 \
  wine "$installer" >/dev/null 2>&1 </dev/null &
setup=$!

# The language dialog, with the system's language chosen: taken as it is.
dialog=$(wait_window 90 "$setup" --name '^Installer Language$') || fail "no language dialog"
xdotool windowfocus --sync "$dialog" key Return

page=$(wait_window 60 "$setup" --name "$title_word") ||
  fail "no first page with '$title_word' in its caption" \
    "(shown: $(xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | tr '\n' ' '))"
echo "First page: $(xdotool getwindowname "$page")"
shoot_window "$page" "$screenshot"
echo "Screenshot $screenshot ($(stat -c %s "$screenshot") bytes)"

