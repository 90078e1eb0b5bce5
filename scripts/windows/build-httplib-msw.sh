#!/usr/bin/env bash
# Gathers the web view's header-only libraries for Windows into a cache
# directory outside the clone keyed by their Debian versions
# (scripts/windows/cached-build.sh): nothing is compiled, the reader's
# build compiles them.
# - cpp-httplib's header from Debian's source package `cpp-httplib` with
#   Debian's patches applied (they carry security fixes; Debian's own
#   header in /usr/include is the declarations half of its shared library,
#   which has no Windows build);
# - nlohmann-json's headers and CMake package from Debian's
#   architecture-independent nlohmann-json3-dev, as installed here (the
#   same files the Linux build compiles).
# A second run finds the finished prefix and returns at once. Prints the
# prefix (include/httplib.h, include/nlohmann/,
# share/cmake/nlohmann_json/) as its last line.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/cached-build.sh"

cached_prefix httplib-mingw libcpp-httplib-dev nlohmann-json3-dev

build() {
  # The whole source package, unpacked by dpkg-source with Debian's
  # patches, not only the upstream tarball.
  fetch_source
  local src
  src="$(find "$work" -maxdepth 1 -type d -name "${source_package}-*" | head -n1)"
  [ -n "$src" ] && [ -f "$src/httplib.h" ] || { echo "no unpacked $source_package source in $work" >&2; exit 1; }
  if [ -s "$src/debian/patches/series" ]; then
    # dpkg-source records what it applied; every patch of the series must be in.
    local patch
    while read -r patch; do
      [ -z "$patch" ] || [[ $patch == \#* ]] && continue
      grep -qxF -e "$patch" "$src/.pc/applied-patches" ||
        { echo "Debian's patch $patch is not applied" >&2; exit 1; }
    done <"$src/debian/patches/series"
  fi
  mkdir -p "$prefix/include" "$prefix/share/cmake"
  cp "$src/httplib.h" "$prefix/include/"
  cp -r /usr/include/nlohmann "$prefix/include/"
  cp -r /usr/share/cmake/nlohmann_json "$prefix/share/cmake/"
}

cached_build build
