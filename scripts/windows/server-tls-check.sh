#!/usr/bin/env bash
# The Windows reader and an archive server over TLS, under Wine: a
# throwaway cluster on 127.0.0.1 with ssl=on (morva_tls_cluster, its
# server certificate signed by a certificate authority of its own) takes
# the reading of a station whose place asks for sslmode=verify-full with
# that authority; a station that trusts another authority is refused with
# the reason and keeps its reading unsent in its file, which goes to the
# server once the station trusts the right authority. The password comes from a password file
# (PGPASSFILE), never from the place.
#
# Usage: server-tls-check.sh WINDOWS_CLI LINUX_CLI TLS_CLUSTER OUTDIR
# Wine's environment is the caller's: a WINEPREFIX with COM1 mapped to the
# simulated unit, a running wineserver.
set -euo pipefail
windows_cli=$1
linux_cli=$2
tls_cluster=$3
outdir=$4

fail() {
  echo "server TLS check: $*" >&2
  exit 1
}

rm -rf "$outdir"
mkdir -p "$outdir"
cluster=""
stop_cluster() {
  if [ -n "$cluster" ]; then
    kill "$cluster" 2>/dev/null || true
    wait "$cluster" 2>/dev/null || true
  fi
}
trap stop_cluster EXIT

"$tls_cluster" >"$outdir/cluster.txt" 2>"$outdir/cluster.err" &
cluster=$!
# Starting a cluster (initdb included) takes seconds; a loaded machine may
# take a minute.
for _ in $(seq 1200); do
  grep -qx ready "$outdir/cluster.txt" && break
  kill -0 "$cluster" 2>/dev/null || { cat "$outdir/cluster.err" >&2; fail "the cluster did not start"; }
  sleep 0.1
done
grep -qx ready "$outdir/cluster.txt" || fail "the cluster did not start within two minutes"
value() { sed -n "s/^$1=//p" "$outdir/cluster.txt"; }
port=$(value port)
socket=$(value socket)
echo "Cluster with TLS on 127.0.0.1:$port"

# Windows paths with forward slashes: libpq reads a backslash in a place
# as an escape.
windows_path() { winepath -w "$1" | tr '\\' /; }
export PGPASSFILE
PGPASSFILE=$(winepath -w "$(value pgpass)")
place() { # CA_CERTIFICATE
  echo "postgresql://morva_writer@127.0.0.1:$port/morva_test?sslmode=verify-full&sslrootcert=$(windows_path "$1")"
}

# A station: its own folder, settings and archive file.
station() { # NAME PLACE
  local dir="$outdir/$1"
  mkdir -p "$dir"
  printf '[archive]\r\npath=%s\r\nurl=%s\r\nstation=%s\r\n' "$(windows_path "$dir/archive.sqlite")" "$2" "$1" \
    >"$dir/morva_reporter.ini"
}
# run_in NAME EXPECTED_STATUS ARGUMENTS...: the Windows reader in the
# station's folder; its standard error, without carriage returns, in
# $outdir/NAME.err.
run_in() {
  local name=$1 expected=$2 status=0
  shift 2
  (cd "$outdir/$name" && wine "$windows_cli" "$@" </dev/null >/dev/null 2>"$outdir/$name.err") || status=$?
  sed -i 's/\r$//' "$outdir/$name.err"
  if [ "$status" -ne "$expected" ]; then
    cat "$outdir/$name.err" >&2
    fail "$name: $* ended with $status, not $expected"
  fi
}
readings_on_server() { # STATION
  "$linux_cli" archive list --archive "host=$socket port=$port dbname=morva_test user=morva_admin" </dev/null |
    awk -F '\t' -v station="$1" '$3 == station' | wc -l
}

station trusting "$(place "$(value ca)")"
run_in trusting 0 read --port COM1 --baud 115200 --format txt --folder .
# The reading itself or the sync after it carries it to the server.
run_in trusting 0 archive sync
[ "$(readings_on_server trusting)" -eq 1 ] || fail "the server does not hold the reading sent over TLS"
echo "verify-full with the server's authority: the reading is on the server"

station doubting "$(place "$(value other_ca)")"
run_in doubting 0 read --port COM1 --baud 115200 --format txt --folder .
run_in doubting 1 archive sync
grep -q "certificate verify failed" "$outdir/doubting.err" ||
  { cat "$outdir/doubting.err" >&2; fail "the refusal does not give its reason"; }
[ "$(readings_on_server doubting)" -eq 0 ] || fail "a reading reached the server through another authority"
echo "verify-full with another authority: refused ($(grep -o 'certificate verify failed' "$outdir/doubting.err" | head -n 1))"
# The reading waited in the station's file, unsent, and goes once the
# station trusts the right authority.
run_in doubting 0 archive sync --archive "$(place "$(value ca)")"
[ "$(readings_on_server doubting)" -eq 1 ] || fail "the refused reading was not kept to be sent later"
echo "the refused reading was sent later with the server's authority"
