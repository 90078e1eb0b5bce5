# Sourced by the Windows builds of Debian's source packages: fetches the
# source package $source_package at $version (else the newest there is)
# into $work through apt, with deb-src entries derived at run time from this
# machine's own apt configuration in a temporary list: the machine's apt
# configuration is never changed.

# Turn every enabled apt source of this machine into its deb-src twin, in a
# temporary list: the machine's apt configuration is never changed.
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

# fetch_source [APT-GET SOURCE OPTION...], for example --download-only to
# leave the source packed.
fetch_source() {
  local parts="$work/sourceparts" lists="$work/lists"
  derive_sources "$parts"
  mkdir -p "$lists/partial"
  local apt_opts=(
    -o "Dir::Etc::sourcelist=/dev/null"
    -o "Dir::Etc::sourceparts=$parts"
    -o "Dir::State::Lists=$lists"
    -o "Dir::Cache::pkgcache="
    -o "Dir::Cache::srcpkgcache="
    -o "APT::Sandbox::User=root"
  )
  apt-get "${apt_opts[@]}" update -qq
  (cd "$work" &&
    { apt-get "${apt_opts[@]}" source -qq "$@" "$source_package=$version" ||
      apt-get "${apt_opts[@]}" source -qq "$@" "$source_package"; })
}
