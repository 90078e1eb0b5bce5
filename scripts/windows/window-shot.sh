# Shared by the Windows checks (sourced): waiting for a window of Wine on the
# private display and taking its screenshot once it is painted.

# wait_window DEADLINE PID XDOTOOL_SEARCH_ARGS...: prints the first visible
# window that the search finds; fails when PID ends first or after DEADLINE s.
wait_window() {
  local deadline=$1 pid=$2 begin=$SECONDS window=""
  shift 2
  while :; do
    window=$(xdotool search --onlyvisible "$@" 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    kill -0 "$pid" 2>/dev/null || { echo "the program ended without showing its window" >&2; return 1; }
    ((SECONDS - begin < deadline)) || { echo "no window ($*) within $deadline s" >&2; return 1; }
    sleep 0.1
  done
  echo "$window"
}

# shoot_window WINDOW PNG: once two screenshots in a row show the window
# alike and in more than a few colours, the last one as PNG (a text field's
# blinking caret keeps three in a row from ever being alike).
shoot_window() {
  local window=$1 png=$2 scratch begin=$SECONDS same=0
  scratch=$(mktemp -d)
  xwd -silent -id "$window" >"$scratch/previous.xwd"
  while ((same < 1)); do
    if ((SECONDS - begin >= 30)); then
      rm -rf "$scratch"
      echo "window 0x$(printf '%x' "$window") was not painted within 30 s" >&2
      return 1
    fi
    sleep 0.2
    xwd -silent -id "$window" >"$scratch/window.xwd"
    if cmp -s "$scratch/previous.xwd" "$scratch/window.xwd" &&
      (($(xwdtopnm "$scratch/window.xwd" 2>/dev/null | ppmhist -noheader | wc -l) > 8)); then
      same=$((same + 1))
    else
      same=0
    fi
    mv "$scratch/window.xwd" "$scratch/previous.xwd"
  done
  mkdir -p "$(dirname "$png")"
  xwdtopnm "$scratch/previous.xwd" 2>/dev/null | pnmtopng -compression 9 >"$png"
  rm -rf "$scratch"
}

