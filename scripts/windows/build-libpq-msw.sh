#!/usr/bin/env bash
# Builds libpq, PostgreSQL's client library, for Windows (static libraries)
# with the mingw-w64 posix toolchain from Debian's own postgresql source
# package, into a cache directory outside the clone keyed by the source
# version, as build-sqlite-msw.sh does for SQLite. Without OpenSSL: this
# libpq speaks no TLS, and the program refuses a place that asks for it. A
# second run finds the finished build and returns at once. Prints the
# prefix (include/libpq-fe.h, lib/libpq.a, lib/libpgcommon_shlib.a,
# lib/libpgport_shlib.a) as its last line.
set -euo pipefail

cache_root="${MORVA_CACHE:-/var/cache/morva_reporter}"
host=x86_64-w64-mingw32

# The version of libpq that the Linux build uses, so both builds agree.
version="$(dpkg-query -W -f='${source:Version}' libpq-dev 2>/dev/null || true)"
source_package="$(dpkg-query -W -f='${source:Package}' libpq-dev 2>/dev/null || true)"
if [ -z "$version" ] || [ -z "$source_package" ]; then
  echo "libpq-dev is not installed (scripts/setup-debian.sh installs it)" >&2
  exit 1
fi
prefix="$cache_root/libpq-mingw-$version"

if [ -f "$prefix/.complete" ] && [ -f "$prefix/lib/libpq.a" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache_root"
work="$(mktemp -d "$cache_root/libpq-build.XXXXXX")"
trap 'rm -rf "$work"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/debian-source.sh"

build() {
  # Debian's patches concern the server and its packaging; the client
  # library is the upstream one.
  local orig
  orig="$(find "$work" -maxdepth 1 -name "${source_package}_*.orig.tar.*" | head -n1)"
  [ -n "$orig" ] || { echo "no $source_package source in $work" >&2; exit 1; }
  mkdir -p "$work/src"
  tar -xf "$orig" -C "$work/src" --strip-components=1
  cd "$work/src"
  CC="$host-gcc-posix" AR="$host-ar" RANLIB="$host-ranlib" ./configure --host="$host" \
    --without-readline --without-zlib --without-icu --without-openssl --without-gssapi --without-ldap \
    --disable-nls >/dev/null
  nice -n 19 make -C src/include >/dev/null
  nice -n 19 make -C src/common libpgcommon_shlib.a >/dev/null
  nice -n 19 make -C src/port libpgport_shlib.a >/dev/null
  nice -n 19 make -C src/interfaces/libpq >/dev/null
  # On Windows the makefiles' libpq.a is the import library of libpq.dll:
  # the static library is made of the objects themselves, without the
  # DLL's version resource, which would clash with the program's.
  rm -f src/interfaces/libpq/libpq.a
  find src/interfaces/libpq -maxdepth 1 -name '*.o' ! -name '*rc.o' ! -name 'win32ver.o' -print0 |
    xargs -0 "$host-ar" rcs src/interfaces/libpq/libpq-static.a
  # libpq brings a few pthread functions of its own, on types of its own;
  # the program links the toolchain's winpthreads. libpq's are renamed, in
  # it and in its calls, so that each side keeps its own.
  local fn
  for fn in pthread_self pthread_setspecific pthread_getspecific pthread_mutex_init pthread_mutex_lock \
    pthread_mutex_unlock; do
    echo "$fn pq_$fn"
  done >"$work/pthread-names"
  "$host-objcopy" --redefine-syms="$work/pthread-names" src/interfaces/libpq/libpq-static.a
  rm -rf "$prefix"
  mkdir -p "$prefix/include" "$prefix/lib"
  cp src/interfaces/libpq/libpq-fe.h src/interfaces/libpq/libpq-events.h src/include/postgres_ext.h \
    src/include/pg_config_ext.h "$prefix/include/"
  cp src/interfaces/libpq/libpq-static.a "$prefix/lib/libpq.a"
  cp src/common/libpgcommon_shlib.a src/port/libpgport_shlib.a "$prefix/lib/"
  touch "$prefix/.complete"
}

{
  fetch_source --download-only
  build
} > "$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; exit 1; }
echo "$prefix"
