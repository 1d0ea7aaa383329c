# Shared set-up for the end-to-end tests of the Windows program under Wine: a private X display with
# a window manager, a fresh Wine prefix per test (a copy of a template prefix made once), and a
# program folder whose name holds characters outside ASCII, with a copy of the built program.
# Source it with: source "$(dirname "$0")/wine_lib.sh" <folder holding ktusko.exe> [WIDTHxHEIGHT]
set -euo pipefail
W_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$W_HERE/../e2e/display_lib.sh"

# The folder holding ktusko.exe, or the build folder holding it in ktusko/.
W_SRC=$(cd "$1" && pwd)
[ -f "$W_SRC/ktusko.exe" ] || W_SRC=$W_SRC/ktusko
W_SIZE=${2:-1024x768}
W_TMP=$(mktemp -d /tmp/ktusko-wine.XXXXXX)
W_PIDS=()
W_PROG="$W_TMP/Spiele Ünïcødé ✓"
W_KEY='HKCU\Software\Zandrel\KTuskoSE50'
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64

w_cleanup() {
  WINEPREFIX="$W_TMP/prefix" wineserver -k 2>/dev/null || true
  end_all W_PIDS "$W_TMP"
}
trap w_cleanup EXIT

w_fail() {
  echo "FAIL: $*" >&2
  [ -f "$W_TMP/shot.png" ] && cp "$W_TMP/shot.png" "/tmp/ktusko-wine-failed-$(basename "$0" .sh).png" 2>/dev/null || true
  [ -f "$W_TMP/app.log" ] && tail -20 "$W_TMP/app.log" >&2
  exit 1
}

# The template prefix: made once (wineboot takes a while), copied for every test.
W_TEMPLATE=${KT_WINE_TEMPLATE:-/tmp/ktusko-wine-template-$(id -u)}
if [ ! -f "$W_TEMPLATE/.made" ]; then
  rm -rf "$W_TEMPLATE"
  WINEPREFIX="$W_TEMPLATE" wineboot -i >/dev/null 2>&1
  WINEPREFIX="$W_TEMPLATE" wineserver -w
  touch "$W_TEMPLATE/.made"
fi
cp -a "$W_TEMPLATE" "$W_TMP/prefix"
export WINEPREFIX="$W_TMP/prefix"

mkdir -p "$W_PROG"
cp -r "$W_SRC/ktusko.exe" "$W_SRC/Config.ini" "$W_SRC/Resources" "$W_PROG/"
for f in "$W_SRC"/*.dll; do [ -e "$f" ] && cp "$f" "$W_PROG/"; done

start_display "$W_SIZE" 70 W_PIDS

# w_start: starts the program in the background (from another folder); its pid is in W_APP.
w_start() {
  (cd "$W_TMP" && exec wine "$W_PROG/ktusko.exe") >"$W_TMP/app.log" 2>&1 &
  W_APP=$!
  W_PIDS+=("$W_APP")
}
running() { kill -0 "$W_APP" 2>/dev/null; }

# w_set NAME TEXT: a value of the store, as text.
w_set() { wine reg add "$W_KEY" /v "$1" /t REG_SZ /d "$2" /f >/dev/null 2>&1; }
# w_get NAME: the stored text of a value, or nothing.
w_get() {
  wine reg query "$W_KEY" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { $1 = ""; $2 = ""; sub(/^  /, ""); print }'
}
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
  local end=$((SECONDS + $1))
  while running && [ $SECONDS -lt $end ]; do sleep 0.1; done
  running && return 1
  W_STATUS=0
  wait "$W_APP" || W_STATUS=$?
  return 0
}
