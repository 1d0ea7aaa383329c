#!/usr/bin/env bash
# Live measurements of the built program (not tests):
#  1. CPU time of the program idling in clock mode under Xvfb, averaged over $KT_BENCH_SECONDS
#     (default 60) seconds, as a percentage of one core;
#  2. lateness of a 100 ms periodic timer of the program's Qt timer driver over the same time.
# Uses the build in $KT_BUILD_DIR (default build/); run scripts/build.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${KT_BUILD_DIR:-build}
secs=${KT_BENCH_SECONDS:-60}
exe=$root/$build/ktusko/ktusko
[ -x "$exe" ] || { echo "no $exe: build first" >&2; exit 1; }

tmp=$(mktemp -d /tmp/ktusko-bench-XXXXXX)
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$tmp"; }
trap cleanup EXIT

# The program folder: the built one when it has a skin, otherwise the end-to-end tests' small skin.
if [ -f "$root/$build/ktusko/Config.ini" ]; then
  prog=$root/$build/ktusko
  skin="shipped skin"
else
  E2E_PROG=$tmp/prog
  mkdir -p "$E2E_PROG"
  cp "$exe" "$E2E_PROG/"
  e2e_picture() { convert -size "$2" "xc:$3" "PNG32:$1"; }
  source "$root/tests/e2e/startup_lib.sh"
  startup_skin
  prog=$E2E_PROG
  skin="small test skin"
fi
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME/Zandrel"
printf '[General]\nSoundMode=2\nSplashScreen=0\n' >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf"

display=$(( 500 + ($$ % 300) ))
while [ -e /tmp/.X11-unix/X$display ]; do display=$((display + 1)); done
export DISPLAY=:$display QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

(cd "$prog" && exec ./ktusko) >"$tmp/app.log" 2>&1 &
app=$!
pids+=($app)
sleep 5  # start-up, the test picture and the first clock updates
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
t0=$(ticks $app)
sleep "$secs"
t1=$(ticks $app)
hz=$(getconf CLK_TCK)
cpu=$(awk -v d=$((t1 - t0)) -v hz="$hz" -v s="$secs" 'BEGIN { printf "%.3f", 100 * d / hz / s }')
echo "clock mode idle ($skin, 1024x768): $((t1 - t0)) ticks of 1/$hz s in $secs s = $cpu % of one core"
kill $app

# The timer probe, built against the program's own libraries.
probe=$tmp/timer_probe
c++ -std=c++20 -O2 -I"$root/src" "$root/tools/timer_probe/timer_probe.cpp" -o "$probe" \
  "$root/$build/libkt_qt.a" "$root/$build/libkt_core.a" $(pkg-config --cflags --libs Qt6Widgets) -fPIC
echo "Qt timer driver, 100 ms periodic timer over $secs s:"
QT_QPA_PLATFORM=offscreen "$probe" "$secs" 100
