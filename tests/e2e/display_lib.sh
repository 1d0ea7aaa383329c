# A private X display with a window manager, for the end-to-end tests and the live benchmarks.

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
