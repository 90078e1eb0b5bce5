#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, and any
# further packages named as arguments. Quiet and quick when everything is
# already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libwxgtk3.2-dev wx3.2-i18n libboost-dev
  googletest libgtest-dev libbenchmark-dev
  gettext python3 unrtf
  # the help pages' check reads the message catalogs
  python3-polib
  # the machine's serial ports, listed by name
  libserialport-dev
  # the archive of readings
  libsqlite3-dev
  # a reading as an Excel workbook; its tests read it back with openpyxl
  libxlsxwriter-dev
  python3-openpyxl
  # the archive's server home: libpq to reach PostgreSQL, and the server
  # itself (initdb, pg_ctl, postgres under /usr/lib/postgresql/<version>/bin)
  # for the throwaway clusters the tests start; its own cluster is left alone
  libpq-dev
  postgresql
  # the archive's web view: its HTTP(S) server, its interface's JSON, and
  # the browser and driver its tests open it with
  libcpp-httplib-dev nlohmann-json3-dev libssl-dev
  chromium-driver python3-selenium
  # the manual pages (help2man); the package's checks (lintian, appstreamcli,
  # desktop-file-validate)
  help2man lintian appstream desktop-file-utils
  # the changelog's version and date (dpkg-parsechangelog)
  dpkg-dev
  # rsvg-convert: redraws the pictures (scripts/draw-pictures.py); the build does not need it
  librsvg2-bin
  # clang with libFuzzer and the sanitizer runtimes, for the fuzz targets
  clang
  libclang-rt-14-dev
  # the window's tests run against a private virtual X server
  xvfb
  xauth
  # the window closes itself cleanly on SIGTERM through GLib's main loop
  libglib2.0-dev
  # a real browser (headless) draws the headless reader's SVG charts in the
  # tests (tests/archive/chartbrowser_test.cpp)
  chromium
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
