# Sourced by the live benchmarks: a private folder ($tmp, removed at the end with every process
# listed in pids); bench_screen SIZE, a display of that size (tests/e2e/display_lib.sh) with what
# the program needs exported; wait_file and median.
tmp=$(mktemp -d /tmp/ktusko-bench-XXXXXX)
pids=()
trap 'end_all pids "$tmp"' EXIT

source "$(dirname "${BASH_SOURCE[0]}")/../tests/e2e/display_lib.sh"
bench_screen() {
  export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
  unset WAYLAND_DISPLAY
  start_display "$1" $(( 500 + ($$ % 300) )) pids
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
