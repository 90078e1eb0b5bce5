# Sourced by scripts that need a private virtual X server.
#
# start_xvfb SCREEN: starts Xvfb with that screen (e.g. 1280x1024x24) on a
# display it picks itself (-displayfd), so any number of them can run side
# by side; exports DISPLAY and sets xvfb_pid. Stopping it is the caller's:
# kill "$xvfb_pid"; wait "$xvfb_pid".
start_xvfb() {
  local screen=$1 display_file display=""
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3>"$display_file" 2>/dev/null &
  xvfb_pid=$!
  for _ in $(seq 200); do
    display=$(head -n 1 "$display_file" 2>/dev/null || true)
    [ -n "$display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.05
  done
  rm -f "$display_file"
  if [ -z "$display" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$display"
}
