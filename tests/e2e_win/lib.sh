# Shared set-up for the end-to-end tests of the Windows program under Wine: a private X display
# with a window manager and a fresh Wine prefix (a copy of a template made once).
# Source it with: source "$(dirname "$0")/lib.sh" <build-win folder> [WIDTHxHEIGHT]
set -euo pipefail

E2E_BUILD=$(cd "$1" && pwd)
E2E_SIZE=${2:-1024x768}
E2E_TMP=$(mktemp -d /tmp/ktusko-e2e-win-XXXXXX)
E2E_EXE=$E2E_BUILD/ktusko/ktusko.exe
# A tree without the Windows program (src/app/win32) builds none: nothing to test (exit code 77).
[ -f "$E2E_EXE" ] || { echo "SKIPPED: no Windows program in $E2E_BUILD"; exit 77; }

here=$(dirname "${BASH_SOURCE[0]}")
source "$here/../e2e/display_lib.sh"
source "$here/../e2e/wine_lib.sh"
# The settings key of the game in the registry, and the Windows user's folders inside the prefix.
E2E_KEY='HKCU\Software\Zandrel\KTuskoSE50'

E2E_PIDS=()
e2e_cleanup() {
  wine_end
  end_all E2E_PIDS "$E2E_TMP"
}
trap e2e_cleanup EXIT

e2e_fail() {
  echo "FAIL: $*" >&2
  import -window root /tmp/ktusko-e2e-win-last-fail.png 2>/dev/null || true
  exit 1
}

start_display "$E2E_SIZE" $(( 500 + ($$ % 400) )) E2E_PIDS
wine_fresh_prefix "$E2E_TMP/prefix" || e2e_fail "no Wine prefix could be made"
# The Windows user's profile folder inside the prefix (C:\users\<name>).
E2E_PROFILE=$(ls -d "$WINEPREFIX"/drive_c/users/*/ | grep -v '/Public/$' | head -1)
E2E_PROFILE=${E2E_PROFILE%/}

# e2e_wait_window SECONDS: waits until a visible window of a Wine program shows; prints its id.
e2e_wait_window() {
  local end=$((SECONDS + $1)) id
  while [ $SECONDS -lt $end ]; do
    id=$(xdotool search --onlyvisible --class 'ktusko.exe' 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}

# e2e_start [ARGS]: starts the Windows program from a copy of its program folder (read-only, as
# in Program Files) in the test's folder; its pid is in WINE_APP (wine becomes the program's
# process, so its exit status is the program's: wine_wait_exit).
e2e_start() {
  if [ ! -d "$E2E_TMP/prog" ]; then
    cp -r "$E2E_BUILD/ktusko" "$E2E_TMP/prog"
    chmod -R a-w "$E2E_TMP/prog"
  fi
  pushd "$E2E_TMP" >/dev/null
  wine_start "$E2E_TMP/prog/ktusko.exe" "$@"
  popd >/dev/null
}

# e2e_shot FILE: a screenshot of the whole screen.
e2e_shot() { import -window root "$1"; }
