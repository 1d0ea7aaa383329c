#!/usr/bin/env bash
# Builds everything and runs every test: unit and game tests, widget tests, end-to-end tests.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
extra=()
[ "${CI:-}" = "true" ] && extra+=(-DKT_WERROR=ON)
scripts/build.sh "${extra[@]}"
cd build
ctest --output-on-failure -j2
