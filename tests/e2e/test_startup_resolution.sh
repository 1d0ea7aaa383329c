#!/usr/bin/env bash
# The play action's screen check is about the screen as the game lays the skin out on it; no
# stored window size or scale stops a start:
# - 1920x1080, "Original size" in a 1280x720 window: the game starts, the handheld whole (reduced
#   while the window is smaller than the skin);
# - 1280x720, "Original size" in full screen: the same;
# - 1280x720 with a skin laid out for 640x480 (fitted, a screen of 854x480): after "(no sound)"
#   and Play the resolution message comes up in an error box, and after OK the program ends with
#   the driver stored but not the splash preference.
# Usage: test_startup_resolution.sh EXECUTABLE E2E_DIR [PART]
if [ -z "${3:-}" ]; then
  for part in window full refused; do
    bash "$0" "$1" "$2" "$part" || exit 1
  done
  echo "startup resolution: stored window and scale never refuse a start; a small skin screen is refused"
  exit 0
fi
part=$3
size=1280x720
[ "$part" = window ] && size=1920x1080
source "$(dirname "$0")/lib.sh" "$1" $size
source "$(dirname "$0")/windows_lib.sh"
source "$(dirname "$0")/startup_lib.sh"

# whole X Y W H: the handheld's 1024x768 background shows whole in the rectangle's middle, reduced
# to its height: its top and bottom rows are there and the sides beside it are black.
whole() {
  local x=$1 y=$2 w=$3 h=$4 bw
  bw=$((1024 * h / 768))
  e2e_wait_pixel $((x + w / 2)) $((y + 1)) 48,48,48 10 || e2e_fail "$part: the handheld's top is cut off"
  local shot=$E2E_TMP/shot.png
  [ "$(e2e_pixel $shot $((x + w / 2)) $((y + h - 2)))" = 48,48,48 ] || e2e_fail "$part: the handheld's bottom is cut off"
  [ "$(e2e_pixel $shot $((x + (w - bw) / 2 - 4)) $((y + h / 2)))" = 0,0,0 ] &&
    [ "$(e2e_pixel $shot $((x + (w - bw) / 2 + 4)) $((y + h / 2)))" = 48,48,48 ] ||
    e2e_fail "$part: the handheld is not reduced to the height of $w x $h"
  cp $shot /tmp/ktusko-e2e-resolution-$part.png 2>/dev/null || true
}

if [ "$part" != refused ]; then
  win_skin
  printf '[General]\nSoundMode=2\nSplashScreen=0\nScreenScale=0\n' >"$E2E_SETTINGS"
  [ "$part" = window ] && printf 'WindowMode=1\nWindowGeometry="100,100,1280,720"\n' >>"$E2E_SETTINGS"
  e2e_start
  win=$(win_wait "$GAME_TITLE" 15) || e2e_fail "$part: no game window ($(cat "$E2E_TMP/app.log"))"
  if [ "$part" = window ]; then
    info=$(xwininfo -id "$win")
    whole "$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info")" "$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")" 1280 720
  else
    whole 0 0 1280 720
  fi
  running || e2e_fail "$part: the program ended"
  [ -z "$(startup_message_boxes)" ] || e2e_fail "$part: a message box came up"
  win_alt_f4 "$win"
  win_wait_end 10 || e2e_fail "$part: Alt+F4 did not end the program with status 0"
  echo "ok: $part: original size starts and shows the handheld whole"
  exit 0
fi

startup_skin
sed -i 's/DesignWidth=1024/DesignWidth=640/; s/DesignHeight=768/DesignHeight=480/' "$E2E_PROG/Config.ini"
e2e_start

startup_wait_splash 15 || e2e_fail "the splash window never came up"
xdotool key Down Down Down
sleep 0.3
xdotool key Return

# The error box: a new small window on the screen, titled with the program's name.
box=""
end=$((SECONDS + 10))
while [ $SECONDS -lt $end ] && [ -z "$box" ]; do
  for wid in $(xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' 2>/dev/null); do
    w=$(xwininfo -id "$wid" | sed -n 's/.*Width: *//p')
    [ -n "$w" ] && [ "$w" -lt 1000 ] && box=$wid
  done
  sleep 0.2
done
[ -n "$box" ] || { e2e_shot "$E2E_TMP/shot.png"; e2e_fail "no message box"; }
e2e_shot "$E2E_TMP/shot.png"
cp "$E2E_TMP/shot.png" /tmp/ktusko-e2e-resolution.png 2>/dev/null || true
kill -0 "$E2E_APP" 2>/dev/null || e2e_fail "the program ended before OK"

xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key Return
end=$((SECONDS + 10))
while [ $SECONDS -lt $end ] && kill -0 "$E2E_APP" 2>/dev/null; do sleep 0.1; done
kill -0 "$E2E_APP" 2>/dev/null && e2e_fail "the program did not end after the message"
[ "$(startup_setting SoundMode)" = 2 ] || e2e_fail "SoundMode is '$(startup_setting SoundMode)', not 2"
[ -z "$(startup_setting SplashScreen)" ] || e2e_fail "SplashScreen was written"
echo "ok: a skin screen of 854x480 on 1280x720: resolution message, program ended"
