#!/usr/bin/env bash
# Builds the libraries the Windows program links into a prefix, from Debian's own source packages of
# the versions the Linux build uses (the installed -dev packages): libpng, libjpeg-turbo, SDL2 and
# SDL2_mixer (WAV only), static, with the MinGW-w64 cross-compiler. zlib is Debian's MinGW package
# (libz-mingw-w64-dev). The sources are fetched by apt through a private configuration made from
# this machine's own (its own source list with deb-src entries, its own state and cache folders):
# apt checks the archive's signatures and every file's checksum, dpkg-source checks them again when
# unpacking. Nothing of the machine's apt configuration is changed.
#
# Usage: scripts/windows_deps.sh [BUILD_DIR]   (default build-win; the prefix is BUILD_DIR/deps/prefix)
# A second run with the same versions and this same script does nothing. Each library is built
# once; its stamp in BUILD_DIR/deps/stamps names its version.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
source "$top/scripts/debian_archive.sh"
build=${1:-$top/build-win}
mkdir -p "$build"
build=$(cd "$build" && pwd)
deps=$build/deps
prefix=$deps/prefix
toolchain=$top/cmake/mingw-w64.cmake
jobs=${KT_JOBS:-2}
mkdir -p "$deps/stamps" "$deps/src" "$deps/logs"

# source package <- the -dev package the Linux build uses
libs=(libjpeg-turbo:libjpeg62-turbo-dev libpng1.6:libpng-dev libsdl2:libsdl2-dev libsdl2-mixer:libsdl2-mixer-dev)
recipe=$(cat "$0" "$toolchain" | sha256sum | cut -c1-16)

installed_version() { dpkg-query -W -f='${source:Version}' "$1" 2>/dev/null; }

# A changed recipe (this script or the toolchain file) starts again from an empty prefix.
if [ "$(cat "$deps/recipe" 2>/dev/null)" != "$recipe" ]; then
  rm -rf "$prefix" "$deps/stamps"
  mkdir -p "$deps/stamps"
  echo "$recipe" >"$deps/recipe"
fi

# Everything already built for these versions: nothing to do.
all_built=yes
for entry in "${libs[@]}"; do
  src=${entry%%:*} dev=${entry#*:}
  want=$(installed_version "$dev") || { echo "$dev is not installed (scripts/setup.sh)" >&2; exit 1; }
  [ -f "$deps/stamps/$src" ] && head -1 "$deps/stamps/$src" | grep -qxF "want=$want recipe=$recipe" || all_built=no
done
if [ $all_built = yes ]; then
  echo "Windows libraries: up to date in $prefix"
  exit 0
fi

command -v x86_64-w64-mingw32-g++-posix >/dev/null || { echo "the MinGW-w64 cross-compiler is missing (scripts/setup.sh)" >&2; exit 1; }
[ -f /usr/x86_64-w64-mingw32/lib/libz.a ] || { echo "libz-mingw-w64-dev is missing (scripts/setup.sh)" >&2; exit 1; }

apt_opts=()
apt_ready=no
private_apt() {
  [ $apt_ready = yes ] && return 0
  mapfile -t apt_opts < <(kt_private_apt "$deps/apt")
  echo "Windows libraries: reading the archive's source lists"
  apt-get "${apt_opts[@]}" -qq update
  apt_ready=yes
}

# The versions to try, best first: the installed one, then the others the archive has of the same
# upstream release, newest first (the archive keeps only the latest Debian revisions; a fresh
# machine installs one of those). A version the archive lists but cannot serve is passed over.
candidates() {
  local src=$1 want=$2 v
  echo "$want"
  apt-cache "${apt_opts[@]}" showsrc "$src" | sed -n 's/^Version: //p' | while read -r v; do
    [ "$v" != "$want" ] && [ "${v%-*}" = "${want%-*}" ] && echo "$v"
  done | sort -u | sort -r -V
}

# fetch SRC VERSION: prints the unpacked source folder.
fetch() {
  local src=$1 version=$2 dir=$deps/src/$1-${2//:/_}
  if [ ! -f "$dir/.unpacked" ]; then
    rm -rf "$dir" "$deps/src/dl-$src"
    mkdir -p "$deps/src/dl-$src"
    if [ "$(id -u)" = 0 ] && id _apt >/dev/null 2>&1; then chown _apt "$deps/src/dl-$src"; fi
    (cd "$deps/src/dl-$src" && apt-get "${apt_opts[@]}" -qq source --download-only "$src=$version") >&2 || return 1
    dpkg-source --no-check -x "$deps/src/dl-$src"/*.dsc "$dir" >/dev/null ||
      { echo "dpkg-source could not unpack $src $version" >&2; return 1; }
    touch "$dir/.unpacked"
  fi
  echo "$dir"
}

cmake_lib() {
  local name=$1 srcdir=$2
  shift 2
  local b=$deps/build-$name log=$deps/logs/$name.log
  rm -rf "$b"
  if ! { cmake -S "$srcdir" -B "$b" -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
           -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_PREFIX_PATH="$prefix" "$@" &&
         cmake --build "$b" -j"$jobs" && cmake --install "$b"; } >"$log" 2>&1; then
    tail -30 "$log" >&2
    echo "building $name failed (whole log: $log)" >&2
    return 1
  fi
  rm -rf "$b"
}

build_lib() {
  local src=$1 dir=$2
  case $src in
    libjpeg-turbo)
      cmake_lib jpeg "$dir" -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
        -DWITH_JAVA=OFF -DREQUIRE_SIMD=OFF ;;
    libpng1.6)
      cmake_lib png "$dir" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
        -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_FILES=ON ;;
    libsdl2)
      cmake_lib sdl2 "$dir" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL2_DISABLE_SDL2MAIN=OFF ;;
    libsdl2-mixer)
      cmake_lib sdl2_mixer "$dir" -DBUILD_SHARED_LIBS=OFF -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF \
        -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_WAVE=ON \
        -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF \
        -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_MP3=OFF -DSDL2MIXER_GME=OFF -DSDL2MIXER_WAVPACK=OFF ;;
  esac
}

for entry in "${libs[@]}"; do
  src=${entry%%:*} dev=${entry#*:}
  want=$(installed_version "$dev")
  if [ -f "$deps/stamps/$src" ] && head -1 "$deps/stamps/$src" | grep -qxF "want=$want recipe=$recipe"; then
    continue
  fi
  # SDL2_mixer is built against SDL2's headers and CMake files: a new SDL2 means a new SDL2_mixer.
  [ "$src" = libsdl2 ] && rm -f "$deps/stamps/libsdl2-mixer"
  private_apt
  t0=$SECONDS
  dir=""
  for version in $(candidates "$src" "$want"); do
    if dir=$(fetch "$src" "$version" 2>"$deps/logs/fetch-$src.log"); then break; fi
    echo "Windows libraries: $src $version cannot be fetched from the archive ($(grep -m1 -E '^E:' "$deps/logs/fetch-$src.log" || tail -1 "$deps/logs/fetch-$src.log"))" >&2
    dir=""
  done
  [ -n "$dir" ] || { echo "no source of $src ${want%-*} could be fetched" >&2; exit 1; }
  t1=$SECONDS
  build_lib "$src" "$dir"
  echo "want=$want recipe=$recipe" >"$deps/stamps/$src"
  echo "version=$version" >>"$deps/stamps/$src"
  echo "Windows libraries: $src $version fetched in $((t1 - t0)) s, built in $((SECONDS - t1)) s"
done
echo "Windows libraries: ready in $prefix"
