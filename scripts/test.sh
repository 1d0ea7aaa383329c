#!/usr/bin/env bash
# Builds everything and runs every test: unit and game tests, widget tests, end-to-end tests.
# One end-to-end test packages the build (cpack) and installs the package into a fresh Debian 12
# root made with debootstrap: it needs root and the Debian archive and is skipped without them.
# The plain C++ tests (kt_unit_tests) also run a second time, built into build-asan with
# AddressSanitizer and UndefinedBehaviorSanitizer; any report fails the run. The sanitizer
# run's random-play property test plays KT_ASAN_PROPERTY_GAMES games (default 1000, a few seconds).
# Then every fuzz target runs for 30 s and the sanitized random play for a few simulated minutes
# (scripts/ci_extra.sh). Last the Windows build (scripts/windows.sh: the program, the zip and the
# installer) and its tests under Wine: the plain C++ tests with the fuzz-regression inputs, and
# the end-to-end tests of the Windows program (build-win, each test in a fresh Wine prefix).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
extra=()
[ "${CI:-}" = "true" ] && extra+=(-DKT_WERROR=ON)
scripts/build.sh "${extra[@]}"

# Sanitizers: only the plain C++ test program, to keep the run short.
asan=${KT_ASAN_BUILD_DIR:-build-asan}
cmake -S . -B "$asan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKT_SANITIZE=ON "${extra[@]}" >/dev/null
cmake --build "$asan" --target kt_unit_tests -j2
sanitizers=passed
echo "Sanitizer run: $asan/tests/kt_unit_tests"
if ! ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1 \
     UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     KT_PROPERTY_GAMES=${KT_ASAN_PROPERTY_GAMES:-1000} \
     "$asan/tests/kt_unit_tests" --gtest_brief=1; then
  sanitizers=failed
  echo "Sanitizer run FAILED (AddressSanitizer/UndefinedBehaviorSanitizer report or test failure above)" >&2
fi

# Fuzzing each input parser for 30 s and a few simulated minutes of sanitized random play.
extra_checks=passed
KT_SOAK_TESTS="$asan/tests/kt_unit_tests" scripts/ci_extra.sh || extra_checks=failed

# The Windows build and its tests under Wine.
windows=passed
windows_start=$SECONDS
if KT_JOBS=2 scripts/windows.sh "${extra[@]}"; then
  ctest --test-dir "${KT_WIN_BUILD_DIR:-build-win}" --output-on-failure || windows=failed
else
  windows=failed
fi
echo "Windows build and tests: $((SECONDS - windows_start)) s, $windows"

# The full test suite; its summary is the last thing printed.
cd build
status=0
ctest --output-on-failure -j2 || status=$?
[ "$sanitizers" = passed ] || status=1
[ "$extra_checks" = passed ] || { echo "Fuzzing or soak FAILED (see above)" >&2; status=1; }
[ "$windows" = passed ] || { echo "Windows build or its tests under Wine FAILED (see above)" >&2; status=1; }
exit "$status"
