#!/usr/bin/env bash
# Builds OpenSSL for Windows (static libcrypto and libssl, for libpq's TLS)
# with the mingw-w64 posix toolchain from Debian's own source package, into
# a cache directory outside the clone keyed by the source version
# (scripts/windows/cached-build.sh). Lean: the two libraries and their
# headers only, without the command-line program, tests, documentation,
# loadable modules or engines, and without the algorithms and protocols
# that a client of PostgreSQL never uses. A second run finds the finished
# build and returns at once. Prints the prefix (include/openssl/,
# lib/libssl.a, lib/libcrypto.a) as its last line.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/cached-build.sh"

cached_prefix openssl-mingw libssl-dev

build() {
  # Debian's patches concern its own paths and packaging; the libraries
  # are the upstream ones.
  fetch_upstream
  cd "$work/src"
  ./Configure mingw64 --cross-compile-prefix="$host-" --prefix="$prefix" --libdir=lib \
    no-shared no-module no-dso no-engine no-legacy no-tests no-ui-console \
    no-comp no-dtls no-srp no-srtp no-psk no-ct no-ocsp no-cms no-ts no-cmp \
    no-gost no-sm2 no-sm3 no-sm4 no-idea no-seed no-camellia no-aria no-whirlpool \
    no-mdc2 no-rc2 no-rc4 no-bf no-cast no-des
  # The configuration file that libpq has the libraries read sits where
  # only an administrator can write on Windows, never in a folder that any
  # user may make (the default, the prefix, would be a path of this
  # machine on the program's current drive). Configure takes no Windows
  # path for it, so make is told.
  local windows_dir="C:/Program Files/Common Files/SSL"
  nice -n 19 make -j2 build_libs OPENSSLDIR="$windows_dir" ENGINESDIR="$windows_dir/engines-3" \
    MODULESDIR="$windows_dir/ossl-modules"
  make install_dev
}

cached_build build
