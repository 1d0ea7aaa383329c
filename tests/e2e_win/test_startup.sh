#!/usr/bin/env bash
# First start in a fresh prefix (no registry key at all): the splash window asks for a sound driver;
# "(no sound)" and Play bring the game window up with the clock (the LCD test picture painted, then
# the clock), from a program folder whose name is not ASCII. The key bindings it starts with, the
# driver and the splash preference are in the registry as text.
source "$(dirname "$0")/wine_lib.sh" "$1" "${2:-1024x768}"
wine reg query "$W_KEY" >/dev/null 2>&1 && w_fail "the fresh prefix already has the key"
export KT_STARTUP_LOG=$W_TMP/startup.log
w_start
splash=""
for _ in $(seq 300); do
  splash=$(xdotool search --onlyvisible --name '^About this game' 2>/dev/null | head -1 || true)
  [ -n "$splash" ] && break
  sleep 0.2
done
[ -n "$splash" ] || w_fail "no splash window on the first start"
sleep 1
w_window 1 >/dev/null && w_fail "the game window is up before Play"
# The driver list: down to its third line, "(no sound)"; Enter plays.
xdotool windowactivate --sync "$splash" 2>/dev/null || true
xdotool key Down Down Down
sleep 0.3
xdotool key Return
w_window 60 >/dev/null || w_fail "no game window after Play"
for _ in $(seq 300); do [ -s "$KT_STARTUP_LOG" ] && break; sleep 0.2; done
[ -s "$KT_STARTUP_LOG" ] || w_fail "the clock picture was never painted"
sleep 3
running || w_fail "the program ended"
w_shot "$W_TMP/shot.png"
# The handheld fills the screen: many colours, not a blank window.
colours=$(convert "$W_TMP/shot.png" -format %k info:)
[ "$colours" -gt 100 ] || w_fail "the screen shows only $colours colours"
for k in 1:2 2:3 3:4 4:37 5:39 6:40 7:38 8:42; do
  [ "$(w_get "Key${k%%:*}")" = "${k#*:}" ] || w_fail "Key${k%%:*} is '$(w_get "Key${k%%:*}")', not ${k#*:}"
done
wine reg query "$W_KEY" /v Key1 | grep -q REG_SZ || w_fail "values are not stored as text"
[ "$(w_get SoundMode)" = 2 ] || w_fail "SoundMode is '$(w_get SoundMode)', not 2 for (no sound)"
[ "$(w_get SplashScreen)" = 1 ] || w_fail "SplashScreen is '$(w_get SplashScreen)', not 1"
echo PASS
