#!/usr/bin/env bash
# Reads the simulated unit with the Linux reader (on the unit's
# pseudo-terminal) and with the Windows reader under Wine (on COM1, which
# Wine maps to the same pseudo-terminal), in every report format, and fails
# unless each pair of reports is the same apart from the time in the title.
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

# The title is "Report on <date> <time> - MORVA_Reporter" in every format.
normalised() {
  perl -pe 's/Report on .*? - MORVA_Reporter/Report on TIME - MORVA_Reporter/g' "$1"
}

only_report() {
  local found=("$1"/report_*."$2")
  [ ${#found[@]} -eq 1 ] && [ -f "${found[0]}" ] || { echo "no single $2 report in $1" >&2; return 1; }
  echo "${found[0]}"
}

status=0
for format in rtf html txt csv; do
  rm -f "$outdir"/linux/* "$outdir"/windows/*
  (cd "$outdir/linux" && "$linux_cli" read --port "$pty" --baud 115200 --format "$format" --folder . \
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
exit $status
