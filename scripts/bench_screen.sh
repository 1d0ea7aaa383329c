# Sourced by the live benchmarks: a private folder ($tmp, removed at the end with every process
# listed in pids); bench_screen SIZE, which starts Xvfb at SIZE on a free display with openbox
# (window activation, so that keys reach the game window) and exports what the program needs;
# wait_file and median.
tmp=$(mktemp -d /tmp/ktusko-bench-XXXXXX)
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  sleep 0.2
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$tmp"
}
trap cleanup EXIT

bench_screen() {
  local display=$(( 500 + ($$ % 300) ))
  while [ -e /tmp/.X11-unix/X$display ] || [ -e /tmp/.X$display-lock ]; do display=$((display + 1)); done
  export DISPLAY=:$display QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
  unset WAYLAND_DISPLAY
  Xvfb "$DISPLAY" -screen 0 "$1x24" -nolisten tcp >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  openbox >/dev/null 2>&1 &
  pids+=($!)
  sleep 0.5
}

# wait_file FILE SECONDS: until FILE exists and is not empty.
wait_file() {
  local end=$(( $(date +%s) + $2 ))
  while [ ! -s "$1" ]; do
    [ "$(date +%s)" -lt "$end" ] || return 1
    sleep 0.01
  done
}
# median: of the numbers on standard input, one a line.
median() { sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'; }
