# A private X display with a window manager, for the end-to-end tests and the live benchmarks, and
# the clean-up after them.

# start_display SIZE FIRST PIDS [Xvfb options...]: starts Xvfb at SIZE (WIDTHxHEIGHT) on the first
# free display number from FIRST, waits until it answers, starts openbox on it (window activation,
# so that keys reach the game window) and exports DISPLAY. The two processes' ids are added to the
# array named PIDS.
start_display() {
  local size=$1 n=$2
  local -n started=$3
  shift 3
  while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
  export DISPLAY=:$n
  Xvfb "$DISPLAY" "$@" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  started+=($!)
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  started+=($!)
}

# end_all PIDS DIR: ends the processes whose ids are in the array named PIDS (asked first, then
# killed) and removes the folder DIR.
end_all() {
  local -n running=$1
  for p in "${running[@]}"; do kill "$p" 2>/dev/null || true; done
  sleep 0.2
  for p in "${running[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$2"
}
