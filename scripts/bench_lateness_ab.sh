#!/usr/bin/env bash
# Timer_Game lateness of two builds side by side: each round plays Game A for SECONDS with one
# build, then with the other (restarted by its key every 15 s, as scripts/bench_live.sh plays), on
# one Xvfb screen, so that both see the same load. Each launch writes its lateness log
# (KT_TIMER_LOG); the figures of all rounds are pooled per build.
#   scripts/bench_lateness_ab.sh ROUNDS SECONDS PROGRAM_A PROGRAM_B
# Each PROGRAM is a built ktusko beside its skin. KT_BENCH_ENV_A / KT_BENCH_ENV_B: extra
# environment assignments for that build's launches ("QT_NO_GLIB=1"); KT_BENCH_BUSY=1 keeps one
# core busy with a spinning process meanwhile (a load of about 1 more); KT_BENCH_SCREEN (default
# 1024x768); KT_BENCH_LCD_EFFECTS=0 for the classic LCD. The pooled logs go to
# <build>/bench/lateness_a_us.txt and lateness_b_us.txt (build: KT_BUILD_DIR, default build).
set -euo pipefail
[ $# -eq 4 ] || { echo "usage: $0 ROUNDS SECONDS PROGRAM_A PROGRAM_B" >&2; exit 2; }
rounds=$1
secs=$2
progs=("$(realpath "$3")" "$(realpath "$4")")
envs=("${KT_BENCH_ENV_A:-}" "${KT_BENCH_ENV_B:-}")
for p in "${progs[@]}"; do
  [ -x "$p" ] && [ -f "$(dirname "$p")/Config.ini" ] || { echo "no built program with a skin: $p" >&2; exit 1; }
done
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/bench_screen.sh"
bench_screen "${KT_BENCH_SCREEN:-1024x768}"
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME/Zandrel"
if [ "${KT_BENCH_BUSY:-0}" = 1 ]; then
  (while :; do :; done) &
  pids+=($!)
fi
pct() { sort -n | awk -v p="$1" '{ v[NR] = $1 } END { if (!NR) exit; i = int(p / 100 * NR + 0.999999); if (i < 1) i = 1; if (i > NR) i = NR; printf "%.2f", v[i] / 1000 }'; }
new_game() { xdotool keydown 1; sleep 0.3; xdotool keyup 1; }

: >"$tmp/a.txt"
: >"$tmp/b.txt"
echo "load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
for i in $(seq "$rounds"); do
  for k in 0 1; do
    printf '[General]\nSoundMode=2\nSplashScreen=0\nLcdEffects=%s\n' "${KT_BENCH_LCD_EFFECTS:-1}" \
      >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf"
    rm -f "$tmp/mark" "$tmp/late.txt"
    # shellcheck disable=SC2086
    (cd "$(dirname "${progs[$k]}")" &&
      exec env KT_STARTUP_LOG="$tmp/mark" KT_TIMER_LOG="$tmp/late.txt" KT_NO_GAMEPAD=1 ${envs[$k]} "${progs[$k]}") \
      >/dev/null 2>&1 &
    app=$!
    wait_file "$tmp/mark" 20 || { echo "no first clock picture from ${progs[$k]}" >&2; exit 1; }
    sleep 1
    end=$(( $(date +%s) + secs ))
    while [ "$(date +%s)" -lt "$end" ]; do
      new_game
      sleep 3  # the intro cover, then play
      for _ in $(seq 12); do [ "$(date +%s)" -lt "$end" ] && sleep 1; done
    done
    xdotool key Escape 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.05; done
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
    f=$tmp/$([ $k = 0 ] && echo a || echo b).txt
    [ -s "$tmp/late.txt" ] && cat "$tmp/late.txt" >>"$f"
    echo "round $i $([ $k = 0 ] && echo A || echo B): $(wc -l <"$tmp/late.txt" 2>/dev/null || echo 0) ticks," \
      "99th percentile $(pct 99 <"$tmp/late.txt") ms, load $(cut -d' ' -f1 /proc/loadavg)"
  done
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
mkdir -p "$root/${KT_BUILD_DIR:-build}/bench"
for k in a b; do
  cp "$tmp/$k.txt" "$root/${KT_BUILD_DIR:-build}/bench/lateness_${k}_us.txt"
  p=${progs[$([ $k = a ] && echo 0 || echo 1)]}
  echo "$(echo $k | tr ab AB) $p ${envs[$([ $k = a ] && echo 0 || echo 1)]}: $(wc -l <"$tmp/$k.txt") ticks," \
    "median $(pct 50 <"$tmp/$k.txt") ms, 90th $(pct 90 <"$tmp/$k.txt") ms, 99th $(pct 99 <"$tmp/$k.txt") ms," \
    "worst $(pct 100 <"$tmp/$k.txt") ms"
done
