#!/usr/bin/env bash
# Soak: the random-play property test (tests/game_property_test.cpp) under AddressSanitizer and
# UndefinedBehaviorSanitizer, batch after batch of new seeds, until the games together have covered
# the given simulated time. Each game lasts until its game over, at most 30 simulated minutes.
#   scripts/soak.sh [simulated hours]      default 24; fractions work (0.05 is three minutes)
#   KT_SAN_BUILD_DIR=build-san             the sanitizer build folder (configured here if missing)
#   KT_PROPERTY_SEED=1                     the first seed
#   KT_SOAK_TESTS=<executable>             an already built sanitized test binary to use instead
# Prints the simulated hours, games and hazard ticks covered and the real time taken; exits
# non-zero at the first broken rule or sanitizer report, naming the seed that replays it.
set -euo pipefail
cd "$(dirname "$0")/.."
hours="${1:-24}"
build="${KT_SAN_BUILD_DIR:-build-san}"
seed="${KT_PROPERTY_SEED:-1}"
target_ms=$(awk -v h="$hours" 'BEGIN { printf "%d", h * 3600000 }')

tests="${KT_SOAK_TESTS:-}"
if [ -z "$tests" ]; then
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -DKT_SANITIZE=ON >/dev/null
  fi
  cmake --build "$build" -j2 --target kt_unit_tests >/dev/null
  tests="$build/tests/kt_unit_tests"
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
start=$(date +%s)
sim_ms=0 ticks=0 games=0
batch=2
log="$(mktemp)"
trap 'rm -f "$log"' EXIT
while [ "$sim_ms" -lt "$target_ms" ]; do
  if ! KT_PROPERTY_GAMES=$batch KT_PROPERTY_SEED=$seed "$tests" \
    --gtest_filter=GameProperty.RandomPlayKeepsPictureAndStateInAgreement >"$log" 2>&1; then
    cat "$log"
    echo "soak: FAILED in the batch of $batch games from seed $seed (after $games games)" >&2
    exit 1
  fi
  line=$(grep '^random play:' "$log" | tail -1)
  if [ -z "$line" ]; then
    cat "$log"
    echo "soak: the property test printed no summary" >&2
    exit 1
  fi
  read -r b_ms b_ticks < <(awk '{ print $6, $8 }' <<<"$line")
  sim_ms=$((sim_ms + b_ms)) ticks=$((ticks + b_ticks)) games=$((games + batch)) seed=$((seed + batch))
  # Size the next batch from the games played so far, so that the total lands near the target.
  left=$((target_ms - sim_ms))
  per_game=$((sim_ms / games + 1))
  batch=$(((left + per_game - 1) / per_game))
  if [ "$batch" -gt $((games * 2)) ]; then batch=$((games * 2)); fi  # few games estimate poorly
  if [ "$batch" -gt 500 ]; then batch=500; fi
  if [ "$batch" -lt 1 ]; then batch=1; fi
done
elapsed=$(($(date +%s) - start))
awk -v ms="$sim_ms" -v t="$ticks" -v g="$games" -v s="$elapsed" 'BEGIN {
  printf "soak: %.2f simulated hours in %d games, %d hazard ticks, no failures; %d s real time (%.0fx real time)\n",
         ms / 3600000, g, t, s, (s > 0) ? ms / 1000 / s : 0 }'
