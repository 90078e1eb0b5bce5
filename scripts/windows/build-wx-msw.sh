#!/usr/bin/env bash
# Builds wxWidgets 3.2 for Windows (the MSW port: unicode, static, monolithic)
# with the mingw-w64 posix toolchain from Debian's own source package, into a
# cache directory outside the clone keyed by the source version
# (scripts/windows/cached-build.sh). A second run finds the finished build
# and returns at once. Prints the prefix (the directory that holds
# bin/wx-config) as its last line.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/cached-build.sh"

cached_prefix wx-msw libwxgtk3.2-dev

build() {
  fetch_source
  local src
  src="$(find "$work" -maxdepth 1 -type d -name "${source_package}-*" | head -n1)"
  if [ -z "$src" ]; then
    src="$(find "$work" -maxdepth 1 -type d -name 'wxwidgets*' | head -n1)"
  fi
  [ -n "$src" ] || { echo "no unpacked $source_package source in $work" >&2; exit 1; }
  mkdir -p "$work/build"
  cd "$work/build"
  # Debian's repacked source leaves out the bundled zlib, libpng, libjpeg,
  # libtiff and expat: build without the image libraries and expat (and
  # what needs them), with zlib from libz-mingw-w64-dev.
  CC="$host-gcc-posix" CXX="$host-g++-posix" \
  "$src/configure" --host="$host" --build="$(gcc -dumpmachine)" \
    --prefix="$prefix" \
    --with-msw --enable-unicode --disable-shared --enable-monolithic \
    --with-zlib=sys --without-libpng --without-libjpeg --without-libtiff \
    --without-expat --without-regex --without-liblzma --without-libmspack \
    --disable-xrc --disable-richtext --disable-webview --disable-mediactrl \
    --disable-stc --disable-propgrid --disable-ribbon --disable-aui \
    --disable-svg --disable-gtktest \
    --disable-precomp-headers --disable-tests
  nice -n 19 make -j2
  make install
}

cached_build build
