#!/usr/bin/env bash
# Start-up phases of one or more builds: each program is launched LAUNCHES times, the builds in
# turn, on one Xvfb screen as scripts/bench_floor_ab.sh launches the game (splash skipped, effects
# on, sound to the dummy driver, fresh settings each launch); the medians of every phase of the
# program's <KT_STARTUP_LOG>.phases file are printed, CPU (all threads) and wall time since main, ms.
#   scripts/bench_phases.sh LAUNCHES PROGRAM...
# KT_BENCH_SCREEN (default 1024x768) sets the screen size.
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 LAUNCHES PROGRAM..." >&2; exit 2; }
launches=$1
shift
progs=()
for p in "$@"; do progs+=("$(realpath "$p")"); done
source "$(dirname "$0")/bench_screen.sh"
bench_screen "${KT_BENCH_SCREEN:-1024x768}"
export XDG_CONFIG_HOME=$tmp/config
mkdir -p "$XDG_CONFIG_HOME/Zandrel"
echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
for i in $(seq "$launches"); do
  for k in "${!progs[@]}"; do
    printf '[General]\nSoundMode=2\nSplashScreen=0\nLcdEffects=1\n' >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf"
    rm -f "$tmp/mark" "$tmp/mark.phases"
    (cd "$(dirname "${progs[$k]}")" && exec env KT_STARTUP_LOG="$tmp/mark" "${progs[$k]}") >/dev/null 2>&1 &
    app=$!
    wait_file "$tmp/mark.phases" 20 || { echo "no first clock picture from ${progs[$k]}" >&2; exit 1; }
    sleep 0.2
    cp "$tmp/mark.phases" "$tmp/phases.$k.$i"
    kill "$app" 2>/dev/null || true
    wait "$app" 2>/dev/null || true
  done
done
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
for k in "${!progs[@]}"; do
  echo "== ${progs[$k]} (phase ends: CPU ms, wall ms; medians)"
  awk -F'\t' '
    { if (!($1 in seen)) { seen[$1] = 1; order[++n] = $1 } c[$1, ++m[$1]] = $2; w[$1, m[$1]] = $3 }
    function med(a, key, count,   i, j, t, v) {
      for (i = 1; i <= count; ++i) v[i] = a[key, i]
      for (i = 2; i <= count; ++i) for (j = i; j > 1 && v[j - 1] > v[j]; --j) { t = v[j]; v[j] = v[j - 1]; v[j - 1] = t }
      return v[int((count + 1) / 2)]
    }
    END { for (i = 1; i <= n; ++i) printf "%-40s %8.1f %8.1f\n", order[i], med(c, order[i], m[order[i]]), med(w, order[i], m[order[i]]) }
  ' "$tmp"/phases."$k".*
done
