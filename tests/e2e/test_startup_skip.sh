#!/usr/bin/env bash
# A stored driver with the splash switched off: no splash window, straight to the clock. Then the
# handheld's buttons from the keyboard: holding '1' (with the keyboard's auto-repeat) shows the
# Game A high score; Time held freezes the picture and its release restarts the clock.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/startup_lib.sh"
startup_skin
printf '[General]\nSoundMode=2\nSplashScreen=0\nHiScore1=45\n' >"$E2E_SETTINGS"
xset r on 2>/dev/null || true
e2e_start
shot=$E2E_TMP/shot.png

e2e_wait_pixel 315 215 0,255,0 10 || e2e_fail "no LCD test picture at start"
[ -z "$(startup_splash_window)" ] || e2e_fail "the splash window came up although switched off"
startup_wait_clock 10 || e2e_fail "no clock"
[ -z "$(startup_splash_window)" ] || e2e_fail "the splash window came up although switched off"

# Game A held: the high score 45 shows as 450 with the high-score and Game A marks; held for a
# while, the auto-repeated presses change nothing.
xdotool keydown 1
sleep 0.3
for _ in 1 2 3 4; do
  e2e_shot "$shot"
  [ "$(startup_digits "$shot")" = "__450" ] || { xdotool keyup 1; e2e_fail "Game A held shows $(startup_digits "$shot")"; }
  [ "$(e2e_pixel "$shot" 810 610)" = "255,128,0" ] || { xdotool keyup 1; e2e_fail "high-score mark not lit"; }
  [ "$(e2e_pixel "$shot" 840 610)" = "128,0,255" ] || { xdotool keyup 1; e2e_fail "Game A mark not lit"; }
  [ "$(e2e_pixel "$shot" 65 15)" = "0,0,0" ] || { xdotool keyup 1; e2e_fail "picture not cleared"; }
  sleep 0.3
done
xdotool keyup 1
sleep 0.5
# A game runs now; Time abandons it, its release brings the test picture and then the clock.
xdotool key 3
e2e_wait_pixel 315 215 0,255,0 5 || e2e_fail "no test picture after Time"
# Time held during the test picture: the picture stays as it is, well past its second.
xdotool keydown 3
sleep 2
e2e_shot "$shot"
held_heart=$(e2e_pixel "$shot" 315 215)
held_digits=$(startup_digits "$shot")
xdotool keyup 3
[ "$held_heart" = "0,255,0" ] || e2e_fail "the picture did not freeze while Time was held"
[ "$held_digits" = 18888 ] || e2e_fail "frozen digits: $held_digits"
# The release starts again with the test picture, then the clock.
e2e_shot "$shot"
[ "$(e2e_pixel "$shot" 315 215)" = "0,255,0" ] || e2e_fail "no test picture after the release"
startup_wait_clock 5 || e2e_fail "no clock after Time"
[ "$(startup_setting SplashScreen)" = 0 ] || e2e_fail "SplashScreen changed"
echo "startup (splash skipped): clock, Game A high score, Time freeze as expected"
