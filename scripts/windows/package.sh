#!/usr/bin/env bash
# Packs what a Windows operator unpacks and runs: the window and the
# headless reader, the message catalogs, the help page and a short readme.
#
# Usage: package.sh CROSS_BUILD_DIR OUTDIR   (writes OUTDIR/MORVA_Reporter-windows.zip)
set -euo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
build=$1
outdir=$2

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
dir=$stage/MORVA_Reporter
mkdir -p "$dir"

found=0
for exe in app/morva_reporter.exe tools/morva_reporter_cli.exe; do
  if [ -f "$build/$exe" ]; then
    x86_64-w64-mingw32-strip -o "$dir/$(basename "$exe")" "$build/$exe"
    found=$((found + 1))
  fi
done
[ "$found" -gt 0 ] || { echo "no executables in $build" >&2; exit 1; }

# Catalogs as the build lays them out: locale/<lang>/LC_MESSAGES/<domain>.mo
if [ -d "$build/locale" ]; then
  cp -r "$build/locale" "$dir/"
fi
if [ -f help/index.htm ]; then
  mkdir -p "$dir/help"
  cp -r help/. "$dir/help/"
fi

cat >"$dir/README.txt" <<'TEXT'
MORVA_Reporter for Windows
==========================

Unpack this folder anywhere and start morva_reporter.exe. It keeps its
settings in morva_reporter.ini in the folder it is started from (the
working directory), so start it from a folder you can write to.

  morva_reporter.exe      the window: choose the COM port and baud rate,
                          "Get data" reads the unit's memory into a report,
                          "Clear unit memory" erases it.
  morva_reporter_cli.exe  the same from a command prompt, for scripts:
                            morva_reporter_cli read --port COM3 --format html
                            morva_reporter_cli --help
  locale\                 texts in Russian and Ukrainian
  help\index.htm          the help page (F1 in the window)

Reports open with the application Windows associates with their type.
TEXT
perl -pi -e 's/\n/\r\n/' "$dir/README.txt"

mkdir -p "$outdir"
zip_file=$outdir/MORVA_Reporter-windows.zip
rm -f "$zip_file"
(cd "$stage" && zip -q -r -X "$zip_file" MORVA_Reporter)
echo "Package: $zip_file"
unzip -l "$zip_file" | tail -n +4 | head -n -2
