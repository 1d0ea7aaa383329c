#!/usr/bin/env bash
# The desktop's scale (Xft.dpi 96, 144 and 192, and QT_SCALE_FACTOR) at 1920 x 1080 with the
# default skin:
#  - the small windows grow with it: the splash, about, key settings and document windows come up
#    at the desktop's scale, and every text they show fits the room its element gives it;
#  - the game picture is the same, pixel for pixel, at every scale (Game A held: the high score).
# With no program to open files, F2 shows Readme.txt in a window of its own.
# DESKTOP_SCALES="192" runs single scales (96 always runs: it is the reference picture).
source "$(dirname "$0")/lib.sh" "$1" 1920x1080
cp -r "$(dirname "$1")/Config.ini" "$(dirname "$1")/Readme.txt" "$(dirname "$1")/Resources" "$E2E_PROG/"
mkdir -p "$E2E_TMP/nothing"
W=1920 H=1080

# wait_window TITLE: until a window of that title is on screen.
wait_window() {
  local end=$((SECONDS + 20))
  until xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || { cat "$E2E_TMP/app.log" >&2; e2e_fail "$tag: no window '$1'"; }
    sleep 0.2
  done
}

# run TAG DPI [VAR=VALUE...]: one run of the program at that desktop scale; the picture with Game A
# held goes to $E2E_TMP/TAG.png, the windows' texts to $E2E_TMP/TAG.txt.
run() {
  tag=$1
  local dpi=$2
  shift 2
  echo "Xft.dpi: $dpi" | xrdb -override -
  xset r off  # one press per keydown: a repeat would light the high score again
  printf '[General]\nSoundMode=2\nSplashScreen=1\n' >"$E2E_SETTINGS"
  # No program opens files here (no launcher on the PATH).
  (cd "$E2E_TMP" && exec env PATH="$E2E_TMP/nothing" KT_LAYOUT_LOG="$E2E_TMP/$tag.txt" "$@" "$E2E_PROG/ktusko") \
    >"$E2E_TMP/app.log" 2>&1 &
  E2E_APP=$!
  E2E_PIDS+=($E2E_APP)
  wait_window '^About this game\.\.\.$'
  sleep 0.5
  xdotool key Return
  wait_window '^Kellup Tusko Lumo Special Edition$'
  sleep 3  # test picture, then the clock
  xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' windowactivate --sync >/dev/null 2>&1 || true
  sleep 0.3
  xdotool keydown 1
  sleep 1.5
  e2e_shot "$E2E_TMP/$tag.png"
  xdotool keyup 1
  xdotool key F1
  wait_window '^About the author\.\.\.$'
  sleep 0.5
  xdotool key Escape
  sleep 0.3
  # The game menu's icon, then its "Key settings" row (skin rows of 32 pixels, scaled to the screen).
  local s
  s=$(awk "BEGIN { a = $W / 1024; b = $H / 768; print (a < b ? a : b) }")
  xdotool mousemove "$(awk "BEGIN { printf \"%d\", 18 * $s }")" "$(awk "BEGIN { printf \"%d\", 16 * $s }")" click 1
  sleep 0.5
  xdotool mousemove "$(awk "BEGIN { printf \"%d\", 128 * $s }")" "$(awk "BEGIN { printf \"%d\", 208 * $s }")" click 1
  wait_window '^Key settings$'
  sleep 0.5
  xdotool key Escape
  sleep 0.3
  xdotool mousemove 960 700
  xdotool key F2
  wait_window '^Readme\.txt - '
  sleep 0.5
  kill "$E2E_APP" 2>/dev/null || true
  wait "$E2E_APP" 2>/dev/null || true
}

# check TAG RATIO: every text of the small windows fits at that scale, and the windows have it.
check() {
  local log=$E2E_TMP/$1.txt
  [ -s "$log" ] || e2e_fail "$1: nothing written to the layout log"
  for w in 'About this game...' 'About the author...' 'Key settings' 'Readme.txt - '; do
    grep -q "^$w" "$log" || e2e_fail "$1: no texts of the window '$w'"
  done
  awk -F'\t' -v tag="$1" -v ratio="$2" '
    { if ($4 > $6 || $5 > $7) { printf "%s: %s / %s: \"%s\" needs %dx%d, has %dx%d\n", tag, $1, $2, $3, $4, $5, $6, $7; bad = 1 }
      if ($8 + 0 != ratio + 0) { printf "%s: %s at scale %s, not %s\n", tag, $1, $8, ratio; bad = 1 } }
    END { exit bad }' "$log" || e2e_fail "$1: texts cut or the desktop's scale not followed"
}

run dpi96 96
check dpi96 1
for scale in ${DESKTOP_SCALES:-144 192 factor}; do
  case $scale in
    factor) run factor 96 QT_SCALE_FACTOR=1.5; check factor 1.5 ;;
    *) run "dpi$scale" "$scale"; check "dpi$scale" "$(awk "BEGIN { print $scale / 96 }")" ;;
  esac
  diff=$(compare -metric AE "$E2E_TMP/dpi96.png" "$E2E_TMP/$tag.png" null: 2>&1 || true)
  if [ "$diff" != 0 ]; then
    cp "$E2E_TMP/$tag.png" "$E2E_TMP/shot.png"
    cp "$E2E_TMP/dpi96.png" "$E2E_TMP/clear.png"
    e2e_fail "$tag: the game picture differs from the one at 96 dpi in $diff pixels"
  fi
done
echo "desktop scale: small windows follow it with every text whole, the game picture unchanged"
