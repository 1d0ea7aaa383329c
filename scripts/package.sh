#!/usr/bin/env bash
# Builds the Debian package into build/ (or $KT_BUILD_DIR) and checks it with lintian when that is
# installed. The package's path is the last line printed.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
build=${KT_BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$build" -j"$(nproc)" --target ktusko kt_default_skin
# Folders and files in the package get the usual modes whatever the caller's umask.
umask 022
rm -f "$build"/ktusko_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/ktusko_*.deb)
if command -v lintian >/dev/null; then
  lintian --info "$deb" || echo "lintian found errors" >&2
else
  echo "lintian is not installed: apt-get install lintian to check the package" >&2
fi
echo "$deb"
