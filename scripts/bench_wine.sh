#!/usr/bin/env bash
# Live measurements of the Windows program under Wine on Xvfb, the counterpart of bench_live.sh
# (not tests; the figures depend on the load). Usage: scripts/bench_wine.sh <folder with ktusko.exe>
#  1. start-up: launch to the first clock picture painted (KT_STARTUP_LOG), median of
#     $KT_BENCH_LAUNCHES (default 3) launches in an already started Wine prefix;
#  2. CPU in clock mode and 3. during play (Game A restarted every 15 s) over $KT_BENCH_SECONDS
#     (default 60) s, % of one core: the program's own threads, and Wine's server beside it;
#  4. lateness of the hazard timer Timer_Game during that play (KT_TIMER_LOG): median, 99th, worst;
#  5. peak resident memory (VmHWM) of the program.
# KT_BENCH_SCREEN (default 1024x768) sets the screen size. The splash is skipped and no sound is
# played (SoundMode 2 in the registry).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
src=$(cd "$1" && pwd)
secs=${KT_BENCH_SECONDS:-60}
launches=${KT_BENCH_LAUNCHES:-3}
source "$root/scripts/bench_screen.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX=$tmp/prefix
bench_screen "${KT_BENCH_SCREEN:-1024x768}"
trap 'wineserver -k 2>/dev/null || true; end_all pids "$tmp"' EXIT
wineboot -i >/dev/null 2>&1
wineserver -w
key='HKCU\Software\Zandrel\KTuskoSE50'
wine reg add "$key" /v SoundMode /t REG_SZ /d 2 /f >/dev/null 2>&1
wine reg add "$key" /v SplashScreen /t REG_SZ /d 0 /f >/dev/null 2>&1
# Wine's server stays up between launches (as the system would be), so start-up counts the program.
wine cmd /c exit >/dev/null 2>&1 || true
( wineserver -p 60 ) || true
server=$(pgrep -n -u "$(id -u)" wineserver || true)

# launch [env assignments...]: starts the program; $app is the process running it (Wine's loader
# may start it as a child of the process the shell started).
launch() {
  (cd "$src" && exec env KT_BENCH_ID="$tmp" "$@" wine ./ktusko.exe) >>"$tmp/app.log" 2>&1 &
  pids+=($!)
  app=
  for _ in $(seq 200); do
    # The newest process of the program started here (other copies may run on the machine).
    for p in $(pgrep -u "$(id -u)" -f 'ktusko\.exe' | sort -rn); do
      if tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "KT_BENCH_ID=$tmp"; then app=$p; break; fi
    done
    [ -n "$app" ] && break
    sleep 0.05
  done
  pids+=($app)
}
stop_app() {
  xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' windowactivate --sync >/dev/null 2>&1 || true
  xdotool key Escape 2>/dev/null || true
  for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
  kill "$app" 2>/dev/null || true
  wait "$app" 2>/dev/null || true
}
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'; }
ns_percent() { awk -v d="$1" -v s="$2" 'BEGIN { printf "%.3f", 100 * d / 1e9 / s }'; }
pct() { sort -n | awk -v p="$1" '{ v[NR] = $1 } END { if (!NR) exit; i = int(p / 100 * NR + 0.999999); if (i < 1) i = 1; if (i > NR) i = NR; print v[i] }'; }

echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
: >"$tmp/startup.txt"
for i in $(seq "$launches"); do
  rm -f "$tmp/startup.log"
  t0=$(date +%s%N)
  launch KT_STARTUP_LOG="$tmp/startup.log"
  # (The program writes the figure as Windows text, with a carriage return.)
  if wait_file "$tmp/startup.log" 60; then echo $(( ($(tr -d '\r' <"$tmp/startup.log") - t0) / 1000 )) >>"$tmp/startup.txt"; fi
  sleep 0.5
  stop_app
done
echo "start-up to the first clock picture (Wine, splash skipped), median of $launches: $(awk '{ printf "%.1f\n", $1 / 1000 }' "$tmp/startup.txt" | median) ms (all: $(awk '{ printf "%.0f ", $1 / 1000 }' "$tmp/startup.txt")ms)"

launch KT_TIMER_LOG="$tmp/timer.log"
sleep 8
a0=$(cpu_ns "$app"); s0=$(cpu_ns "${server:-0}")
sleep "$secs"
a1=$(cpu_ns "$app"); s1=$(cpu_ns "${server:-0}")
echo "CPU in clock mode (${KT_BENCH_SCREEN:-1024x768}): program $(ns_percent $((a1 - a0)) "$secs") %, Wine's server $(ns_percent $((s1 - s0)) "$secs") % of one core"
new_game() { xdotool keydown 1; sleep 0.3; xdotool keyup 1; }
xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' windowactivate --sync >/dev/null 2>&1 || true
new_game
sleep 3
a0=$(cpu_ns "$app"); s0=$(cpu_ns "${server:-0}")
start=$(date +%s)
next=$((start + 15))
while [ "$(date +%s)" -lt $((start + secs)) ]; do
  if [ "$(date +%s)" -ge "$next" ]; then new_game; next=$((next + 15)); fi
  sleep 0.2
done
a1=$(cpu_ns "$app"); s1=$(cpu_ns "${server:-0}")
echo "CPU during play (Game A restarted every 15 s): program $(ns_percent $((a1 - a0)) "$secs") %, Wine's server $(ns_percent $((s1 - s0)) "$secs") % of one core"
echo "peak resident memory of the program: $(awk '/VmHWM/ { print $2, $3 }' /proc/$app/status)"
stop_app
if [ -s "$tmp/timer.log" ]; then
  tr -d '\r' <"$tmp/timer.log" >"$tmp/timer.txt" && mv "$tmp/timer.txt" "$tmp/timer.log"
  n=$(wc -l <"$tmp/timer.log")
  echo "Timer_Game lateness over $n ticks: median $(pct 50 <"$tmp/timer.log" | awk '{ printf "%.2f", $1 / 1000 }') ms," \
    "99th $(pct 99 <"$tmp/timer.log" | awk '{ printf "%.2f", $1 / 1000 }') ms, worst $(pct 100 <"$tmp/timer.log" | awk '{ printf "%.2f", $1 / 1000 }') ms"
  cp "$tmp/timer.log" "${KT_BENCH_KEEP:-/dev/null}" 2>/dev/null || true
else
  echo "no Timer_Game lateness recorded"
fi
