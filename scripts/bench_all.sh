#!/usr/bin/env bash
# Runs every benchmark and writes a short table (target, figure, command) to stdout and to
# <build>/bench/table.md:
#  - the benchmark program (scripts/bench.sh): skin load against Qt's image reader, painting a
#    tick against a full-window repaint, one hazard tick and headless play;
#  - the live measurements of the running program under Xvfb (scripts/bench_live.sh): start-up,
#    CPU in clock mode and in play, Timer_Game's lateness, peak resident memory.
# Not part of the tests: the figures depend on the machine's load, which the table notes.
# KT_BENCH_SECONDS (default 60) sets the length of each live measurement.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KT_BUILD_DIR:-build}
export KT_BUILD_DIR=$build
mkdir -p "$build/bench"
table=$build/bench/table.md

echo "== benchmark program (scripts/bench.sh)"
scripts/bench.sh | tee "$build/bench/summary.txt"
echo
echo "== live measurements (scripts/bench_live.sh)"
scripts/bench_live.sh | tee "$build/bench/live.txt"
echo

# A figure from the benchmark summary: the first number after the label.
summary() { grep -F -m1 "$1" "$build/bench/summary.txt" | sed "s/.*$2//" | awk '{ print $1 }'; }
skin_ms=$(summary "skin load, Gfx_Load_Skin" ")")
qt_ms=$(summary "same files, QImageReader" "QImageReader")
ratio=$(summary "ratio Gfx / QImageReader" "QImageReader")
tick_ms=$(summary "paint one tick, as the game window paints" "paints")
full_ms=$(summary "paint the full 1024 x 768 window" "window")
paint_ratio=$(summary "ratio tick / full window" "window")
fx_load_ms=$(summary "skin load with the LCD effect layers" "layers")
fx_load_ratio=$(summary "ratio with effect layers / without" "without")
fx_tick_ms=$(summary "paint one fading tick, effects, 1920 x 1080" "1080")
fx_full_ms=$(summary "paint the full window, effects, 1920 x 1080" "1080")
pixels=$(grep -F -m1 "pixels repainted per tick" "$build/bench/summary.txt" | sed 's/.*full window *//')
hazard_us=$(summary "one hazard tick with its display updates" "updates")
headless=$(summary "headless game: hazard ticks per CPU second" "second")
# shellcheck disable=SC1090
source "$build/bench/live.env"
secs=${KT_BENCH_SECONDS:-60}

{
  echo "| target | figure (median) | command |"
  echo "|---|---|---|"
  echo "| default skin load ≤ 40 ms | ${skin_ms} ms (QImageReader ${qt_ms} ms) | \`scripts/bench.sh --benchmark_filter=SkinLoad\` |"
  echo "| skin load ratio to QImageReader ≤ 1.0 | ${ratio} | \`scripts/bench.sh --benchmark_filter=SkinLoad\` |"
  echo "| one hazard tick with its display updates | ${hazard_us} µs | \`scripts/bench.sh --benchmark_filter=Game\` |"
  echo "| headless play ≥ 1 000 000 ticks per CPU second | ${headless} | \`scripts/bench.sh --benchmark_filter=Game\` |"
  echo "| painting a tick against a full-window repaint | ${tick_ms} ms vs ${full_ms} ms (ratio ${paint_ratio}); pixels ${pixels} | \`scripts/bench.sh --benchmark_filter=Paint\` |"
  echo "| skin load with the LCD effect layers ≤ 1.5 × without | ${fx_load_ms} ms (ratio ${fx_load_ratio}) | \`scripts/bench.sh --benchmark_filter=SkinLoad\` |"
  echo "| painting a fading tick with the LCD effects at 1920 × 1080 ≤ 1 ms | ${fx_tick_ms} ms (full window with effects ${fx_full_ms} ms) | \`scripts/bench.sh --benchmark_filter=Paint\` |"
  echo "| Timer_Game lateness, 99th percentile ≤ 2 ms | ${late_p99} ms (median ${late_p50:-n/a}, 90th percentile ${late_p90:-n/a}, worst ${late_max:-n/a}, ${late_n:-0} ticks in ${secs} s of play) | \`scripts/bench_live.sh\` |"
  echo "| CPU in clock mode ≤ 0.5 % | ${clock_cpu} % of a core over ${secs} s (scheduler: ${clock_cpu_ns} %) | \`scripts/bench_live.sh\` |"
  echo "| CPU during play ≤ 3 % | ${play_cpu} % of a core over ${secs} s (scheduler: ${play_cpu_ns} %) | \`scripts/bench_live.sh\` |"
  echo "| peak resident memory ≤ 80 MB | ${peak_mb} MB (VmHWM after a game) | \`scripts/bench_live.sh\` |"
  echo "| start-up to the first clock picture ≤ 300 ms | ${startup_ms} ms (median of ${KT_BENCH_LAUNCHES:-5}; CPU time by then ${startup_cpu_ms} ms) | \`scripts/bench_live.sh\` |"
  echo
  echo "Load average (1, 5, 15 min) at the start of the live run: ${load_start}; at its end: ${load_end}." \
    "2 cores, shared. All of it: \`scripts/bench_all.sh\`."
} >"$table"
cat "$table"
