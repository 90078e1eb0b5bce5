#!/usr/bin/env bash
# Builds SQLite for Windows (a static library) with the mingw-w64 posix
# toolchain from Debian's own source package, into a cache directory outside
# the clone keyed by the source version, as build-wx-msw.sh does for the
# toolkit. The amalgamation (sqlite3.c) is made on this machine with the
# source's own tools (tclsh), then compiled for Windows. A second run finds
# the finished build and returns at once. Prints the prefix (the directory
# that holds include/sqlite3.h and lib/libsqlite3.a) as its last line.
set -euo pipefail

cache_root="${MORVA_CACHE:-/var/cache/morva_reporter}"
host=x86_64-w64-mingw32
source_package=sqlite3

# The version of SQLite that the Linux build uses, so both builds agree.
version="$(dpkg-query -W -f='${source:Version}' libsqlite3-dev 2>/dev/null || true)"
if [ -z "$version" ]; then
  echo "libsqlite3-dev is not installed (scripts/setup-debian.sh installs it)" >&2
  exit 1
fi
prefix="$cache_root/sqlite-mingw-$version"

if [ -f "$prefix/.complete" ] && [ -f "$prefix/lib/libsqlite3.a" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache_root"
work="$(mktemp -d "$cache_root/sqlite-build.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/debian-source.sh"

build() {
  # Debian's patches concern its own command-line shell and packaging; the
  # library is the upstream one, so the upstream tarball is enough.
  local orig
  orig="$(find "$work" -maxdepth 1 -name "${source_package}_*.orig.tar.*" ! -name '*-www*' | head -n1)"
  [ -n "$orig" ] || { echo "no $source_package source in $work" >&2; exit 1; }
  mkdir -p "$work/src"
  tar -xf "$orig" -C "$work/src" --strip-components=1
  cd "$work/src"
  ./configure --disable-tcl >/dev/null
  nice -n 19 make sqlite3.c >/dev/null
  mkdir -p "$work/out"
  nice -n 19 "$host-gcc-posix" -O2 -c sqlite3.c -o "$work/out/sqlite3.o" \
    -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_DEFAULT_FOREIGN_KEYS=0
  "$host-ar" rcs "$work/out/libsqlite3.a" "$work/out/sqlite3.o"
  rm -rf "$prefix"
  mkdir -p "$prefix/include" "$prefix/lib"
  cp sqlite3.h sqlite3ext.h "$prefix/include/"
  cp "$work/out/libsqlite3.a" "$prefix/lib/"
  touch "$prefix/.complete"
}

{
  fetch_source --download-only
  build
} > "$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; exit 1; }
echo "$prefix"
