#!/usr/bin/env bash
# Settings that cannot be written: the settings folder is read-only for the player (the program
# runs as the unprivileged user "nobody" when the test runs as root). The start-up's key write-back
# fails eight times; the player is told once, in a box that names the file and the reason and does
# not take the keyboard from the game, which goes on to the clock and obeys its keys. The settings
# file is left as it was.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/startup_lib.sh"
startup_skin
printf '[General]\nSoundMode=2\nSplashScreen=0\nHiScore1=45\n' >"$E2E_SETTINGS"
before=$(cat "$E2E_SETTINGS")
shot=$E2E_TMP/shot.png
if [ "$(id -u)" = 0 ]; then
  command -v setpriv >/dev/null || { echo "SKIP: no setpriv to run as an unprivileged user"; exit 0; }
  chmod 755 "$E2E_TMP" "$E2E_PROG" "$XDG_CONFIG_HOME" "$XDG_CONFIG_HOME/Zandrel"
  chmod -R a+rX "$E2E_PROG"
  chmod 644 "$E2E_SETTINGS"
  touch "$E2E_TMP/app.log" && chmod 666 "$E2E_TMP/app.log"
  (cd "$E2E_TMP" && exec setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/nonexistent \
    "$E2E_PROG/ktusko") >"$E2E_TMP/app.log" 2>&1 &
  E2E_APP=$!
  E2E_PIDS+=($E2E_APP)
else
  chmod 555 "$XDG_CONFIG_HOME/Zandrel"
  e2e_start
fi

startup_wait_clock 15 || e2e_fail "no clock with settings that cannot be written"
sleep 0.5
# One box, small, on the screen, above the game.
boxes=$(startup_message_boxes)
[ "$(echo "$boxes" | grep -c .)" = 1 ] || e2e_fail "expected one message box, found: $(echo "$boxes" | tr '\n' ' ')"
grep -q "settings not saved: $E2E_SETTINGS: Permission denied" "$E2E_TMP/app.log" ||
  e2e_fail "no reason with the file's path: $(cat "$E2E_TMP/app.log")"
e2e_shot "$shot"
cp "$shot" /tmp/ktusko-e2e-unwritable.png 2>/dev/null || true
# The keyboard stays with the game: Game A held shows its high score.
startup_held_score __450 || e2e_fail "Game A held shows $(startup_digits "$shot") with the box up"
kill -0 "$E2E_APP" || e2e_fail "the program ended"
[ "$(cat "$E2E_SETTINGS")" = "$before" ] || e2e_fail "the settings file changed"
echo "settings unwritable: one box with the file and the reason, the game goes on"
