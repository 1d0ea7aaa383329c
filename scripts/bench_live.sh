#!/usr/bin/env bash
# Live measurements of the built program under Xvfb (not tests; the figures depend on the load):
#  1. start-up: launch to the first clock picture painted (the LCD test picture), the median of
#     $KT_BENCH_LAUNCHES (default 5) launches, read from the program's KT_STARTUP_LOG marker;
#  2. CPU time in clock mode over $KT_BENCH_SECONDS (default 60) seconds, % of one core;
#  3. CPU time during play over the same time (Game A, restarted every 15 s by its key so the
#     hazard timer keeps running), % of one core;
#  4. lateness of the hazard timer Timer_Game during that play (the program's KT_TIMER_LOG):
#     median, 99th percentile and worst, in ms;
#  5. peak resident memory (VmHWM) after the game.
# CPU is read from /proc/<pid>/stat (ticks of 1/CLK_TCK s) and, finer, from the scheduler's
# per-thread run times (/proc/<pid>/task/*/schedstat). The raw lateness figures (microseconds,
# one a line) are kept in <build>/bench/timer_game_lateness_us.txt.
# The splash is skipped (private settings with SplashScreen=0, SoundMode=2) and the sound goes to
# SDL's dummy driver. Figures go to stdout and, as name=value lines, to <build>/bench/live.env.
# KT_BENCH_SCREEN (default 1024x768) sets the screen size.
# KT_BENCH_PROBE=1 also runs the stand-alone timer probe (a bare 100 ms Qt timer).
# Uses the build in $KT_BUILD_DIR (default build/); run scripts/build.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${KT_BUILD_DIR:-build}
secs=${KT_BENCH_SECONDS:-60}
launches=${KT_BENCH_LAUNCHES:-5}
exe=$root/$build/ktusko/ktusko
[ -x "$exe" ] || { echo "no $exe: build first" >&2; exit 1; }
mkdir -p "$root/$build/bench"
out=$root/$build/bench/live.env

source "$root/scripts/bench_screen.sh"

# The program folder: the built one when it has a skin, otherwise the end-to-end tests' small skin.
if [ -f "$root/$build/ktusko/Config.ini" ]; then
  prog=$root/$build/ktusko
  skin="default skin"
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
settings=$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf
# KT_BENCH_LCD_EFFECTS=0 measures the classic flat LCD; by default the LCD effects are on.
skip_splash() { printf '[General]\nSoundMode=2\nSplashScreen=0\nLcdEffects=%s\n' "${KT_BENCH_LCD_EFFECTS:-1}" >"$settings"; }

bench_screen "${KT_BENCH_SCREEN:-1024x768}"

# launch [env assignments...]: starts the program; its pid is in $app.
launch() {
  (cd "$prog" && exec env "$@" ./ktusko) >>"$tmp/app.log" 2>&1 &
  app=$!
  pids+=($app)
}
# stop_app: ends the program as a player would (Escape), so that it writes its logs.
stop_app() {
  xdotool key Escape 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
}
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
cpu_percent() { awk -v d="$1" -v hz="$hz" -v s="$2" 'BEGIN { printf "%.2f", 100 * d / hz / s }'; }
# The same in nanoseconds, summed over the program's threads (finer than the 1/hz ticks of stat).
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'; }
ns_percent() { awk -v d="$1" -v s="$2" 'BEGIN { printf "%.3f", 100 * d / 1e9 / s }'; }
# pct P: the P-th percentile (nearest rank) of the numbers on stdin.
pct() { sort -n | awk -v p="$1" '{ v[NR] = $1 } END { if (!NR) exit; i = int(p / 100 * NR + 0.999999); if (i < 1) i = 1; if (i > NR) i = NR; print v[i] }'; }

: >"$out"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "load_start=\"$(cut -d' ' -f1-3 /proc/loadavg)\"" >>"$out"

# 1. Start-up, launch to the first clock picture.
: >"$tmp/startup.txt"
: >"$tmp/startup_cpu.txt"
for i in $(seq "$launches"); do
  skip_splash
  rm -f "$tmp/startup.log"
  t0=$(date +%s%N)
  launch KT_STARTUP_LOG="$tmp/startup.log"
  if wait_file "$tmp/startup.log" 20; then
    t1=$(cat "$tmp/startup.log")
    echo $(( (t1 - t0) / 1000 )) >>"$tmp/startup.txt"
    cpu_ns "$app" >>"$tmp/startup_cpu.txt"; echo >>"$tmp/startup_cpu.txt"
  else
    echo "launch $i: no first clock picture within 20 s" >&2
  fi
  sleep 0.5
  stop_app
done
startup_ms=$(awk '{ printf "%.1f\n", $1 / 1000 }' "$tmp/startup.txt" | median)
echo "start-up to the first clock picture ($skin, splash skipped), median of $(wc -l <"$tmp/startup.txt") launches:" \
  "${startup_ms:-n/a} ms (all: $(awk '{ printf "%.0f ", $1 / 1000 }' "$tmp/startup.txt")ms)"
startup_cpu_ms=$(awk 'NF { printf "%.1f\n", $1 / 1e6 }' "$tmp/startup_cpu.txt" | median)
echo "  CPU time of the program by then (all threads, a little after the picture), median: ${startup_cpu_ms:-n/a} ms"
echo "startup_ms=${startup_ms:-n/a}" >>"$out"
echo "startup_cpu_ms=${startup_cpu_ms:-n/a}" >>"$out"

# 2. Clock mode.
skip_splash
launch KT_TIMER_LOG="$tmp/timer.log"
sleep 5  # start-up, the test picture and the first clock updates
t0=$(ticks $app); n0=$(cpu_ns $app)
sleep "$secs"
t1=$(ticks $app); n1=$(cpu_ns $app)
clock_cpu=$(cpu_percent $((t1 - t0)) "$secs")
clock_cpu_ns=$(ns_percent $((n1 - n0)) "$secs")
echo "CPU in clock mode ($skin, ${KT_BENCH_SCREEN:-1024x768}, LCD effects ${KT_BENCH_LCD_EFFECTS:-1}): $((t1 - t0)) ticks of 1/$hz s in $secs s = $clock_cpu % of one core" \
  "(scheduler: $clock_cpu_ns %)"
echo "clock_cpu=$clock_cpu" >>"$out"
echo "clock_cpu_ns=$clock_cpu_ns" >>"$out"

# 3. Play: Game A, started by holding and releasing its key, again every 15 s (a game left alone
#    ends after three misses), so that hazard ticks run for most of the time.
new_game() { xdotool keydown 1; sleep 0.3; xdotool keyup 1; }
xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' windowactivate --sync >/dev/null 2>&1 || true
new_game
sleep 3  # the intro cover
t0=$(ticks $app); n0=$(cpu_ns $app)
start=$(date +%s%N)
end=$(( start / 1000000000 + secs ))
next=$(( start / 1000000000 + 15 ))
while [ "$(date +%s)" -lt "$end" ]; do
  if [ "$(date +%s)" -ge "$next" ]; then new_game; next=$((next + 15)); fi
  sleep 0.2
done
t1=$(ticks $app); n1=$(cpu_ns $app)
elapsed=$(awk -v a="$start" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e9 }')
play_cpu=$(cpu_percent $((t1 - t0)) "$elapsed")
play_cpu_ns=$(ns_percent $((n1 - n0)) "$elapsed")
echo "CPU during play ($skin, Game A restarted every 15 s): $((t1 - t0)) ticks in $elapsed s = $play_cpu % of one core" \
  "(scheduler: $play_cpu_ns %)"
echo "play_cpu=$play_cpu" >>"$out"
echo "play_cpu_ns=$play_cpu_ns" >>"$out"

# 5. Peak resident memory after the game.
hwm_kb=$(awk '/^VmHWM:/ { print $2 }' "/proc/$app/status")
rss_kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$app/status")
hwm_mb=$(awk -v k="$hwm_kb" 'BEGIN { printf "%.1f", k / 1024 }')
echo "peak resident memory after the game: VmHWM $hwm_mb MB (VmRSS now $(awk -v k="$rss_kb" 'BEGIN { printf "%.1f", k / 1024 }') MB)"
echo "peak_mb=$hwm_mb" >>"$out"

# 4. Timer_Game lateness, written by the program when it ends.
stop_app
if [ -s "$tmp/timer.log" ]; then
  cp "$tmp/timer.log" "$root/$build/bench/timer_game_lateness_us.txt"
  n=$(wc -l <"$tmp/timer.log")
  ms() { awk '{ printf "%.2f", $1 / 1000 }'; }
  late_p50=$(pct 50 <"$tmp/timer.log" | ms)
  late_p90=$(pct 90 <"$tmp/timer.log" | ms)
  late_p99=$(pct 99 <"$tmp/timer.log" | ms)
  late_max=$(pct 100 <"$tmp/timer.log" | ms)
  early=$(awk '$1 < 0' "$tmp/timer.log" | wc -l)
  echo "Timer_Game lateness over $n deliveries in play: median $late_p50 ms, 90th percentile $late_p90 ms, 99th percentile $late_p99 ms," \
    "worst $late_max ms ($early came early)"
  echo "late_n=$n" >>"$out"
  echo "late_p50=$late_p50" >>"$out"
  echo "late_p90=$late_p90" >>"$out"
  echo "late_p99=$late_p99" >>"$out"
  echo "late_max=$late_max" >>"$out"
else
  echo "Timer_Game lateness: no log written (did the program end normally?)" >&2
  echo "late_p99=n/a" >>"$out"
fi
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "load_end=\"$(cut -d' ' -f1-3 /proc/loadavg)\"" >>"$out"

if [ "${KT_BENCH_PROBE:-0}" = 1 ]; then
  # The bare timer probe, built against the program's own libraries.
  probe=$tmp/timer_probe
  c++ -std=c++20 -O2 -I"$root/src" "$root/tools/timer_probe/timer_probe.cpp" -o "$probe" \
    "$root/$build/libkt_qt.a" "$root/$build/libkt_core.a" $(pkg-config --cflags --libs Qt6Widgets) -fPIC
  echo "Qt timer driver, 100 ms periodic timer over $secs s:"
  QT_QPA_PLATFORM=offscreen "$probe" "$secs" 100
fi
