#!/usr/bin/env bash
# Builds SQLite for Windows (a static library) with the mingw-w64 posix
# toolchain from Debian's own source package, into a cache directory outside
# the clone keyed by the source version (scripts/windows/cached-build.sh).
# The amalgamation (sqlite3.c) is made on this machine with the source's own
# tools (tclsh), then compiled for Windows. A second run finds the finished
# build and returns at once. Prints the prefix (the directory that holds
# include/sqlite3.h and lib/libsqlite3.a) as its last line.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/cached-build.sh"

cached_prefix sqlite-mingw libsqlite3-dev

build() {
  # Debian's patches concern its own command-line shell and packaging; the
  # library is the upstream one, so the upstream tarball is enough.
  fetch_upstream
  cd "$work/src"
  ./configure --disable-tcl
  nice -n 19 make sqlite3.c
  mkdir -p "$work/out"
  nice -n 19 "$host-gcc-posix" -O2 -c sqlite3.c -o "$work/out/sqlite3.o" \
    -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_DEFAULT_FOREIGN_KEYS=0
  "$host-ar" rcs "$work/out/libsqlite3.a" "$work/out/sqlite3.o"
  mkdir -p "$prefix/include" "$prefix/lib"
  cp sqlite3.h sqlite3ext.h "$prefix/include/"
  cp "$work/out/libsqlite3.a" "$prefix/lib/"
}

cached_build build
