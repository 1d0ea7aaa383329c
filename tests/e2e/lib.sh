# Shared set-up for the end-to-end tests: a private X display with a window manager, a private
# settings store and a private program folder holding a copy of the built executable.
# Source it with: source "$(dirname "$0")/lib.sh" <ktusko executable> [WIDTHxHEIGHT]
set -euo pipefail

E2E_EXE=$1
E2E_SIZE=${2:-1024x768}
E2E_TMP=$(mktemp -d /tmp/ktusko-e2e-XXXXXX)
E2E_PROG=$E2E_TMP/prog
export XDG_CONFIG_HOME=$E2E_TMP/config
E2E_SETTINGS=$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf
mkdir -p "$E2E_PROG" "$XDG_CONFIG_HOME/Zandrel"
cp "$E2E_EXE" "$E2E_PROG/ktusko"

source "$(dirname "${BASH_SOURCE[0]}")/display_lib.sh"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export SDL_AUDIODRIVER=dummy

E2E_PIDS=()
e2e_cleanup() { end_all E2E_PIDS "$E2E_TMP"; }
trap e2e_cleanup EXIT

# E2E_XKB_LAYOUT=fr (de, gb, ...): the X server starts with that keyboard layout. (The test
# server does not take a keymap loaded while it runs, so the layout is made its default: a private
# copy of the keyboard data whose "us" symbols are the wanted layout's.)
E2E_XKB_ARGS=()
if [ -n "${E2E_XKB_LAYOUT:-}" ] && [ "$E2E_XKB_LAYOUT" != us ]; then
  xkb=$E2E_TMP/xkb
  mkdir -p "$xkb/symbols"
  for f in /usr/share/X11/xkb/*; do [ "${f##*/}" = symbols ] || ln -s "$f" "$xkb/"; done
  for f in /usr/share/X11/xkb/symbols/*; do [ "${f##*/}" = us ] || ln -s "$f" "$xkb/symbols/"; done
  printf 'default partial alphanumeric_keys modifier_keys\nxkb_symbols "basic" { include "%s" };\n' \
    "$E2E_XKB_LAYOUT" >"$xkb/symbols/us"
  E2E_XKB_ARGS=(-xkbdir "$xkb")
fi

start_display "$E2E_SIZE" $(( 100 + ($$ % 400) )) E2E_PIDS "${E2E_XKB_ARGS[@]}"
sleep 0.3

# Starts the program in the background; its pid is in E2E_APP.
e2e_start() {
  (cd "$E2E_TMP" && exec "$E2E_PROG/ktusko") >"$E2E_TMP/app.log" 2>&1 &
  E2E_APP=$!
  E2E_PIDS+=($E2E_APP)
}

# Writes settings that skip the splash window and go straight to the clock without sound.
e2e_skip_splash() {
  printf '[General]\nSoundMode=2\nSplashScreen=0\n' >"$E2E_SETTINGS"
}

# e2e_shot FILE: a screenshot of the whole screen.
e2e_shot() { import -window root "$1"; }

# e2e_pixel FILE X Y: the pixel's colour as "R,G,B" (0..255).
e2e_pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)],%[fx:int(255*p{$2,$3}.g)],%[fx:int(255*p{$2,$3}.b)]" info:
}

# e2e_wait_pixel X Y R,G,B [seconds]: screenshots until the pixel has the colour; the last shot is $E2E_TMP/shot.png.
e2e_wait_pixel() {
  local end=$((SECONDS + ${4:-10}))
  while [ $SECONDS -lt $end ]; do
    e2e_shot "$E2E_TMP/shot.png"
    [ "$(e2e_pixel "$E2E_TMP/shot.png" "$1" "$2")" = "$3" ] && return 0
    sleep 0.1
  done
  echo "pixel ($1,$2) never became $3 (last: $(e2e_pixel "$E2E_TMP/shot.png" "$1" "$2"))" >&2
  return 1
}

e2e_fail() {
  echo "FAIL: $*" >&2
  cp "$E2E_TMP/shot.png" /tmp/ktusko-e2e-last-fail.png 2>/dev/null || true
  cp "$E2E_TMP/clear.png" /tmp/ktusko-e2e-last-fail-reference.png 2>/dev/null || true
  exit 1
}

# e2e_picture FILE WxH COLOUR: a plain picture for a skin written by a test.
e2e_picture() { convert -size "$2" "xc:$3" "PNG32:$1"; }

# e2e_expect_jump_on_space [WHEN]: the space bar presses and releases the Jump face (whose pressed
# picture is red and released picture green at $JX,$JY) and ctrl no longer does.
e2e_expect_jump_on_space() {
  local when=${1:-} shot=$E2E_TMP/shot.png
  xdotool keydown space
  e2e_wait_pixel $JX $JY 255,0,0 5 || e2e_fail "the space bar does not press Jump$when"
  xdotool keyup space
  e2e_wait_pixel $JX $JY 0,255,0 5 || e2e_fail "releasing the space bar does not release Jump$when"
  xdotool keydown ctrl
  sleep 0.3
  e2e_shot "$shot"
  xdotool keyup ctrl
  [ "$(e2e_pixel "$shot" $JX $JY)" = "0,255,0" ] || e2e_fail "ctrl still presses Jump$when"
}
