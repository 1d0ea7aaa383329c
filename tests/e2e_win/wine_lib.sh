# Shared set-up for the end-to-end tests of the Windows program under Wine: a private X display with
# a window manager, a fresh Wine prefix per test (made, started and ended by ../e2e/wine_lib.sh),
# and a program folder whose name holds characters outside ASCII, with a copy of the built program.
# Source it with: source "$(dirname "$0")/wine_lib.sh" <folder holding ktusko.exe> [WIDTHxHEIGHT]
set -euo pipefail
W_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$W_HERE/../e2e/display_lib.sh"
source "$W_HERE/../e2e/wine_lib.sh"

# The folder holding ktusko.exe, or the build folder holding it in ktusko/.
W_SRC=$(cd "$1" && pwd)
[ -f "$W_SRC/ktusko.exe" ] || W_SRC=$W_SRC/ktusko
W_SIZE=${2:-1024x768}
W_TMP=$(mktemp -d /tmp/ktusko-wine.XXXXXX)
E2E_TMP=$W_TMP  # where wine_start keeps the program's output (wine-app.log)
W_PIDS=()
W_PROG="$W_TMP/Spiele Ünïcødé ✓"
W_KEY='HKCU\Software\Zandrel\KTuskoSE50'

w_cleanup() {
  wine_end
  end_all W_PIDS "$W_TMP"
}
trap w_cleanup EXIT

w_fail() {
  echo "FAIL: $*" >&2
  [ -f "$W_TMP/shot.png" ] && cp "$W_TMP/shot.png" "/tmp/ktusko-wine-failed-$(basename "$0" .sh).png" 2>/dev/null || true
  [ -f "$W_TMP/wine-app.log" ] && tail -20 "$W_TMP/wine-app.log" >&2
  exit 1
}

wine_fresh_prefix "$W_TMP/prefix" || w_fail "no Wine prefix could be made"

mkdir -p "$W_PROG"
cp -r "$W_SRC/ktusko.exe" "$W_SRC/Config.ini" "$W_SRC/Resources" "$W_PROG/"
for f in "$W_SRC"/*.dll; do [ -e "$f" ] && cp "$f" "$W_PROG/"; done

start_display "$W_SIZE" 70 W_PIDS

# w_start: starts the program in the background (from another folder); its pid is in W_APP.
w_start() {
  pushd "$W_TMP" >/dev/null
  wine_start "$W_PROG/ktusko.exe"
  popd >/dev/null
  W_APP=$WINE_APP
  W_PIDS+=("$W_APP")
}
running() { kill -0 "$W_APP" 2>/dev/null; }

# w_set NAME TEXT: a value of the store, as text.
w_set() { wine reg add "$W_KEY" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }
# w_get NAME: the stored text of a value, or nothing.
w_get() { wine_reg_value "$W_KEY" "$1"; }
# Settings that go straight to the clock without sound.
w_skip_splash() { w_set SoundMode 2 && w_set SplashScreen 0; }

w_shot() { import -window root "$1"; }
# w_pixel FILE X Y: "R,G,B".
w_pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:; }
# w_window: the visible game window's id, waiting up to $1 seconds.
w_window() {
  local end=$((SECONDS + ${1:-30})) w
  while [ $SECONDS -lt $end ]; do
    w=$({ xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' 2>/dev/null || true; } | head -1)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.2
  done
  return 1
}
# w_differs A B GEOMETRY: how many pixels of the area differ between two screenshots.
w_differs() {
  convert "$1[$3]" "$2[$3]" -compose difference -composite -colorspace gray -threshold 6% -format "%[fx:int(mean*w*h+0.5)]" info:
}
# w_wait_exit SECONDS: waits for the program's end; its status is in W_STATUS.
w_wait_exit() {
  wine_wait_exit "$1"
  W_STATUS=$WINE_STATUS
  [ "$W_STATUS" != 124 ]
}
