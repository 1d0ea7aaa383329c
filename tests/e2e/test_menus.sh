#!/usr/bin/env bash
# The menus with real mouse and key events: the game-menu icon, a right-click opening the context
# menu (Esc there closes only the menu), F1 and the about window, rebinding Jump to the space bar in
# the key settings window (chosen from the game menu), which works at once, and Esc ending the program
# with the settings intact.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
shots=${E2E_SHOTS:-}  # a folder to keep the screenshots in, for looking at them

lvl=$E2E_PROG/Resources/Level1
mkdir -p "$lvl" "$E2E_PROG/Resources/Common"
printf '[Common]\nStages=1\n[Stage1]\nName=Test\nImage=nil\n' >"$E2E_PROG/Config.ini"
e2e_picture "$lvl/bg.png" 1024x768 '#303030'
e2e_picture "$lvl/logo.png" 92x40 '#0000ff'
e2e_picture "$lvl/pressed.png" 64x64 '#ff0000'
e2e_picture "$lvl/released.png" 64x64 '#00ff00'
{
  printf '[Common]\nBgColor=$00000000\n[Image1]\nFilename=bg.png\nWidth=1024\nHeight=768\n'
  printf '[Image2]\nFilename=logo.png\nWidth=92\nHeight=40\n'
  # Jump: pressed picture, released picture, face.
  printf '[Image24]\nFilename=pressed.png\nWidth=64\nHeight=64\n'
  printf '[Image25]\nFilename=released.png\nWidth=64\nHeight=64\n'
  printf '[Image26]\nWidth=64\nHeight=64\n'
} >"$lvl/Config.ini"
e2e_skip_splash
e2e_start

shot=$E2E_TMP/shot.png
keep() { [ -n "$shots" ] && cp "$shot" "$shots/$1.png" || true; }
running() { kill -0 "$E2E_APP" 2>/dev/null; }
setting() { sed -n "s/^$1=//p" "$E2E_SETTINGS"; }
# The Jump face: the button row's offset from the right and bottom edges is 32 pixels.
JX=960 JY=736

e2e_wait_pixel 500 300 48,48,48 10 || e2e_fail "the game window never showed its background"
e2e_wait_pixel $JX $JY 0,255,0 5 || e2e_fail "the Jump face does not show its released picture"
keep start
# The closed game menu shows only its icon: white lines on black, nothing of the title beside it.
[ "$(e2e_pixel $shot 15 9)" = "255,255,255" ] || e2e_fail "no menu icon at the top-left"
[ "$(e2e_pixel $shot 15 13)" = "0,0,0" ] || e2e_fail "the menu icon has no black between its lines"
[ "$(e2e_pixel $shot 100 16)" = "48,48,48" ] || e2e_fail "the closed game menu is wider than its icon"

# Right-click: the context menu opens at the pointer; Esc closes the menu, not the program.
xdotool mousemove 500 400 click 3
sleep 0.3
e2e_shot "$shot"
keep context_menu
[ "$(e2e_pixel $shot 540 410)" != "48,48,48" ] || e2e_fail "right-click opened no context menu"
xdotool key Escape
e2e_wait_pixel 540 410 48,48,48 5 || e2e_fail "Esc did not close the context menu"
running || e2e_fail "Esc in the open context menu ended the program"

# F1: the about window; Esc closes it and leaves the program running.
xdotool mousemove 600 500 click 1
xdotool key F1
e2e_wait_pixel 512 384 170,85,30 5 || e2e_fail "F1 did not show the about window"
keep about
xdotool key shift+Escape
e2e_wait_pixel 512 384 48,48,48 5 || e2e_fail "shift+Esc did not close the about window"
running || e2e_fail "Esc in the about window ended the program"

# The icon opens the game menu: a black title bar and dimmed rows; the row under the pointer darkens.
xdotool mousemove 18 16 click 1
e2e_wait_pixel 200 16 0,0,0 5 || e2e_fail "the icon did not open the game menu"
dim=$(e2e_pixel $shot 240 300)
[ "$dim" != "48,48,48" ] && [ "$dim" != "0,0,0" ] || e2e_fail "the open game menu does not dim the picture ($dim)"
xdotool mousemove 120 208
e2e_wait_pixel 240 208 0,0,0 5 || e2e_fail "the row under the pointer did not darken"
[ "$(e2e_pixel $shot 240 240)" = "$dim" ] || e2e_fail "a row away from the pointer darkened too"
keep game_menu

# "Key settings" (row 6): the key settings window, the game menu closed under it.
xdotool click 1
e2e_wait_pixel 700 480 170,85,30 5 || e2e_fail "Key settings did not open the key settings window"
keep keys_window
[ "$(e2e_pixel $shot 240 300)" = "48,48,48" ] || e2e_fail "the game menu stayed open"
# The first list has the focus: Tab to the Jump list, End picks the space bar, Enter accepts.
xdotool key Tab Tab Tab Tab Tab Tab Tab End
sleep 0.2
e2e_shot "$shot"
keep keys_chosen
xdotool key Return
e2e_wait_pixel 700 480 48,48,48 5 || e2e_fail "Enter did not close the key settings window"
[ "$(setting Key8)" = "44" ] || e2e_fail "Key8 is '$(setting Key8)', not 44"

# The space bar works Jump at once; ctrl no longer does.
e2e_expect_jump_on_space

# Esc on the game window ends the program at once; the settings stay as they were written.
xdotool key Escape
for _ in $(seq 30); do running || break; sleep 0.1; done
running && e2e_fail "Esc did not end the program"
wait "$E2E_APP" || e2e_fail "the program ended with status $?"
[ "$(setting Key8)" = "44" ] && [ "$(setting Key1)" = "2" ] && [ "$(setting SoundMode)" = "2" ] ||
  e2e_fail "settings changed on the way out: $(tr '\n' ' ' <"$E2E_SETTINGS")"
echo "menus: context menu, about window, game menu, key settings and Esc as expected"
