#!/usr/bin/env bash
# Builds and runs the benchmarks (skin loading against Qt's image reader, painting one game tick
# against a full-window repaint) and prints a short table of medians. The full report goes to
# <build>/bench/last_run.txt. Extra arguments go to the benchmark program (e.g.
# --benchmark_filter=SkinLoad). Not part of the tests: timings depend on the machine's load.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KT_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
if [ -f data/CMakeLists.txt ]; then
  # The program folder with the default skin is part of the default build.
  cmake --build "$build" -j2 >/dev/null
else
  cmake --build "$build" --target kt_bench -j2 >/dev/null
fi
log="$build/bench/last_run.txt"
"$build/bench/kt_bench" --benchmark_report_aggregates_only=true --benchmark_color=false "$@" >"$log" 2>&1
grep -m1 '^Skin:' "$log"
sed -n '/^Summary/,$p' "$log"
echo "(load average: $(cut -d' ' -f1-3 /proc/loadavg); full report in $log)"
