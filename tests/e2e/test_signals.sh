#!/usr/bin/env bash
# SIGTERM, SIGINT and SIGHUP (a logout, Ctrl+C, a closed terminal) close the program as the window
# manager's close does: exit status 0, the window place of its last moment stored, the settings
# whole, and nothing of it left in /tmp. Also while the splash window is up, before Play.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/windows_lib.sh"
win_skin

# The socket a running copy listens on, when it is a file: named after the user and the settings.
sock=/tmp/ktusko-$(id -u)-$(printf '%s' "$E2E_SETTINGS" | sha1sum | cut -c1-16)

# start: the program with the three signals at their defaults (a script's background job would
# otherwise start with SIGINT ignored).
start() {
  (cd "$E2E_TMP" && exec env --default-signal=INT,HUP,TERM "$E2E_PROG/ktusko") >"$E2E_TMP/app.log" 2>&1 &
  E2E_APP=$!
  E2E_PIDS+=($E2E_APP)
}

for sig in TERM INT HUP; do
  printf '[General]\nSoundMode=2\nSplashScreen=0\nHiScore1=7\nHiScore2=9\nWindowMode=1\nWindowGeometry="100,100,640,480"\n' \
    >"$E2E_SETTINGS"
  start
  win=$(win_wait "$GAME_TITLE" 15) || e2e_fail "$sig: no game window"
  e2e_wait_pixel 420 340 48,48,48 10 || e2e_fail "$sig: the window shows no handheld"
  # Moved, and the signal at once: the place is stored by the shutdown, not by the timer that
  # stores it half a second after the last move.
  xdotool windowmove --sync "$win" 300 200 2>/dev/null || xdotool windowmove "$win" 300 200
  sleep 0.1
  kill -s "$sig" "$E2E_APP"
  status=0
  wait "$E2E_APP" || status=$?
  [ "$status" = 0 ] || e2e_fail "$sig: exit status $status ($(cat "$E2E_TMP/app.log"))"
  geometry=$(setting WindowGeometry)
  IFS=, read -r x y w h <<<"${geometry//\"/}"
  [ "$w,$h" = "640,480" ] && [ "$x" -ge 250 ] && [ "$x" -le 350 ] && [ "$y" -ge 150 ] && [ "$y" -le 250 ] ||
    e2e_fail "$sig: the window's last place was not stored: WindowGeometry=$geometry"
  [ "$(setting HiScore1),$(setting HiScore2),$(setting SoundMode),$(setting WindowMode)" = "7,9,2,1" ] ||
    e2e_fail "$sig: settings lost: $(tr '\n' ' ' <"$E2E_SETTINGS")"
  [ ! -e "$sock" ] || e2e_fail "$sig: $sock was left behind"
  echo "ok: SIG$sig closes with status 0, the last place stored, nothing left in /tmp"
done

# Before Play: the splash window is up and the game window not yet on the screen.
rm -f "$E2E_SETTINGS"
start
win_wait '^About this game' 15 >/dev/null || e2e_fail "no splash window"
kill -s TERM "$E2E_APP"
status=0
wait "$E2E_APP" || status=$?
[ "$status" = 0 ] || e2e_fail "SIGTERM at the splash window: exit status $status"
[ ! -e "$sock" ] || e2e_fail "SIGTERM at the splash window: $sock was left behind"
echo "signals: a close request with status 0, everything saved, nothing left behind"
