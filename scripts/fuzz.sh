#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (fuzz/, folder build-fuzz or $KT_FUZZ_BUILD_DIR) and runs
# each for the given number of seconds (default 30), then prints per target the executions, the
# coverage (cov = code edges, ft = features) and whether it crashed.
#   scripts/fuzz.sh [seconds]
#   KT_FUZZ_TARGETS="png jpeg"   only these targets (default: ini int_color png jpeg store)
#   KT_FUZZ_PARALLEL=2           run this many targets at the same time (default 1)
# The corpus of each target grows in <build>/corpus/<target> from run to run; it starts from seeds
# written by kt_make_seeds, the public picture suites in tests/data/corpora and the inputs kept
# in tests/data/fuzz. A crashing input lands in <build>/crashes/<target>/; the exit status is
# non-zero when any target crashed.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
build="${KT_FUZZ_BUILD_DIR:-build-fuzz}"
targets=(${KT_FUZZ_TARGETS:-ini int_color png jpeg store})
parallel="${KT_FUZZ_PARALLEL:-1}"

if ! command -v clang++ >/dev/null; then
  echo "fuzz.sh: clang++ is missing (scripts/setup.sh installs it)" >&2
  exit 1
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S fuzz -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DKT_FUZZ=ON >/dev/null
fi
cmake --build "$build" -j2 --target kt_make_seeds $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null
rm -rf "$build/seeds"
"$build/kt_make_seeds" "$build/seeds"
find tests/data/corpora -name '*.png' -exec cp {} "$build/seeds/png/" \;
find tests/data/corpora -name '*.jpg' -exec cp {} "$build/seeds/jpeg/" \;
cp tests/data/fuzz/png/* "$build/seeds/png/"
cp tests/data/fuzz/jpeg/* "$build/seeds/jpeg/"

run_one() {
  local t="$1"
  local corpus="$build/corpus/$t" crashes="$build/crashes/$t" log="$build/logs/$t.log"
  mkdir -p "$corpus" "$crashes" "$build/logs"
  local extra=()
  case "$t" in ini | int_color | store) extra=(-dict=fuzz/ini.dict) ;; esac
  # -timeout: an input that takes seconds is a hang; -rss_limit_mb leaves room for the largest
  # picture the decoders accept (8192 x 8192).
  "$build/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$crashes/" "${extra[@]}" "$corpus" "$build/seeds/$t" >"$log" 2>&1 || true
}

start=$(date +%s)
running=0
for t in "${targets[@]}"; do
  find "$build/crashes/$t" -type f -delete 2>/dev/null || true
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge "$parallel" ]; then
    wait -n
    running=$((running - 1))
  fi
done
wait

status=0
printf '%-10s %12s %10s %7s %7s %7s  %s\n' target executions exec/s cov ft corpus result
for t in "${targets[@]}"; do
  log="$build/logs/$t.log"
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+' "$log" | grep -E 'cov: ' | tail -1 || true)
  cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\)\/.*/\1/p' <<<"$last")
  crash=$(find "$build/crashes/$t" -type f 2>/dev/null | head -1)
  result=ok
  if [ -n "$crash" ] || grep -q -E '^==[0-9]+==ERROR|^SUMMARY: ' "$log"; then
    result="CRASH ${crash:-see $log}"
    status=1
  elif ! grep -q -E 'DONE|Done [0-9]+ runs' "$log"; then
    result="did not finish, see $log"
    status=1
  fi
  printf '%-10s %12s %10s %7s %7s %7s  %s\n' "$t" "${execs:-?}" "${rate:-?}" "${cov:-?}" "${ft:-?}" "${corp:-?}" "$result"
done
echo "fuzzing took $(($(date +%s) - start)) s"
exit $status
