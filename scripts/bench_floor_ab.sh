#!/usr/bin/env bash
# Start-up against its floor: the game's launch to its first clock picture (the KT_STARTUP_LOG
# marker) beside bench/floor.cpp's launch to the first paint of the skin's background, launches
# alternating on one Xvfb screen so that both see the same load. Prints every launch, the medians
# of wall time and of CPU time by the marker (all threads' run time, read as the marker appears, so
# a little over), and the game's ratio to the floor.
#   scripts/bench_floor_ab.sh [LAUNCHES]      (default 7)
# KT_BENCH_SCREEN (default 1024x768) sets the screen size; KT_BUILD_DIR (default build) the build.
# The splash is skipped (private settings with SplashScreen=0, SoundMode=2 or KT_BENCH_SOUND_MODE:
# 0 and 1 are the two sound drivers), the LCD effects are on
# unless KT_BENCH_LCD_EFFECTS=0, and the sound goes to SDL's dummy driver.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${KT_BUILD_DIR:-build}
launches=${1:-7}
game=$root/$build/ktusko/ktusko
floor=$root/$build/bench/kt_floor
for p in "$game" "$floor"; do [ -x "$p" ] || { echo "no $p: build first" >&2; exit 1; }; done
[ -f "$root/$build/ktusko/Config.ini" ] || { echo "no skin beside $game" >&2; exit 1; }

source "$root/scripts/bench_screen.sh"
bench_screen "${KT_BENCH_SCREEN:-1024x768}"
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME/Zandrel"

cpu_ms() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%.0f", s / 1e6 }'; }
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
for k in floor game; do : >"$tmp/$k.wall"; : >"$tmp/$k.cpu"; done
for i in $(seq "$launches"); do
  for k in floor game; do
    printf '[General]\nSoundMode=%s\nSplashScreen=0\nLcdEffects=%s\n' "${KT_BENCH_SOUND_MODE:-2}" "${KT_BENCH_LCD_EFFECTS:-1}" \
      >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf"
    rm -f "$tmp/mark"
    t0=$(date +%s%N)
    if [ $k = floor ]; then
      env KT_STARTUP_LOG="$tmp/mark" "$floor" "$root/$build/ktusko" >/dev/null 2>&1 &
    else
      (cd "$root/$build/ktusko" && exec env KT_STARTUP_LOG="$tmp/mark" ./ktusko) >/dev/null 2>&1 &
    fi
    app=$!
    wait_file "$tmp/mark" 20 || { echo "no first picture from $k" >&2; exit 1; }
    cpu_ms "$app" >>"$tmp/$k.cpu"; echo >>"$tmp/$k.cpu"
    echo $(( ($(cat "$tmp/mark") - t0) / 1000000 )) >>"$tmp/$k.wall"
    sleep 0.3
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  done
done
sed -i '/^$/d' "$tmp/floor.cpu" "$tmp/game.cpu"
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
for k in floor game; do
  echo "$k: wall $(tr '\n' ' ' <"$tmp/$k.wall")ms, median $(median <"$tmp/$k.wall") ms;" \
    "CPU $(tr '\n' ' ' <"$tmp/$k.cpu")ms, median $(median <"$tmp/$k.cpu") ms"
done
fw=$(median <"$tmp/floor.wall"); gw=$(median <"$tmp/game.wall")
fc=$(median <"$tmp/floor.cpu"); gc=$(median <"$tmp/game.cpu")
awk -v fw="$fw" -v gw="$gw" -v fc="$fc" -v gc="$gc" \
  'BEGIN { printf "ratio game/floor: wall %.2f, CPU %.2f\n", gw / fw, gc / fc }'
