#!/usr/bin/env bash
# The resources of Windows executables, read with wrestool (icoutils): each
# carries the program's icon, every picture of ICON (16 to 256 pixels), and
# version information with the product's name and VERSION; a program of the
# build carries the icon under the name "MORVA_Reporter" (resource names
# know no case: windres keeps them in capitals).
#
# Usage: resource-check.sh ICON VERSION [--named] EXE...
set -euo pipefail
icon=$1
version=$2
shift 2
named=""
if [ "${1:-}" = "--named" ]; then
  named=yes
  shift
fi

fail() {
  echo "resource check: $*" >&2
  exit 1
}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/expected"
icotool -x -o "$scratch/expected" "$icon"
expected_sizes=$(icotool -l "$icon" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')

for exe in "$@"; do
  name=$(basename "$exe")
  listing=$(wrestool -l "$exe")
  if [ -n "$named" ]; then
    grep -qi -- "--type=14 --name='MORVA_Reporter'" <<<"$listing" ||
      fail "$name has no icon named MORVA_Reporter: $listing"
  fi
  grep -q -- "--type=16 " <<<"$listing" || fail "$name has no version information"

  # The first icon group, the one Explorer shows, is the program's icon.
  group=$(grep -m 1 -- "--type=14 " <<<"$listing" | sed -n "s/.*--name=\([^ ]*\).*/\1/p" | tr -d "'")
  [ -n "$group" ] || fail "$name has no icon"
  wrestool -x --type=14 --name="$group" "$exe" >"$scratch/shown.ico"
  rm -rf "$scratch/shown"
  mkdir "$scratch/shown"
  icotool -x -o "$scratch/shown" "$scratch/shown.ico"
  sizes=$(icotool -l "$scratch/shown.ico" | sed -n 's/.*--width=\([0-9]*\).*/\1/p' | sort -n | tr '\n' ' ')
  [ "$sizes" = "$expected_sizes" ] || fail "$name's icon has the sizes $sizes, not $expected_sizes"
  for picture in "$scratch/expected"/*.png; do
    size=$(basename "$picture" | sed 's/.*_\([0-9]*x[0-9]*\)x[0-9]*\.png$/\1/')
    shown=$(ls "$scratch/shown"/*_"$size"x*.png 2>/dev/null | head -n 1)
    [ -n "$shown" ] && cmp -s <(pngtopnm -alpha "$picture") <(pngtopnm -alpha "$shown") &&
      cmp -s <(pngtopnm "$picture") <(pngtopnm "$shown") ||
      fail "$name's $size icon is not the program's"
  done

  # Version information: UTF-16 strings, read as text.
  wrestool -x --raw --type=16 "$exe" >"$scratch/version.bin"
  python3 -c 'import re, sys; print("\n".join(re.findall(r"[ -~]+", open(sys.argv[1], "rb").read().decode("utf-16-le", "replace"))))' \
    "$scratch/version.bin" >"$scratch/version.txt"
  for text in ProductName MORVA_Reporter ProductVersion FileVersion "$version" LegalCopyright MORVA; do
    grep -q -- "$text" "$scratch/version.txt" || fail "$name's version information has no '$text'"
  done
  echo "$name: icon $group ($sizes pixels), version $version"
done
