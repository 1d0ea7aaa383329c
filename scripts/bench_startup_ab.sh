#!/usr/bin/env bash
# Start-up of two builds side by side: launch to the first clock picture (the program's
# KT_STARTUP_LOG marker), the builds' launches alternating on one Xvfb screen, so that both see the
# same load. Prints every launch and the median of each build.
#   scripts/bench_startup_ab.sh LAUNCHES PROGRAM_A PROGRAM_B
# Each PROGRAM is a built ktusko beside its skin (build/ktusko/ktusko of a built tree).
# KT_BENCH_SCREEN (default 3840x2160) sets the screen size. The splash is skipped (private
# settings with SplashScreen=0, SoundMode=2 or KT_BENCH_SOUND_MODE) and the sound goes to SDL's dummy driver.
set -euo pipefail
[ $# -eq 3 ] || { echo "usage: $0 LAUNCHES PROGRAM_A PROGRAM_B" >&2; exit 2; }
launches=$1
progs=("$(realpath "$2")" "$(realpath "$3")")
for p in "${progs[@]}"; do
  [ -x "$p" ] && [ -f "$(dirname "$p")/Config.ini" ] || { echo "no built program with a skin: $p" >&2; exit 1; }
done

source "$(dirname "$0")/bench_screen.sh"
bench_screen "${KT_BENCH_SCREEN:-3840x2160}"
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME/Zandrel"

: >"$tmp/a.txt"
: >"$tmp/b.txt"
for i in $(seq "$launches"); do
  for k in 0 1; do
    printf '[General]\nSoundMode=%s\nSplashScreen=0\n' "${KT_BENCH_SOUND_MODE:-2}" >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf"
    rm -f "$tmp/mark"
    t0=$(date +%s%N)
    (cd "$(dirname "${progs[$k]}")" && exec env KT_STARTUP_LOG="$tmp/mark" "${progs[$k]}") >/dev/null 2>&1 &
    app=$!
    wait_file "$tmp/mark" 20 || { echo "no first clock picture from ${progs[$k]}" >&2; exit 1; }
    echo $(( ($(cat "$tmp/mark") - t0) / 1000000 )) >>"$tmp/$([ $k = 0 ] && echo a || echo b).txt"
    sleep 0.3
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  done
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "A ${progs[0]}: $(tr '\n' ' ' <"$tmp/a.txt")ms, median $(median <"$tmp/a.txt") ms"
echo "B ${progs[1]}: $(tr '\n' ' ' <"$tmp/b.txt")ms, median $(median <"$tmp/b.txt") ms"
