#!/usr/bin/env bash
# Two builds of the Windows program under Wine and the Linux program, side by side: all three run
# at the same time, each on its own display, so that they see the same load on a shared machine.
# Usage: scripts/bench_wine_side.sh <folder A with ktusko.exe> <folder B> [play s] [new game every s]
#        [clock s] [WIDTHxHEIGHT]
# (defaults 300, 60, 30, 1920x1080; the Linux program from $KT_BUILD_DIR, default build/).
# Clock mode first, then Game A with Jump pressed every 0.25 s so that games last. Each program's
# CPU (its threads' run times) in both, and its Timer_Game lateness (KT_TIMER_LOG) over the play:
# median, 99th percentile, worst; the raw figures (microseconds) go to <build>/bench/side_{linux,a,b}.txt.
set -uo pipefail
cd "$(dirname "$0")/.."
build=$PWD/${KT_BUILD_DIR:-build}
declare -A folder=([linux]="$build/ktusko" [a]="$(cd "$1" && pwd)" [b]="$(cd "$2" && pwd)")
secs=${3:-300}
every=${4:-60}
clock=${5:-30}
size=${6:-1920x1080}
mkdir -p "$build/bench"
tmp=$(mktemp -d /tmp/ktusko-late-XXXXXX)
pids=()
source tests/e2e/display_lib.sh
trap 'for p in a b; do WINEPREFIX=$tmp/prefix-$p wineserver -k 2>/dev/null; done; end_all pids "$tmp"' EXIT
export SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb KT_NO_GAMEPAD=1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset WAYLAND_DISPLAY
declare -A disp app
start_display $size 600 pids; disp[linux]=$DISPLAY
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME/Zandrel"
printf '[General]\nSoundMode=2\nSplashScreen=0\n' >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf"
(cd "${folder[linux]}" && exec env KT_TIMER_LOG="$tmp/linux.log" ./ktusko) >"$tmp/linux.out" 2>&1 &
app[linux]=$!; pids+=($!)
template=/tmp/ktusko-wine-template-$(id -u)
for p in a b; do
  start_display $size 650 pids; disp[$p]=$DISPLAY
  export WINEPREFIX=$tmp/prefix-$p
  if [ -f "$template/.made" ]; then cp -a "$template" "$WINEPREFIX"; else wineboot -i >/dev/null 2>&1; wineserver -w; fi
  wine reg add 'HKCU\Software\Zandrel\KTuskoSE50' /v SoundMode /t REG_SZ /d 2 /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Zandrel\KTuskoSE50' /v SplashScreen /t REG_SZ /d 0 /f >/dev/null 2>&1
  (cd "${folder[$p]}" && exec env KT_TIMER_LOG="$tmp/$p.log" wine ./ktusko.exe) >"$tmp/$p.out" 2>&1 &
  app[$p]=$!; pids+=($!)
done
sleep 15
# The process running each program (Wine's loader may start it as a child of the one started here).
for p in a b; do
  for q in $(pgrep -f 'ktusko\.exe'); do
    tr '\0' '\n' <"/proc/$q/environ" 2>/dev/null | grep -qx "KT_TIMER_LOG=$tmp/$p.log" && app[$p]=$q
  done
done
cpu_ns() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s }'; }
declare -A c0
names=(linux a b)
mark() { for n in "${names[@]}"; do c0[$n]=$(cpu_ns ${app[$n]}); done; t0=$(date +%s%N); }
report() {
  local t1; t1=$(date +%s%N)
  for n in "${names[@]}"; do echo "$1 CPU $n: $(awk -v d=$(( $(cpu_ns ${app[$n]}) - ${c0[$n]} )) -v s=$((t1 - t0)) 'BEGIN { printf "%.3f", 100 * d / s }') % of one core"; done
}
echo "A: ${folder[a]}, B: ${folder[b]}; load $(cut -d' ' -f1-3 /proc/loadavg)"
mark; sleep "$clock"; report clock
focus() { DISPLAY=${disp[$1]} xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' windowactivate --sync >/dev/null 2>&1; }
new_game() { for n in "${names[@]}"; do focus $n; DISPLAY=${disp[$n]} xdotool keydown 1; done; sleep 0.3; for n in "${names[@]}"; do DISPLAY=${disp[$n]} xdotool keyup 1; done; }
echo "load at start: $(cut -d' ' -f1-3 /proc/loadavg)"
new_game
sleep 3
mark
start=$SECONDS; next=$((start + every))
while [ $SECONDS -lt $((start + secs)) ]; do
  [ $SECONDS -ge $next ] && { new_game; next=$((next + every)); }
  for n in "${names[@]}"; do DISPLAY=${disp[$n]} xdotool key ctrl 2>/dev/null; done
  sleep 0.25
done
report play
echo "load at end: $(cut -d' ' -f1-3 /proc/loadavg)"
for n in "${names[@]}"; do focus $n; DISPLAY=${disp[$n]} xdotool key Escape; done
sleep 5
pct() { sort -n | awk -v p="$1" '{ v[NR] = $1 } END { if (!NR) exit; i = int(p / 100 * NR + 0.999999); if (i < 1) i = 1; if (i > NR) i = NR; printf "%.2f", v[i] / 1000 }'; }
for n in "${names[@]}"; do
  f=$tmp/$n.log
  [ -s "$f" ] || { echo "$n: no log"; continue; }
  tr -d '\r' <"$f" >"$f.txt"
  cp "$f.txt" "$build/bench/side_$n.txt"
  echo "$n: $(wc -l <"$f.txt") ticks, median $(pct 50 <"$f.txt") ms, 99th $(pct 99 <"$f.txt") ms, worst $(pct 100 <"$f.txt") ms"
done
