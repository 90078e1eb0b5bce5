#!/usr/bin/env bash
# Packs what a Windows operator unpacks and runs: the window and the
# headless reader, the message catalogs, the help page, the licence and a
# short readme; and the installer of the same files with the programs' icon
# (packaging/windows/morva_reporter.nsi).
#
# Usage: package.sh CROSS_BUILD_DIR OUTDIR
#   writes OUTDIR/MORVA_Reporter-windows.zip and
#   OUTDIR/MORVA_Reporter-<version>-windows-installer.exe (prints its path last)
# WX_MSW_PREFIX, when set, is the cross wxWidgets whose catalogs go along.
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
for exe in app/morva_reporter.exe cli/morva_reporter_cli.exe; do
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
# The toolkit's own texts for the languages the program speaks.
wx_locale=${WX_MSW_PREFIX:-}/share/locale
for lang in ru uk; do
  if [ -n "${WX_MSW_PREFIX:-}" ] && [ -f "$wx_locale/$lang/LC_MESSAGES/wxstd-3.2.mo" ]; then
    mkdir -p "$dir/locale/$lang/LC_MESSAGES"
    cp "$wx_locale/$lang/LC_MESSAGES/wxstd-3.2.mo" "$dir/locale/$lang/LC_MESSAGES/"
  fi
done
if [ -f help/index.htm ]; then
  mkdir -p "$dir/help"
  cp -r help/. "$dir/help/"
fi
perl -pe 's/\n/\r\n/' LICENSE >"$dir/LICENSE.txt"

{
  echo "MORVA_Reporter for Windows"
  echo "=========================="
  echo
  echo "Unpack this folder anywhere. The programs keep their settings in"
  echo "morva_reporter.ini in the folder they are started from (the working"
  echo "directory), so start them from a folder you can write to."
  echo
  if [ -f "$dir/morva_reporter.exe" ]; then
    echo "  morva_reporter.exe      the window: choose the COM port and baud rate;"
    echo "                          \"Get data\" reads the unit's memory into a report,"
    echo "                          \"Clear unit memory\" erases it."
  fi
  echo "  morva_reporter_cli.exe  the reader for a command prompt and for scripts:"
  echo "                            morva_reporter_cli read --port COM3 --format html"
  echo "                            morva_reporter_cli --help"
  [ -d "$dir/locale" ] && echo "  locale\\                 texts in Russian and Ukrainian"
  [ -f "$dir/help/index.htm" ] && echo "  help\\index.htm          the help page (help\\ru\\, help\\uk\\: Russian, Ukrainian)"
  echo "  LICENSE.txt             the licence (MIT)"
  echo
  echo "Reports open with the application Windows associates with their type."
} >"$dir/README.txt"
perl -pi -e 's/\n/\r\n/' "$dir/README.txt"

mkdir -p "$outdir"
zip_file=$outdir/MORVA_Reporter-windows.zip
rm -f "$zip_file"
(cd "$stage" && zip -q -r -X "$zip_file" MORVA_Reporter)
echo "Package: $zip_file"
unzip -l "$zip_file" | tail -n +4 | head -n -2

# The installer: the window and the reader, the catalogs, the help page and
# the licence, with the icon the build made.
[ -f "$dir/morva_reporter.exe" ] && [ -f "$dir/morva_reporter_cli.exe" ] ||
  { echo "no installer without both programs" >&2; exit 1; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || { echo "no project version in $build/CMakeCache.txt" >&2; exit 1; }
icon=$build/morva_reporter.ico
[ -f "$icon" ] || { echo "no $icon" >&2; exit 1; }
copyright=$(grep -m 1 '^Copyright ' LICENSE)

# Every file of locale\ and help\, for the installer to write and the
# uninstaller to remove one by one: a folder the user chose may hold others.
files=$stage/files.nsh
{
  echo '!macro MORVA_INSTALL_FILES'
  (cd "$dir" && find locale help -type d | LC_ALL=C sort) | while read -r folder; do
    echo "  SetOutPath \"\$INSTDIR\\${folder//\//\\}\""
    (cd "$dir" && find "$folder" -maxdepth 1 -type f | LC_ALL=C sort) | while read -r file; do
      echo "  File \"$dir/$file\""
    done
  done
  echo '!macroend'
  echo '!macro MORVA_UNINSTALL_FILES'
  (cd "$dir" && find locale help -type f | LC_ALL=C sort) | while read -r file; do
    echo "  Delete \"\$INSTDIR\\${file//\//\\}\""
  done
  (cd "$dir" && find locale help -type d | LC_ALL=C sort -r) | while read -r folder; do
    echo "  RMDir \"\$INSTDIR\\${folder//\//\\}\""
  done
  echo '!macroend'
} >"$files"

installer=$outdir/MORVA_Reporter-$version-windows-installer.exe
makensis -V2 -DVERSION="$version" -DSTAGE="$dir" -DOUTFILE="$installer" -DICON="$icon" \
  -DCOPYRIGHT="$copyright" -DFILES="$files" "$root/packaging/windows/morva_reporter.nsi"
echo "Installer: $installer ($(stat -c %s "$installer") bytes)"
echo "$installer"
