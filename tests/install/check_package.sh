#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack from the build tree,
# unpacked into a scratch root, its files where Debian keeps them, every
# program of the same version, the installed reader reading the installed
# simulated unit into a report, the web view's systemd unit installed but
# neither enabled nor started (no maintainer scripts), sound to
# systemd-analyze and hardened (when installed), and lintian (when
# installed) with nothing above info to say.
#
# Usage: check_package.sh BUILD_DIR VERSION WITH_WINDOW(ON|OFF)
set -euo pipefail
build=$1
version=$2
with_window=$3

work=$(mktemp -d)
sim_pid=""
cleanup() {
  if [ -n "$sim_pid" ]; then
    kill "$sim_pid" 2>/dev/null || true
    wait "$sim_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "package check: $*" >&2
  exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
deb=$work/out/morva-reporter_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no $(basename "$deb") (only: $(ls "$work/out"))"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"

root=$work/root
dpkg -x "$deb" "$root"

doc=usr/share/doc/morva-reporter
expected=(
  usr/bin/morva_reporter_cli usr/bin/morva_unit_sim
  usr/share/man/man1/morva_reporter_cli.1.gz usr/share/man/man1/morva_unit_sim.1.gz
  "$doc/copyright" "$doc/changelog.gz" usr/share/lintian/overrides/morva-reporter
  usr/share/morva_reporter/sample-memory.txt usr/share/morva_reporter/help/index.htm
  usr/lib/systemd/system/morva-reporter-serve.service
)
programs=(morva_reporter_cli morva_unit_sim)
if [ "$with_window" = ON ]; then
  programs+=(morva_reporter)
  expected+=(usr/bin/morva_reporter usr/share/man/man1/morva_reporter.1.gz
    usr/share/applications/invalid.morva_reporter.morva_reporter.desktop
    usr/share/metainfo/invalid.morva_reporter.morva_reporter.metainfo.xml)
fi
for f in "${expected[@]}"; do
  [ -f "$root/$f" ] || fail "not in the package: $f"
done

# The changelog's latest entry is the package's version.
zcat "$root/$doc/changelog.gz" | head -n 1 | grep -qF "morva-reporter ($version)" ||
  fail "the changelog's latest entry is not $version"
# The reader's manual page tells every option, the exit codes, the settings and [ports].
page=$(zcat "$root/usr/share/man/man1/morva_reporter_cli.1.gz")
for text in '\-\-port' '\-\-baud' '\-\-format' '\-\-folder' '\-\-open' '\-\-trace' '\-\-yes' \
  '\-\-help' '\-\-version' 'EXIT STATUS' 'morva_reporter.ini' '[ports]'; do
  grep -qF -- "$text" <<<"$page" || fail "the reader's manual page does not mention $text"
done

for program in "${programs[@]}"; do
  shown=$("$root/usr/bin/$program" --version)
  [ "$shown" = "$program $version" ] || fail "$program --version: '$shown'"
done

# The installed reader against the installed simulated unit, which serves the
# installed sample memory by default.
coproc SIM { exec "$root/usr/bin/morva_unit_sim"; }
sim_pid=$SIM_PID
pty=""
read -r -t 30 pty <&"${SIM[0]}" || fail "the installed simulated unit did not start"
mkdir "$work/reports"
report=$(cd "$work/reports" && "$root/usr/bin/morva_reporter_cli" read --port "$pty" --baud 115200 \
  --format txt --folder "$work/reports" 2>"$work/reader.err" | tail -n 1) ||
  { cat "$work/reader.err" >&2; fail "the installed reader failed"; }
[ -f "$report" ] || fail "no report at '$report'"
grep -q 'Power on' "$report" || fail "the report does not hold the sample memory"
echo "installed reader: $(basename "$report"), $(wc -l <"$report") lines"

if command -v desktop-file-validate >/dev/null && [ "$with_window" = ON ]; then
  desktop-file-validate "$root/usr/share/applications/invalid.morva_reporter.morva_reporter.desktop" \
    >"$work/desktop.log" 2>&1 || { cat "$work/desktop.log" >&2; fail "desktop-file-validate found faults"; }
  [ ! -s "$work/desktop.log" ] || { cat "$work/desktop.log" >&2; fail "desktop-file-validate has notes"; }
fi
if command -v appstreamcli >/dev/null && [ "$with_window" = ON ]; then
  appstreamcli validate --no-net --explain \
    "$root/usr/share/metainfo/invalid.morva_reporter.morva_reporter.metainfo.xml" >"$work/appstream.log" 2>&1 ||
    { cat "$work/appstream.log" >&2; fail "appstreamcli validate found faults"; }
fi

# The web view's unit: the installed reader's server, installed only. A
# package without maintainer scripts enables and starts nothing: no
# postinst, no link into a target's wants.
unit=$root/usr/lib/systemd/system/morva-reporter-serve.service
grep -qx 'ExecStart=/usr/bin/morva_reporter_cli archive serve' "$unit" ||
  fail "the unit does not start the installed reader's server: $(grep '^ExecStart=' "$unit" || true)"
scripts=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | sed 's|^\./||' | grep -v -x -e '' -e control -e md5sums || true)
[ -z "$scripts" ] || fail "the package has maintainer scripts: $scripts"
[ ! -e "$root/etc/systemd" ] || fail "the package enables something: $(find "$root/etc/systemd")"
if command -v systemd-analyze >/dev/null; then
  # verify looks for the programs and manual pages the unit names on this
  # machine: a copy that starts the unpacked reader, its pages on MANPATH.
  mkdir "$work/units"
  sed "s|^ExecStart=/usr/bin/|ExecStart=$root/usr/bin/|" "$unit" >"$work/units/morva-reporter-serve.service"
  MANPATH=$root/usr/share/man systemd-analyze verify "$work/units/morva-reporter-serve.service" \
    >"$work/verify.log" 2>&1 || { cat "$work/verify.log" >&2; fail "systemd-analyze verify found faults"; }
  [ ! -s "$work/verify.log" ] || { cat "$work/verify.log" >&2; fail "systemd-analyze verify has notes"; }
  # Its exposure as systemd rates it (0 to 10; the threshold in tenths): 2 at most.
  systemd-analyze security --offline=yes --threshold=20 "$work/units/morva-reporter-serve.service" \
    >"$work/security.log" 2>&1 || { cat "$work/security.log" >&2; fail "the unit is exposed above 2"; }
  echo "unit: $(grep -o 'Overall exposure level.*' "$work/security.log")"
else
  echo "systemd-analyze is not installed: the unit was not verified"
fi

if command -v lintian >/dev/null; then
  # Info notes are fixed or overridden with their reason: none may be left.
  lintian --info --fail-on error,warning,info "$deb" >"$work/lintian.log" 2>&1 ||
    { cat "$work/lintian.log" >&2; fail "lintian has notes that are neither fixed nor overridden"; }
  echo "lintian: clean"
else
  echo "lintian is not installed: the package was not checked with it"
fi
