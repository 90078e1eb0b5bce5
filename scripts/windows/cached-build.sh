# Sourced by the scripts that build a library for Windows with the mingw-w64
# posix toolchain (build-wx-msw.sh, build-sqlite-msw.sh, build-openssl-msw.sh,
# build-libpq-msw.sh, build-xlsxwriter-msw.sh, build-httplib-msw.sh,
# build-googletest.sh): the version, the place in the
# cache and the reuse of a finished build, the build's log, and Debian's
# source packages fetched through apt.
#
# A script sets its prefix with cached_prefix, defines a function that
# builds and installs into "$prefix" inside "$work", and ends with
# cached_build FUNCTION; the prefix is the last line it prints.
#
# Sources come through apt with deb-src entries derived at run time from
# this machine's own apt configuration, in a temporary list: the machine's
# apt configuration is never changed.

cache_root="${MORVA_CACHE:-/var/cache/morva_reporter}"
host=x86_64-w64-mingw32

# cached_prefix STEM PACKAGE [PACKAGE...]: sets version and source_package
# from the installed Debian package PACKAGE (the one the Linux build uses, so
# both builds agree) and prefix to STEM-<version> in the cache, the versions
# of any further packages that the prefix holds too appended with "_" (a new
# version of any of them makes a new prefix). When that prefix
# holds a finished build, prints it and ends the script; otherwise makes a
# scratch folder $work in the cache, removed when the script ends.
cached_prefix() {
  local stem=$1 package=$2 key more more_version
  version="$(dpkg-query -W -f='${source:Version}' "$package" 2>/dev/null || true)"
  source_package="$(dpkg-query -W -f='${source:Package}' "$package" 2>/dev/null || true)"
  if [ -z "$version" ] || [ -z "$source_package" ]; then
    echo "$package is not installed (scripts/setup-debian.sh installs it)" >&2
    exit 1
  fi
  key=$version
  for more in "${@:3}"; do
    more_version="$(dpkg-query -W -f='${source:Version}' "$more" 2>/dev/null || true)"
    [ -n "$more_version" ] || { echo "$more is not installed (scripts/setup-debian.sh installs it)" >&2; exit 1; }
    key+="_$more_version"
  done
  prefix="$cache_root/$stem-$key"
  if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
  fi
  mkdir -p "$cache_root"
  work="$(mktemp -d "$cache_root/$stem-build.XXXXXX")"
  trap 'rm -rf "$work"' EXIT
}

# cached_build FUNCTION: runs FUNCTION in $work with its output in
# $work/build.log, stopping at its first failing command (whose log's tail
# then goes to standard error); marks the prefix finished and prints it.
cached_build() {
  rm -rf "$prefix"
  local status
  set +e
  (
    set -e
    cd "$work"
    "$1"
  ) >"$work/build.log" 2>&1
  status=$?
  set -e
  if [ "$status" -ne 0 ]; then
    echo "building $prefix failed; the end of its log:" >&2
    tail -n 60 "$work/build.log" >&2
    exit 1
  fi
  touch "$prefix/.complete"
  echo "$prefix"
}

# The options that point apt at the derived deb-src list in $work.
apt_source_options() {
  local parts="$work/sourceparts" lists="$work/lists"
  if [ ! -d "$lists" ]; then
    derive_sources "$parts"
    mkdir -p "$lists/partial"
  fi
  apt_opts=(
    -o "Dir::Etc::sourcelist=/dev/null"
    -o "Dir::Etc::sourceparts=$parts"
    -o "Dir::State::Lists=$lists"
    -o "Dir::Cache::pkgcache="
    -o "Dir::Cache::srcpkgcache="
    -o "APT::Sandbox::User=root"
  )
}

# Turn every enabled apt source of this machine into its deb-src twin, in a
# temporary list.
derive_sources() {
  local parts="$1"
  mkdir -p "$parts"
  local f n=0
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    n=$((n + 1))
    sed -E 's/^Types:.*/Types: deb-src/' "$f" > "$parts/derived-$n.sources"
  done
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    n=$((n + 1))
    sed -nE 's/^[[:space:]]*deb([[:space:]])/deb-src\1/p' "$f" > "$parts/derived-$n.list"
  done
}

# fetch_source: fetches and unpacks the source package $source_package at
# $version (else the newest there is) into $work, Debian's patches applied.
fetch_source() {
  local apt_opts
  apt_source_options
  apt-get "${apt_opts[@]}" update -qq
  (cd "$work" &&
    { apt-get "${apt_opts[@]}" source -qq "$source_package=$version" ||
      apt-get "${apt_opts[@]}" source -qq "$source_package"; })
}

# fetch_upstream: fetches only the upstream tarball of $source_package at
# $version (else the newest there is) into $work, checked against the hash
# that the archive's signed index gives, and unpacks it into $work/src.
# For libraries whose Debian patches concern only Debian's own packaging:
# the packaging files are not needed (nor always on the mirror).
fetch_upstream() {
  local apt_opts uris line uri file size hash
  apt_source_options
  apt-get "${apt_opts[@]}" update -qq
  uris="$(apt-get "${apt_opts[@]}" source -qq --print-uris "$source_package=$version" 2>/dev/null ||
    apt-get "${apt_opts[@]}" source -qq --print-uris "$source_package")"
  line="$(grep -E "^'[^']*\.orig\.tar\.[a-z0-9]+' " <<<"$uris" | head -n1)"
  [ -n "$line" ] || { echo "no upstream tarball of $source_package in: $uris" >&2; return 1; }
  read -r uri file size hash <<<"$line"
  /usr/lib/apt/apt-helper download-file "${uri//\'/}" "$work/$file" "$hash"
  mkdir -p "$work/src"
  tar -xf "$work/$file" -C "$work/src" --strip-components=1
}
