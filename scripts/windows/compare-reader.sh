#!/usr/bin/env bash
# Reads the simulated unit with the Linux reader (on the unit's
# pseudo-terminal) and with the Windows reader under Wine (on COM1, which
# Wine maps to the same pseudo-terminal), in every report format, and fails
# unless each pair of reports is the same apart from the time in the title;
# the Excel workbooks, read back with openpyxl, must hold the same table
# sheets (their "Reading" sheets tell each its own port and station).
#
# Both keep their readings in an archive: the Linux reader in OUTDIR, the
# Windows reader in its default place under Wine's %LOCALAPPDATA%. Last, the
# csv reading is exported again from each archive by each reader, and the
# two exports must be the same.
#
# Usage: compare-reader.sh LINUX_CLI WINDOWS_CLI_EXE PTY OUTDIR
# Wine's environment (WINEPREFIX with COM1 mapped, a running wineserver)
# is the caller's.
set -euo pipefail
linux_cli=$1
windows_cli=$2
pty=$3
outdir=$4

rm -rf "$outdir"
mkdir -p "$outdir/linux" "$outdir/windows"

# The title is "Report on <date> <time> - MORVA_Reporter" in every format;
# a workbook is compared by what openpyxl reads in its table sheets.
normalised() {
  case "$1" in
    *.xlsx) /usr/bin/python3 "$(dirname "${BASH_SOURCE[0]}")/../../tests/insight/read_workbook.py" "$1" |
      grep -v -e $'^sheet\tReading$' -e $'\tReading\t' ;;
    *) perl -pe 's/Report on .*? - MORVA_Reporter/Report on TIME - MORVA_Reporter/g' "$1" ;;
  esac
}

only_report() {
  local found=("$1"/report_*."$2")
  [ ${#found[@]} -eq 1 ] && [ -f "${found[0]}" ] || { echo "no single $2 report in $1" >&2; return 1; }
  echo "${found[0]}"
}

status=0
for format in rtf html txt csv xlsx; do
  rm -f "$outdir"/linux/* "$outdir"/windows/*
  (cd "$outdir/linux" && "$linux_cli" read --port "$pty" --baud 115200 --format "$format" --folder . \
    --archive "$outdir/linux.sqlite" \
    >/dev/null 2>"$outdir/linux.err") || { cat "$outdir/linux.err" >&2; exit 1; }
  begin=$(date +%s%N)
  (cd "$outdir/windows" && wine "$windows_cli" read --port COM1 --baud 115200 --format "$format" --folder . \
    >/dev/null 2>"$outdir/windows.err") || { cat "$outdir/windows.err" >&2; exit 1; }
  ms=$(( ($(date +%s%N) - begin) / 1000000 ))
  linux_report=$(only_report "$outdir/linux" "$format")
  windows_report=$(only_report "$outdir/windows" "$format")
  if cmp -s <(normalised "$linux_report") <(normalised "$windows_report"); then
    echo "$format: the same report ($(stat -c %s "$windows_report") bytes; Windows reader $ms ms)"
  else
    echo "$format: the reports differ" >&2
    diff <(normalised "$linux_report") <(normalised "$windows_report") | head -n 20 >&2 || true
    status=1
  fi
  cp "$linux_report" "$outdir/last-linux.$format"
  cp "$windows_report" "$outdir/last-windows.$format"
done
# The newest kept reading of each archive is the csv one.
mkdir -p "$outdir/export-linux" "$outdir/export-windows"
newest_linux=$("$linux_cli" archive list --archive "$outdir/linux.sqlite" | head -n 1 | cut -f 1)
newest_windows=$(wine "$windows_cli" archive list </dev/null | tr -d '\r' | head -n 1 | cut -f 1)
(cd "$outdir/export-linux" && "$linux_cli" archive export "$newest_linux" --format csv --folder . \
  --archive "$outdir/linux.sqlite" >/dev/null 2>"$outdir/linux.err") || { cat "$outdir/linux.err" >&2; exit 1; }
(cd "$outdir/export-windows" && wine "$windows_cli" archive export "$newest_windows" --format csv --folder . \
  >/dev/null 2>"$outdir/windows.err" </dev/null) || { cat "$outdir/windows.err" >&2; exit 1; }
linux_export=$(only_report "$outdir/export-linux" csv)
windows_export=$(only_report "$outdir/export-windows" csv)
if cmp -s "$linux_export" "$windows_export" && cmp -s "$linux_export" "$outdir/last-linux.csv"; then
  echo "archive export: the same csv report from both archives, equal to the reading's"
else
  echo "archive export: the exported reports differ" >&2
  status=1
fi
exit $status
