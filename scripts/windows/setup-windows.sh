#!/usr/bin/env bash
# Installs the Debian packages that the Windows cross build and its tests
# under Wine need, with those of the Linux build. Quiet and quick when
# everything is already there.
set -euo pipefail

packages=(
  # mingw-w64 cross compiler with the posix thread model (std::thread, std::mutex)
  g++-mingw-w64-x86-64-posix
  # runs the cross-built programs and tests
  wine
  wine64
  # Wine's own fonts (Tahoma's stand-in, Marlett for the caption buttons):
  # the windows look as they do on Windows
  fonts-wine
  # zlib for the toolkit (its bundled copy is left out of Debian's source)
  libz-mingw-w64-dev
  # the window check: a virtual display, finding the window (xdotool,
  # xwininfo, xprop), its screenshot (xwd) turned into PNG (netpbm)
  xvfb
  x11-apps
  x11-utils
  xdotool
  netpbm
  # the operator's package and installer
  zip
  nsis
  # apt-get source unpacks with dpkg-source
  dpkg-dev
  # SQLite's amalgamation for the Windows build is made by its own Tcl scripts
  tcl
  # the programs' icon made from their pictures (icotool), the resources of
  # the built executables listed (wrestool)
  icoutils
  # host build of the native parts (simulated unit) and the toolkit's configure
  build-essential
  cmake
  ninja-build
  # GoogleTest sources and Boost headers used by the cross build
  googletest
  libboost-dev
  # the web view's check fetches the Windows and the Linux reader's pages
  curl
)

bash "$(dirname "$0")/../setup-debian.sh" "${packages[@]}"
