#!/usr/bin/env bash
# Key settings under Wine: opened from the on-screen game menu, a letter typed into the focused
# Game A list picks that key, and Enter accepts: the new binding is in the registry as text and
# works the control in the game window (Game A held shows its high score, the old key does not).
source "$(dirname "$0")/wine_lib.sh" "$1" 1024x768
w_skip_splash
w_set HiScore1 50
w_start
w=$(w_window 60) || w_fail "no game window"
sleep 3
xdotool windowactivate --sync "$w" 2>/dev/null || true
xdotool mousemove 18 16 click 1  # the game menu's icon
sleep 0.5
xdotool mousemove 120 208 click 1  # its sixth row, "Key settings"
keys=""
for _ in $(seq 50); do
  keys=$({ xdotool search --onlyvisible --name '^Key settings$' 2>/dev/null || true; } | head -1)
  [ -n "$keys" ] && break
  sleep 0.2
done
[ -n "$keys" ] || w_fail "the key settings window did not open"
xdotool windowactivate --sync "$keys" 2>/dev/null || true
sleep 0.3
xdotool key q
sleep 0.3
xdotool key Return
for _ in $(seq 50); do
  [ -z "$({ xdotool search --onlyvisible --name '^Key settings$' 2>/dev/null || true; })" ] && break
  sleep 0.2
done
[ -z "$({ xdotool search --onlyvisible --name '^Key settings$' 2>/dev/null || true; })" ] ||
  w_fail "Enter did not accept and close key settings"
# Q is entry 27 of the key list ('0'..'9' are 1..10, 'A'..'Z' 11..36).
[ "$(w_get Key1)" = 27 ] || w_fail "Key1 is '$(w_get Key1)' after choosing Q, not 27"
wine reg query "$W_KEY" /v Key1 | grep -q REG_SZ || w_fail "Key1 is not stored as text"

# The score panel shows "___50" while Game A is held by the new key, not by the old one. The
# clock's minute may turn between two pictures: the old key is tried twice before it counts.
panel=600x120+600+560
xdotool windowactivate --sync "$w" 2>/dev/null || true
old_key_works() {
  w_shot "$W_TMP/rest.png"
  xdotool keydown 1
  sleep 0.6
  w_shot "$W_TMP/old.png"
  xdotool keyup 1
  sleep 0.3
  [ "$(w_differs "$W_TMP/rest.png" "$W_TMP/old.png" "$panel")" -ge 20 ]
}
if old_key_works && old_key_works; then w_fail "the old key 1 still works Game A"; fi
w_shot "$W_TMP/rest.png"
xdotool keydown q
sleep 0.6
w_shot "$W_TMP/shot.png"
xdotool keyup q
[ "$(w_differs "$W_TMP/rest.png" "$W_TMP/shot.png" "$panel")" -gt 20 ] || w_fail "the new key Q does not work Game A"
echo PASS
