#!/usr/bin/env bash
# Key, click and gamepad to screen in a game: the program under Xvfb (splash skipped, sound to
# SDL's dummy driver, SDL's virtual pad attached through KT_BENCH_PAD), then
# build/bench/kt_key_latency presses and waits for the pixels to change on the screen. First, in
# clock mode, where a press changes only its control's face, the face of Jump and the centres of
# the faces are learnt; then, in Game A, each way (keys, the mouse on the faces, the pad) is timed
# for Right and Left in turn (their faces: Pelko's first step comes 90 ms after the press by the
# game's rules, and whether it comes at all depends on the barrels) and for Jump, its face and
# Pelko's segments apart: a jump from the girder moves him at once (a press while he is in the air
# moves nothing and is counted as not changing the segments). A fresh game every 20 presses.
#   scripts/bench_key_latency.sh [PRESSES] [WAYS]   (default 200, "key click pad")
# KT_BENCH_SCREEN (default 1024x768), KT_BENCH_LCD_EFFECTS=0 for the classic LCD, KT_BENCH_BUSY=1
# to keep a second core busy with a spinning process, KT_BUILD_DIR (default build). Each series'
# summary goes to stdout; the raw figures (face and segment ms a press) to
# build/bench/key_latency_WAY_{move,jump}_ms.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${KT_BUILD_DIR:-build}
presses=${1:-200}
ways=${2:-key click pad}
tool=$root/$build/bench/kt_key_latency
[ -x "$tool" ] && [ -f "$root/$build/ktusko/Config.ini" ] || { echo "build ktusko and kt_key_latency first" >&2; exit 1; }
source "$root/scripts/bench_screen.sh"
bench_screen "${KT_BENCH_SCREEN:-1024x768}"
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME/Zandrel"
printf '[General]\nSoundMode=2\nSplashScreen=0\nLcdEffects=%s\n' "${KT_BENCH_LCD_EFFECTS:-1}" \
  >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf"
mkfifo "$tmp/pad"
(cd "$root/$build/ktusko" && exec env KT_STARTUP_LOG="$tmp/mark" KT_BENCH_PAD="$tmp/pad" ./ktusko) >"$tmp/app.log" 2>&1 &
pids+=($!)
wait_file "$tmp/mark" 30 || { echo "the program did not start" >&2; exit 1; }
sleep 2  # the gamepads are looked for after the first picture
if [ "${KT_BENCH_BUSY:-0}" = 1 ]; then
  (while :; do :; done) &
  pids+=($!)
fi
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg); effects ${KT_BENCH_LCD_EFFECTS:-1}; busy core ${KT_BENCH_BUSY:-0}"
# The faces, in clock mode; the mouse presses their centres.
read -r jx jy < <("$tool" 0 150 --face-out "$tmp/face_jump.txt" key Control_L 2>/dev/null)
read -r rx ry < <("$tool" 0 150 --face-out "$tmp/face_right.txt" key Right 2>/dev/null)
read -r lx ly < <("$tool" 0 150 --face-out "$tmp/face_left.txt" key Left 2>/dev/null)
game="xdotool keydown 1; sleep 0.3; xdotool keyup 1; sleep 3.5"
jump_in="xdotool keydown Control_L; sleep 0.1; xdotool keyup Control_L; sleep 0.5"
mkdir -p "$root/$build/bench"
for way in $ways; do
  case $way in
    key) move=(key Right Left) jump=(key Control_L) ;;
    click) move=(click "$rx" "$ry" "$lx" "$ly") jump=(click "$jx" "$jy") ;;
    pad) move=(pad "$tmp/pad" R L) jump=(pad "$tmp/pad" A) ;;
  esac
  sh -c "$game; $jump_in"
  echo "$way, Right/Left:"
  KT_BENCH_RESTART="$game; $jump_in" "$tool" "$presses" 150 --restart 20 "${move[@]}" 2>&1 >"$root/$build/bench/key_latency_${way}_move_ms.txt" | grep -v '^learning'
  sh -c "$game"
  echo "$way, Jump:"
  KT_BENCH_RESTART="$game" "$tool" "$presses" 700 --hold 150 --face "$tmp/face_jump.txt" --restart 20 \
    "${jump[@]}" 2>&1 >"$root/$build/bench/key_latency_${way}_jump_ms.txt" | grep -v '^learning'
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
