#!/usr/bin/env bash
# First start with empty settings: the splash window comes up at the game window's first
# activation with the grey Play; Enter does nothing until "(no sound)" is chosen; then Enter
# brings the game window with the LCD test picture and the clock, and the choice is stored.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/startup_lib.sh"
startup_skin
e2e_start

startup_wait_splash 15 || e2e_fail "the splash window never came up"
shot=$E2E_TMP/shot.png
e2e_shot "$shot"
[ "$(startup_play_colour "$shot")" = grey ] || e2e_fail "Play is not grey at first: $(startup_play_colour "$shot")"
[ "$(e2e_pixel "$shot" $((SPLASH_X + 440)) $((SPLASH_Y + 399)))" = "170,85,30" ] || e2e_fail "check box band colour"
# Centred on the screen (the client area; the title bar lies above it).
[ $((SPLASH_X - (1024 - 460) / 2)) -ge -8 ] && [ $((SPLASH_X - (1024 - 460) / 2)) -le 8 ] || e2e_fail "splash not centred: x $SPLASH_X"

# Without a driver Enter and '1' do nothing.
xdotool key Return
xdotool key 1
sleep 0.7
[ -n "$(startup_splash_window)" ] || e2e_fail "the splash went away without a driver"
[ -z "$(startup_setting SoundMode)" ] || e2e_fail "SoundMode written without a driver"

# The driver list has the keyboard: the third entry is "(no sound)".
xdotool key Down Down Down
sleep 0.5
e2e_shot "$shot"
[ "$(startup_play_colour "$shot")" = blue ] || e2e_fail "Play not blue after choosing a driver: $(startup_play_colour "$shot")"
xdotool key Return

e2e_wait_pixel 315 215 0,255,0 10 || e2e_fail "no LCD test picture after Play"
[ "$(startup_digits "$E2E_TMP/shot.png")" = 18888 ] || e2e_fail "test picture digits: $(startup_digits "$E2E_TMP/shot.png")"
startup_wait_clock 10 || e2e_fail "no clock after the test picture"
[ -z "$(startup_splash_window)" ] || e2e_fail "the splash window is still up"
[ "$(startup_setting SoundMode)" = 2 ] || e2e_fail "SoundMode is '$(startup_setting SoundMode)', not 2"
[ "$(startup_setting SplashScreen)" = 1 ] || e2e_fail "SplashScreen is '$(startup_setting SplashScreen)', not 1"
echo "startup: splash, driver choice, test picture and clock as expected"
