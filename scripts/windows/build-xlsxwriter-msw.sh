#!/usr/bin/env bash
# Builds libxlsxwriter for Windows (a static library) with the mingw-w64
# posix toolchain from Debian's own source package, with zlib from Debian's
# libz-mingw-w64-dev, into a cache directory outside the clone keyed by the
# source version (scripts/windows/cached-build.sh). A second run finds the
# finished build and returns at once. Prints the prefix (the directory that
# holds include/xlsxwriter.h and lib/libxlsxwriter.a) as its last line.
#
# Two choices differ from the library's defaults for MinGW:
# - files are opened by their wide names (_wfopen, minizip's wide Win32
#   file functions), as the library does when built with Microsoft's
#   compiler: the program hands it UTF-8 paths, so a folder of any language
#   works (the default for MinGW passes the bytes to fopen in the ANSI code
#   page);
# - numbers are written by the library's own locale-independent dtoa, not
#   by printf, whose decimal separator follows the locale;
# - no MD5 of its own (it tells inserted images apart by it; the program
#   inserts none), whose names would clash with OpenSSL's in the programs.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/cached-build.sh"

cached_prefix libxlsxwriter-mingw libxlsxwriter-dev

build() {
  # Debian's patches concern its packaging (the shared library, the system's
  # minizip); the library itself is the upstream one.
  fetch_upstream
  cd "$work/src"
  # MinGW defines _WIN32 too: keep it defined where the library opens files.
  sed -i '/^#ifdef __MINGW32__$/,/^#endif$/{/#undef _WIN32/d}' src/packager.c src/utility.c
  grep -q '#undef _WIN32' src/packager.c src/utility.c && { echo "the wide-name patch did not apply" >&2; exit 1; }
  mkdir -p "$work/out"
  local sources=(src/*.c third_party/minizip/ioapi.c third_party/minizip/zip.c third_party/minizip/iowin32.c
    third_party/tmpfileplus/tmpfileplus.c third_party/dtoa/emyg_dtoa.c)
  local source object objects=()
  for source in "${sources[@]}"; do
    object="$work/out/$(echo "$source" | tr '/' '_').o"
    nice -n 19 "$host-gcc-posix" -O2 -Iinclude -DUSE_DTOA_LIBRARY -DUSE_NO_MD5 -DNOCRYPT -DNOUNCRYPT \
      -c "$source" -o "$object"
    objects+=("$object")
  done
  "$host-ar" rcs "$work/out/libxlsxwriter.a" "${objects[@]}"
  mkdir -p "$prefix/include" "$prefix/lib"
  cp -r include/xlsxwriter.h include/xlsxwriter "$prefix/include/"
  cp "$work/out/libxlsxwriter.a" "$prefix/lib/"
  # zlib for Windows, from Debian's libz-mingw-w64-dev.
  cp "/usr/$host/lib/libz.a" "$prefix/lib/"
  cp "/usr/$host/include/zlib.h" "/usr/$host/include/zconf.h" "$prefix/include/"
}

cached_build build
