#!/usr/bin/env bash
# Who has the screen and the keyboard: nothing of the game window shows or takes input before Play
# (under openbox, and with no window manager at all); leaving the game window while Game A is held
# starts no game; a skin-problem box at a game start leaves the keyboard with the game and says it
# is about the intro picture.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/windows_lib.sh"
shot=$E2E_TMP/shot.png

# wait_not_pixel X Y R,G,B [seconds]: screenshots until the pixel no longer has the colour.
wait_not_pixel() {
  local end=$((SECONDS + ${4:-10}))
  while [ $SECONDS -lt $end ]; do
    e2e_shot "$shot"
    [ "$(e2e_pixel "$shot" "$1" "$2")" != "$3" ] && return 0
    sleep 0.1
  done
  return 1
}

# no_game_window_before_play WHERE: the splash is up, and of the game window nothing is mapped and
# nothing is on the screen outside the splash window (the bare screen is black); a click and a key
# where the game window used to peek in change nothing.
no_game_window_before_play() {
  win_wait '^About this game' 15 >/dev/null || e2e_fail "$1: no splash window"
  [ -z "$(win_find "$GAME_TITLE")" ] || e2e_fail "$1: the game window is mapped before Play"
  e2e_shot "$shot"
  for xy in "5 5" "50 40" "100 70" "180 100" "1000 740"; do
    [ "$(e2e_pixel "$shot" $xy)" = "0,0,0" ] || e2e_fail "$1: something of the game window shows at ($xy)"
  done
  xdotool mousemove 50 40 click 1 key 1
  sleep 0.5
  [ -n "$(win_find '^About this game')" ] || e2e_fail "$1: the splash went away"
  [ -z "$(setting SoundMode)" ] || e2e_fail "$1: a driver was stored before Play"
}

# FOCUS_PARTS picks some of the four parts below, to run them alone.
part() { [[ " ${FOCUS_PARTS:-1 2 3 4} " == *" $1 "* ]]; }

# 1. Before Play, under openbox: nothing of the game window; after Play, all of it.
if part 1; then
win_skin
e2e_start
no_game_window_before_play "openbox"
xdotool windowactivate --sync "$(win_find '^About this game')" 2>/dev/null || true
xdotool key Down Down Down Return
e2e_wait_pixel 500 300 48,48,48 10 || e2e_fail "Play did not bring the game window"
e2e_wait_pixel 50 40 48,48,48 5 || e2e_fail "the game window does not cover the screen after Play"
kill "$E2E_APP"; wait "$E2E_APP" 2>/dev/null || true
echo "ok: no game window before Play (openbox)"
fi

# 2. Leaving the game window while Game A is held starts no game: the high score stays on show
# until the key goes down and up again in the game window.
if part 2; then
win_skin
e2e_skip_splash
e2e_start
e2e_wait_pixel 500 300 48,48,48 15 || e2e_fail "the game window never came up"
xdotool mousemove 600 500 click 1
xdotool keydown 1
e2e_wait_pixel 810 610 255,128,0 5 || { xdotool keyup 1; e2e_fail "holding '1' does not show the high score"; }
xdotool key F1  # the about window takes the keyboard while '1' is held
about=$(win_wait '^About the author' 5) || { xdotool keyup 1; e2e_fail "F1 did not open the about window"; }
xdotool keyup 1
sleep 1
win_esc "$about"
win_wait_gone '^About the author' 5 || e2e_fail "Esc did not close the about window"
sleep 2
e2e_shot "$shot"
[ "$(e2e_pixel "$shot" 810 610)" = "255,128,0" ] || e2e_fail "leaving the game window with Game A held started a game"
xdotool key 1
wait_not_pixel 810 610 255,128,0 5 || e2e_fail "'1' pressed and released again did not start Game A"
kill "$E2E_APP"; wait "$E2E_APP" 2>/dev/null || true
echo "ok: leaving the window with Game A held starts no game"
fi

# 3. An intro picture that cannot be read: the box comes up at the game start without taking the
# keyboard, and says it is about the intro picture.
if part 3; then
win_skin bad.png
printf '\x89PNG\r\n\x1a\n' >"$E2E_PROG/Resources/Common/bad.png"
e2e_skip_splash
e2e_start
e2e_wait_pixel 500 300 48,48,48 15 || e2e_fail "the game window never came up"
xdotool mousemove 600 500 click 1
xdotool key 1
box=""
for _ in $(seq 50); do
  for wid in $(xdotool search --onlyvisible --name "$GAME_TITLE" 2>/dev/null); do
    w=$(xwininfo -id "$wid" | sed -n 's/.*Width: *//p')
    [ -n "$w" ] && [ "$w" -lt 1000 ] && box=$wid
  done
  [ -n "$box" ] && break
  sleep 0.1
done
[ -n "$box" ] || e2e_fail "no box about the intro picture"
sleep 0.5
[ "$(xdotool getactivewindow)" != "$box" ] || e2e_fail "the box took the keyboard"
win_expect_game_usable "with the box up"
grep -q 'intro picture of stage 1: .*bad.png' "$E2E_TMP/app.log" || e2e_fail "the report does not say it is the intro picture"
kill "$E2E_APP"; wait "$E2E_APP" 2>/dev/null || true
echo "ok: the box leaves the keyboard to the game"
fi

# 4. With no window manager at all, nothing of the game window is mapped before Play either.
if part 4; then
kill "${E2E_PIDS[1]}"  # openbox
sleep 0.3
rm -f "$E2E_SETTINGS"
win_skin
e2e_start
no_game_window_before_play "no window manager"
fi
echo "window focus: nothing before Play, no unattended game, the box leaves the keyboard alone"
