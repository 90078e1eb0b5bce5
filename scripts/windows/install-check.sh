#!/usr/bin/env bash
# The installer under Wine, as a Windows operator meets it: a silent install
# (/S) for all users; the installed reader reads the simulated unit (COM1)
# into the same reports as the Linux reader; the window starts as its
# Start-menu shortcut starts it and keeps its settings and reports in
# Documents\MORVA_Reporter, made on that first start; the reader is on the
# PATH only after an install with the box ticked (/PATH); a silent uninstall
# leaves no program file, shortcut, entry or PATH change behind, and the
# user's settings and reports where they were.
#
# Usage: install-check.sh INSTALLER LINUX_CLI PTY OUTDIR SCREENSHOT_PNG
# Wine's environment is the caller's: a WINEPREFIX in which nothing was
# installed yet, its COM1 mapped to PTY, a running wineserver whose desktop
# is on DISPLAY.
set -euo pipefail
installer=$(realpath "$1")
linux_cli=$2
pty=$3
outdir=$4
screenshot=$5
here=$(cd "$(dirname "$0")" && pwd)

fail() {
  echo "install check: $*" >&2
  exit 1
}

drive_c=$WINEPREFIX/drive_c
program_dir=$drive_c/Program\ Files/MORVA_Reporter
shortcut=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/MORVA_Reporter.lnk
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\MORVA_Reporter'
environment_key='HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment'
documents=$(wine cmd /c 'echo %USERPROFILE%\Documents' 2>/dev/null </dev/null | tr -d '\r')
work_dir=$(winepath -u "$documents\\MORVA_Reporter" 2>/dev/null)

system_path() { wine reg query "$environment_key" /v Path 2>/dev/null </dev/null | tr -d '\r' | sed -n 's/.*REG_[A-Z_]*SZ *//p'; }

install() {
  wine "$installer" /S "$@" </dev/null >/dev/null 2>&1 || fail "the silent install $* failed"
  [ -f "$program_dir/uninstall.exe" ] || fail "no uninstaller in $program_dir"
}

# The uninstaller copies itself away and returns at once: wait until it is done.
uninstall() {
  wine "$program_dir/uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the silent uninstall failed"
  local begin=$SECONDS
  while [ -e "$program_dir" ] || wine reg query "$uninstall_key" >/dev/null 2>&1 </dev/null; do
    ((SECONDS - begin < 60)) || fail "the uninstaller left $(find "$program_dir" 2>/dev/null | head -n 5)"
    sleep 0.2
  done
  [ ! -e "$shortcut" ] || fail "the uninstaller left the Start-menu shortcut"
}

path_before=$(system_path)

echo "Silent install"
install
for f in morva_reporter.exe morva_reporter_cli.exe help/index.htm \
  locale/ru/LC_MESSAGES/MORVA_Reporter.mo locale/uk/LC_MESSAGES/morva_velox.mo; do
  [ -f "$program_dir/$f" ] || fail "not installed: $f"
done
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
wine reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 </dev/null ||
  fail "no entry in the installed programs"
[ "$(system_path)" = "$path_before" ] || fail "the PATH changed without the box ticked"

echo "Installed reader against the simulated unit"
bash "$here/compare-reader.sh" "$linux_cli" "$program_dir/morva_reporter_cli.exe" "$pty" "$outdir/installed-reader"

echo "Installed window from its shortcut"
mapfile -t started < <(python3 "$here/shortcut.py" "$shortcut")
target=$(winepath -u "${started[0]}" 2>/dev/null)
start_dir=$(winepath -u "${started[1]}" 2>/dev/null)
[ "$target" -ef "$program_dir/morva_reporter.exe" ] || fail "the shortcut starts ${started[0]}"
echo "Shortcut: \"${started[0]}\" ${started[2]} in ${started[1]}"
# shellcheck disable=SC2086 # the shortcut's arguments, split as Windows splits these
bash "$here/window-check.sh" "$target" "$screenshot" "$start_dir" "$work_dir" ${started[2]}

echo "A report by the installed reader in the window's folder"
(cd "$work_dir" && wine "$program_dir/morva_reporter_cli.exe" read --port COM1 --baud 115200 --format txt \
  </dev/null >/dev/null 2>"$outdir/installed-reader.err") ||
  { cat "$outdir/installed-reader.err" >&2; fail "the installed reader failed in $work_dir"; }
reports=("$work_dir"/report_*.txt)
[ -f "${reports[0]}" ] || fail "no report in $work_dir"

echo "Silent uninstall"
uninstall
[ -f "$work_dir/morva_reporter.ini" ] && [ -f "${reports[0]}" ] ||
  fail "the uninstaller took the user's settings or reports"

echo "Install with the reader on the PATH, then uninstall"
install /PATH
on_path=$(cd "$drive_c" && wine cmd /c morva_reporter_cli --version </dev/null 2>/dev/null | tr -d '\r')
[ "$on_path" = "$("$linux_cli" --version)" ] || fail "morva_reporter_cli is not on the PATH: '$on_path'"
uninstall
[ "$(system_path)" = "$path_before" ] || fail "the uninstaller left the PATH as '$(system_path)'"
echo "Installed, ran and uninstalled; settings and reports stay in $documents\\MORVA_Reporter"
