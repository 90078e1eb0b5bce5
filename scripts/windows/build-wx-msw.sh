#!/usr/bin/env bash
# Builds wxWidgets 3.2 for Windows (the MSW port: unicode, static, monolithic)
# with the mingw-w64 posix toolchain from Debian's own source package, into a
# cache directory outside the clone keyed by the source version. A second
# run finds the finished build and returns at once. Prints the prefix (the
# directory that holds bin/wx-config) as its last line.
#
# The source comes through apt with deb-src entries derived at run time from
# this machine's own apt configuration, in a temporary list: the machine's
# apt configuration is never changed.
set -euo pipefail

cache_root="${MORVA_CACHE:-/var/cache/morva_reporter}"
host=x86_64-w64-mingw32
source_package=wxwidgets3.2

# The version of the toolkit that the Linux build uses, so both builds agree.
version="$(dpkg-query -W -f='${source:Version}' libwxgtk3.2-dev 2>/dev/null || true)"
if [ -z "$version" ]; then
  echo "libwxgtk3.2-dev is not installed (scripts/setup-debian.sh installs it)" >&2
  exit 1
fi
prefix="$cache_root/wx-msw-$version"

if [ -f "$prefix/.complete" ] && [ -x "$prefix/bin/wx-config" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache_root"
work="$(mktemp -d "$cache_root/wx-build.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/debian-source.sh"

configure_and_build() {
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
    --disable-precomp-headers --disable-tests \
    > "$work/configure.log" 2>&1 || { tail -n 40 "$work/configure.log" >&2; exit 1; }
  nice -n 19 make -j2 > "$work/make.log" 2>&1 || { tail -n 60 "$work/make.log" >&2; exit 1; }
  rm -rf "$prefix"
  make install > "$work/install.log" 2>&1 || { tail -n 40 "$work/install.log" >&2; exit 1; }
  touch "$prefix/.complete"
}

fetch_source >&2
configure_and_build >&2
echo "$prefix"
