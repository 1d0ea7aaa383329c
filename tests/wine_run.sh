#!/usr/bin/env bash
# wine_run.sh PROGRAM.exe [ARGS...]: runs a Windows test program under Wine in a fresh Wine prefix
# (a copy of the template tests/e2e/wine_lib.sh makes once) and returns its exit status. The
# prefix goes away afterwards, so no run sees what another left in its registry or files.
set -euo pipefail
source "$(dirname "$0")/e2e/wine_lib.sh"
dir=$(mktemp -d /tmp/ktusko-wine-XXXXXX)
trap 'WINEPREFIX=$dir wineserver -k 2>/dev/null || true; rm -rf "$dir"' EXIT
wine_fresh_prefix "$dir/prefix"
status=0
wine "$@" || status=$?
wineserver -w || true
exit $status
