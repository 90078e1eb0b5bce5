#!/usr/bin/env bash
# Builds GoogleTest from Debian's sources (/usr/src/googletest) with the
# mingw-w64 toolchain, into a cache directory outside the clone keyed by the
# package version. A second run returns at once. Prints the prefix.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
cache_root="${MORVA_CACHE:-/var/cache/morva_reporter}"
version="$(dpkg-query -W -f='${Version}' googletest)"
prefix="$cache_root/googletest-mingw-$version"

if [ -f "$prefix/.complete" ]; then
  echo "$prefix"
  exit 0
fi

mkdir -p "$cache_root"
work="$(mktemp -d "$cache_root/googletest-build.XXXXXX")"
trap 'rm -rf "$work"' EXIT

{
  cmake -S /usr/src/googletest -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF
  nice -n 19 cmake --build "$work" -j2
  rm -rf "$prefix"
  cmake --install "$work"
  touch "$prefix/.complete"
} > "$work/build.log" 2>&1 || { tail -n 40 "$work/build.log" >&2; exit 1; }
echo "$prefix"
