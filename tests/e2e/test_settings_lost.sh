#!/usr/bin/env bash
# Settings that stop being writable while the game runs: F11 switches from the window to the whole
# screen and its write fails. The player is told in a box that comes up above the game window and
# stays above it when F11 switches again (the
# program runs as the unprivileged user "nobody" when the test runs as root, so that the settings
# folder can be taken from it).
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/startup_lib.sh"
source "$(dirname "$0")/windows_lib.sh"
startup_skin
printf '[General]\nSoundMode=2\nSplashScreen=0\nWindowMode=1\n' >"$E2E_SETTINGS"
folder=$XDG_CONFIG_HOME/Zandrel
if [ "$(id -u)" = 0 ]; then
  chmod 755 "$E2E_TMP" "$E2E_PROG" "$XDG_CONFIG_HOME"
  chmod 777 "$folder"
  chmod -R a+rX "$E2E_PROG"
  chmod 666 "$E2E_SETTINGS"
  (cd "$E2E_TMP" && exec setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/nonexistent \
    "$E2E_PROG/ktusko") >"$E2E_TMP/app.log" 2>&1 &
  E2E_APP=$!
  E2E_PIDS+=($E2E_APP)
else
  e2e_start
fi
game=$(win_wait "$GAME_TITLE" 30) || e2e_fail "no game window in window mode"
sleep 1
# The windows titled as the game other than the game window (which is the one that is WIDTH wide).
boxes_beside() {
  xdotool search --onlyvisible --name "$GAME_TITLE" 2>/dev/null | while read -r w; do
    [ "$(xwininfo -id "$w" | sed -n 's/.*Width: *//p')" != "$1" ] && echo "$w"
  done || true
}
[ -z "$(boxes_beside "$(xwininfo -id "$game" | sed -n 's/.*Width: *//p')")" ] ||
  e2e_fail "a box came up while the settings could be written"
chmod 555 "$folder"
xdotool windowactivate --sync "$game" 2>/dev/null || true
xdotool key F11
sleep 1.5
boxes=$(boxes_beside 1024)
[ "$(echo "$boxes" | grep -c .)" = 1 ] || e2e_fail "expected one message box, found: $(echo "$boxes" | tr '\n' ' ')"
grep -q "settings not saved: $E2E_SETTINGS" "$E2E_TMP/app.log" || e2e_fail "no failed write: $(cat "$E2E_TMP/app.log")"
# Above the game window, which now covers the whole screen: the stacking list ends with the box.
top=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*, //; s/.*# //')
e2e_shot "$E2E_TMP/shot.png"
cp "$E2E_TMP/shot.png" /tmp/ktusko-e2e-settings-lost.png 2>/dev/null || true
[ "$((top))" = "$boxes" ] || e2e_fail "the box is not above the game window"
# Back to the window and to the whole screen with the box up: it stays above the game window.
for mode in window "whole screen"; do
  xdotool windowactivate --sync "$(boxes_beside 0 | grep -v "^$boxes$" | head -1)" 2>/dev/null || true
  xdotool key F11
  sleep 1.5
  top=$(xprop -root _NET_CLIENT_LIST_STACKING | sed 's/.*, //; s/.*# //')
  [ "$((top))" = "$boxes" ] || e2e_fail "the box went behind the game window switched to the $mode"
done
kill -0 "$E2E_APP" || e2e_fail "the program ended"
echo "settings lost during play: the box comes up above the full-screen game window"
