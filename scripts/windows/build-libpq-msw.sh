#!/usr/bin/env bash
# Builds libpq, PostgreSQL's client library, for Windows (static libraries)
# with the mingw-w64 posix toolchain from Debian's own postgresql source
# package, with TLS through OpenSSL built the same way
# (scripts/windows/build-openssl-msw.sh), into a cache directory outside the
# clone keyed by the source version (scripts/windows/cached-build.sh). A
# second run finds the finished build and returns at once. Prints the prefix
# (include/libpq-fe.h, lib/libpq.a, lib/libpgcommon_shlib.a,
# lib/libpgport_shlib.a) as its last line.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/cached-build.sh"

cached_prefix libpq-openssl-mingw libpq-dev

build() {
  local openssl
  openssl="$(bash "$here/build-openssl-msw.sh" | tail -n 1)"
  # Debian's patches concern the server and its packaging; the client
  # library is the upstream one.
  fetch_upstream
  cd "$work/src"
  # The system libraries that the static libcrypto needs, for configure's
  # test programs.
  CC="$host-gcc-posix" AR="$host-ar" RANLIB="$host-ranlib" \
    CPPFLAGS="-I$openssl/include" LDFLAGS="-L$openssl/lib" LIBS="-lcrypt32 -lws2_32 -lgdi32 -ladvapi32 -luser32" \
    ./configure --host="$host" \
    --without-readline --without-zlib --without-icu --with-ssl=openssl --without-gssapi --without-ldap \
    --disable-nls
  nice -n 19 make -C src/include
  nice -n 19 make -C src/common libpgcommon_shlib.a
  nice -n 19 make -C src/port libpgport_shlib.a
  nice -n 19 make -C src/interfaces/libpq
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
  mkdir -p "$prefix/include" "$prefix/lib"
  cp src/interfaces/libpq/libpq-fe.h src/interfaces/libpq/libpq-events.h src/include/postgres_ext.h \
    src/include/pg_config_ext.h "$prefix/include/"
  cp src/interfaces/libpq/libpq-static.a "$prefix/lib/libpq.a"
  cp src/common/libpgcommon_shlib.a src/port/libpgport_shlib.a "$prefix/lib/"
}

cached_build build
