#!/usr/bin/env bash
# A named pipe where the settings file should be: the program never opens it (that would wait for
# a writer for ever), starts, tells the player once with the file's path and what is wrong, and
# plays with its settings in memory. The pipe is still a pipe afterwards.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/startup_lib.sh"
startup_skin
mkfifo "$E2E_SETTINGS"
e2e_start
# Nothing stored, so the splash window comes up; its play button starts the clock.
startup_wait_splash 15 || e2e_fail "no splash window with a pipe for the settings file"
grep -q "settings not saved: $E2E_SETTINGS: it is a named pipe" "$E2E_TMP/app.log" ||
  e2e_fail "the player was not told why: $(cat "$E2E_TMP/app.log")"
boxes=$(startup_message_boxes)
[ "$(echo "$boxes" | grep -c .)" = 1 ] || e2e_fail "expected one message box, found: $(echo "$boxes" | tr '\n' ' ')"
# "(no sound)", then Play.
xdotool key Down Down Down
sleep 0.5
xdotool key Return
startup_wait_clock 15 || e2e_fail "no clock after play"
kill -0 "$E2E_APP" || e2e_fail "the program ended"
[ -p "$E2E_SETTINGS" ] || e2e_fail "the pipe was replaced"
echo "settings pipe: never opened, the player is told, the game goes on"
