#!/usr/bin/env bash
# Builds the 64-bit Windows program on Debian 12 with MinGW-w64: build-win/ktusko-5.0-win64.zip and
# the installer build-win/ktusko-5.0-win64-setup.exe.
#   1. the Debian packages (scripts/setup.sh);
#   2. the Windows libraries from Debian's source packages (scripts/windows_deps.sh, cached in
#      build-win/deps);
#   3. the skins, sounds, documents and compiled-in pictures, made by the Linux build's own tools
#      (the build/ folder, or $KT_HOST_BUILD_DIR);
#   4. the program and its unit tests, cross-built into build-win/ (or $KT_WIN_BUILD_DIR);
#   5. the zip and the installer.
# Each step says how long it took; a second run rebuilds only what changed.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
host=${KT_HOST_BUILD_DIR:-build}
win=${KT_WIN_BUILD_DIR:-build-win}
jobs=${KT_JOBS:-$(nproc)}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

step_start=$SECONDS
step() { echo "== $1: $((SECONDS - step_start)) s"; step_start=$SECONDS; }

scripts/setup.sh
step "packages"
KT_JOBS=$jobs scripts/windows_deps.sh "$win"
step "Windows libraries"

[ -f "$host/CMakeCache.txt" ] ||
  cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build "$host" -j"$jobs" --target kt_default_skin kt_qt_pictures
host=$(cd "$host" && pwd)
step "skins and pictures (Linux tools)"

mkdir -p "$win"
win=$(cd "$win" && pwd)
cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64.cmake" -DCMAKE_PREFIX_PATH="$win/deps/prefix" \
  -DCMAKE_BUILD_TYPE=Release -DKT_HOST_BUILD="$host" "${launcher[@]}" "$@" >/dev/null
cmake --build "$win" -j"$jobs"
step "Windows program and tests"

if cmake --build "$win" --target help | grep kt_win_packages >/dev/null; then
  cmake --build "$win" --target kt_win_packages
  step "zip and installer"
  ls -l "$win"/ktusko-5.0-win64*
else
  echo "No Windows program in this tree (src/app/win32): no zip and no installer" >&2
fi
