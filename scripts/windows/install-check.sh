#!/usr/bin/env bash
# The installer under Wine, as a Windows operator meets it: a silent install
# (/S) for all users; the installer, the uninstaller and the installed
# programs carry the programs' icon and version; the installed reader reads
# the simulated unit (COM1) into the same reports as the Linux reader; the
# window starts as its Start-menu shortcut starts it and keeps its settings
# and reports in Documents\MORVA_Reporter, made on that first start, in the
# language the installer was run in (Russian, as an install in Russian keeps
# it; a silent install keeps none); a
# screenshot of the shortcut in its folder (Wine's file browser draws a
# stand-in for a shortcut's icon; the resources checked show it); a silent
# uninstall leaves no program file, shortcut or entry behind, the user's
# settings and reports where they were, and a file of the user's in the
# installation's folders; the reader's bin folder, alone, goes on the
# system Path only with the box ticked (/PATH) and off it again, and a Path
# the installer cannot change whole comes through install and uninstall
# byte for byte; started in a Russian locale, the installer speaks Russian
# (a screenshot of its first page).
#
# Usage: install-check.sh INSTALLER LINUX_CLI PTY OUTDIR SCREENSHOT_PNG ICON VERSION
# SCREENSHOT_PNG is the installed window's; the shortcut's and the Russian
# installer's go beside it. ICON is the programs' icon as the build made it.
# Wine's environment is the caller's: a WINEPREFIX in which nothing was
# installed yet, its COM1 mapped to PTY, a running wineserver whose desktop
# is on DISPLAY.
set -euo pipefail
installer=$(realpath "$1")
linux_cli=$2
pty=$3
outdir=$4
screenshot=$5
icon=$6
version=$7
here=$(cd "$(dirname "$0")" && pwd)
shots=$(dirname "$screenshot")

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
set_system_path() {
  wine reg add "$environment_key" /v Path /t REG_EXPAND_SZ /d "$1" /f </dev/null >/dev/null 2>&1 ||
    fail "could not set the system Path"
  [ "$(system_path)" = "$1" ] || fail "the system Path did not take the value set"
}

install() {
  wine "$installer" /S "$@" </dev/null >/dev/null 2>&1 || fail "the silent install $* failed"
  [ -f "$program_dir/uninstall.exe" ] || fail "no uninstaller in $program_dir"
}

# The uninstaller copies itself away and returns at once: wait until it is
# done (its entry gone). Then nothing may be left but the files named.
uninstall() {
  wine "$program_dir/uninstall.exe" /S </dev/null >/dev/null 2>&1 || fail "the silent uninstall failed"
  local begin=$SECONDS
  while [ -e "$program_dir/uninstall.exe" ] || wine reg query "$uninstall_key" >/dev/null 2>&1 </dev/null; do
    ((SECONDS - begin < 60)) || fail "the uninstaller left $(find "$program_dir" 2>/dev/null | head -n 5)"
    sleep 0.2
  done
  [ ! -e "$shortcut" ] || fail "the uninstaller left the Start-menu shortcut"
  local left
  left=$(cd "$program_dir" 2>/dev/null && find . ! -type d | sed 's|^\./||' | grep -vxF -e "${1:-}" || true)
  [ -z "$left" ] || fail "the uninstaller left $left"
}

path_before=$(system_path)

echo "Silent install"
install
for f in morva_reporter.exe bin/morva_reporter_cli.exe LICENSE.txt help/index.htm \
  locale/ru/LC_MESSAGES/MORVA_Reporter.mo locale/uk/LC_MESSAGES/morva_velox.mo; do
  [ -f "$program_dir/$f" ] || fail "not installed: $f"
done
[ ! -e "$program_dir/morva_reporter_cli.exe" ] || fail "the reader is installed beside the window, not in bin"
[ -f "$shortcut" ] || fail "no Start-menu shortcut"
wine reg query "$uninstall_key" /v UninstallString >/dev/null 2>&1 </dev/null ||
  fail "no entry in the installed programs"
[ "$(system_path)" = "$path_before" ] || fail "the PATH changed without the box ticked"

echo "Icons and versions of the installer, the uninstaller and the installed programs"
bash "$here/resource-check.sh" "$icon" "$version" "$installer" "$program_dir/uninstall.exe"
bash "$here/resource-check.sh" "$icon" "$version" --named "$program_dir/morva_reporter.exe" \
  "$program_dir/bin/morva_reporter_cli.exe"

echo "Installed reader against the simulated unit"
bash "$here/compare-reader.sh" "$linux_cli" "$program_dir/bin/morva_reporter_cli.exe" "$pty" \
  "$outdir/installed-reader"

# A silent install asks for no language and keeps none: the window speaks
# the system's. The installer run in Russian keeps 1049 in its entry, as
# set here, and the window started from its last page then speaks Russian,
# which it keeps in its settings as it closes.
wine reg query "$uninstall_key" /v InstallerLanguage >/dev/null 2>&1 </dev/null &&
  fail "the silent install kept a language"
wine reg add "$uninstall_key" /v InstallerLanguage /t REG_SZ /d 1049 /f >/dev/null 2>&1 </dev/null ||
  fail "could not keep the installer's language"

echo "Installed window from its shortcut, after an install in Russian"
mapfile -t started < <(python3 "$here/shortcut.py" "$shortcut")
target=$(winepath -u "${started[0]}" 2>/dev/null)
start_dir=$(winepath -u "${started[1]}" 2>/dev/null)
[ "$target" -ef "$program_dir/morva_reporter.exe" ] || fail "the shortcut starts ${started[0]}"
echo "Shortcut: \"${started[0]}\" ${started[2]} in ${started[1]}"
# shellcheck disable=SC2086 # the shortcut's arguments, split as Windows splits these
WINDOW_LANGUAGE=russian bash "$here/window-check.sh" "$target" "$screenshot" "$start_dir" "$work_dir" ${started[2]}

echo "The shortcut in the Start menu's folder"
bash "$here/shortcut-shot.sh" "$(dirname "$shortcut")" "$shots/shortcut-installed.png"

echo "A report by the installed reader in the window's folder"
(cd "$work_dir" && wine "$program_dir/bin/morva_reporter_cli.exe" read --port COM1 --baud 115200 --format txt \
  </dev/null >/dev/null 2>"$outdir/installed-reader.err") ||
  { cat "$outdir/installed-reader.err" >&2; fail "the installed reader failed in $work_dir"; }
reports=("$work_dir"/report_*.txt)
[ -f "${reports[0]}" ] || fail "no report in $work_dir"

echo "Silent uninstall"
# A file of the user's in a folder of the installation stays there.
echo "my notes" >"$program_dir/help/notes.txt"
uninstall help/notes.txt
[ -f "$work_dir/morva_reporter.ini" ] && [ -f "${reports[0]}" ] ||
  fail "the uninstaller took the user's settings or reports"
[ -f "$program_dir/help/notes.txt" ] || fail "the uninstaller took a file it had not written"
rm -rf "$program_dir"

echo "Install with the reader on the Path, then uninstall"
install /PATH
bin_dir='C:\Program Files\MORVA_Reporter\bin'
[ "$(system_path)" = "$path_before;$bin_dir" ] || fail "the Path after the install is '$(system_path)'"
on_path=$(cd "$drive_c" && wine cmd /c morva_reporter_cli --version </dev/null 2>/dev/null | tr -d '\r')
[ "$on_path" = "$("$linux_cli" --version)" ] || fail "morva_reporter_cli is not on the PATH: '$on_path'"
uninstall
[ "$(system_path)" = "$path_before" ] || fail "the uninstaller left the PATH as '$(system_path)'"

# Paths that the installer must leave alone: one longer than its strings
# hold (it cannot be read whole), and one that can be read but leaves no
# room for the entry. Each comes through install and uninstall byte for byte.
long_path() {
  local path=$path_before i=0
  while [ ${#path} -lt "$1" ]; do
    path="$path;C:\\Tools\\Engineering\\Folder$i"
    i=$((i + 1))
  done
  echo "${path:0:$1}"
}
for length in 1100 1010; do
  echo "Install with /PATH and uninstall with a system Path of $length characters"
  path=$(long_path "$length")
  set_system_path "$path"
  install /PATH
  [ "$(system_path)" = "$path" ] || fail "the install changed a Path of $length characters to '$(system_path)'"
  uninstall
  [ "$(system_path)" = "$path" ] || fail "the uninstall changed a Path of $length characters to '$(system_path)'"
done
set_system_path "$path_before"

echo "The installer in a Russian locale"
bash "$here/installer-language-check.sh" "$installer" ru_RU "Установка" "$shots/installer-ru.png"
echo "Installed, ran and uninstalled; settings and reports stay in $documents\\MORVA_Reporter"
