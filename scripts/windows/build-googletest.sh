#!/usr/bin/env bash
# Builds GoogleTest from Debian's sources (/usr/src/googletest) with the
# mingw-w64 toolchain, into a cache directory outside the clone keyed by the
# package version (scripts/windows/cached-build.sh). A second run returns at
# once. Prints the prefix.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
source "$here/cached-build.sh"

cached_prefix googletest-mingw googletest

build() {
  cmake -S /usr/src/googletest -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON -Dgtest_disable_pthreads=OFF
  nice -n 19 cmake --build "$work/build" -j2
  cmake --install "$work/build"
}

cached_build build
