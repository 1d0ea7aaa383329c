#!/usr/bin/env bash
# Key to screen in a game: the program under Xvfb (splash skipped, sound to SDL's dummy driver),
# Game A started, then build/bench/kt_key_latency presses through the X server and waits for the
# pixels to change on the screen: Left and Right in turn, then Jump (Ctrl), each in a fresh
# Game A; each series' figures go to stderr.
#   scripts/bench_key_latency.sh [PRESSES]   (default 200)
# KT_BENCH_SCREEN (default 1024x768), KT_BENCH_LCD_EFFECTS=0 for the classic LCD, KT_BENCH_BUSY=1
# to keep a second core busy with a spinning process, KT_BUILD_DIR (default build).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${KT_BUILD_DIR:-build}
presses=${1:-200}
tool=$root/$build/bench/kt_key_latency
[ -x "$tool" ] && [ -f "$root/$build/ktusko/Config.ini" ] || { echo "build ktusko and kt_key_latency first" >&2; exit 1; }
source "$root/scripts/bench_screen.sh"
bench_screen "${KT_BENCH_SCREEN:-1024x768}"
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME/Zandrel"
printf '[General]\nSoundMode=2\nSplashScreen=0\nLcdEffects=%s\n' "${KT_BENCH_LCD_EFFECTS:-1}" \
  >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf"
(cd "$root/$build/ktusko" && exec env KT_STARTUP_LOG="$tmp/mark" KT_NO_GAMEPAD=1 ./ktusko) >/dev/null 2>&1 &
pids+=($!)
wait_file "$tmp/mark" 30 || { echo "the program did not start" >&2; exit 1; }
sleep 1
if [ "${KT_BENCH_BUSY:-0}" = 1 ]; then
  (while :; do :; done) &
  pids+=($!)
fi
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg); effects ${KT_BENCH_LCD_EFFECTS:-1}; busy core ${KT_BENCH_BUSY:-0}"
xdotool key 1
sleep 1.5
echo "Left/Right:"
"$tool" "$presses" 150 key Left Right >"$tmp/move.txt"
xdotool key 1
sleep 1.5
echo "Jump:"
"$tool" "$presses" 700 key Control_L >"$tmp/jump.txt"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
mkdir -p "$root/$build/bench"
cp "$tmp/move.txt" "$root/$build/bench/key_latency_move_ms.txt"
cp "$tmp/jump.txt" "$root/$build/bench/key_latency_jump_ms.txt"
