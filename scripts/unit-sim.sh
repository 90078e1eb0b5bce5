# Sourced by scripts that start the simulated unit from the project's root.
#
# start_unit_sim OUTPUT ARG...: starts build/tools/morva_unit_sim with those
# arguments, its standard output going to the file OUTPUT; sets unit_pid, and
# unit_port to the pseudo-terminal to open. Returns 1 when the unit did not
# start. Stopping it is the caller's: kill "$unit_pid"; wait "$unit_pid".
start_unit_sim() {
  local output=$1
  shift
  : >"$output"
  build/tools/morva_unit_sim "$@" >"$output" &
  unit_pid=$!
  unit_port=""
  for _ in $(seq 100); do
    unit_port=$(head -n 1 "$output")
    [ -n "$unit_port" ] && return 0
    kill -0 "$unit_pid" 2>/dev/null || break
    sleep 0.05
  done
  echo "the simulated unit did not start" >&2
  return 1
}
