#!/usr/bin/env bash
# The robustness checks that are cheap enough for every CI run: each fuzz target for 30 seconds
# and a few simulated minutes of sanitized random play. Fails when either fails.
#   KT_SAN_BUILD_DIR   the sanitizer build folder to reuse (default build-san)
#   KT_FUZZ_BUILD_DIR  the fuzz build folder (default build-fuzz)
#   KT_CI_FUZZ_SECONDS / KT_CI_SOAK_HOURS   override the 30 s and 0.1 simulated hours
set -euo pipefail
cd "$(dirname "$0")/.."
start=$(date +%s)
status=0
scripts/fuzz.sh "${KT_CI_FUZZ_SECONDS:-30}" || status=1
scripts/soak.sh "${KT_CI_SOAK_HOURS:-0.1}" || status=1
echo "ci_extra: $(($(date +%s) - start)) s, $([ $status -eq 0 ] && echo passed || echo FAILED)"
exit $status
