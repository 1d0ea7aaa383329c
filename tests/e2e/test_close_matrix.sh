#!/usr/bin/env bash
# Every way the window manager and the keyboard close or minimise the program's windows, one row
# each: the splash window, the key settings window, the about window, and the game window while
# one of them is open. A row either ends the program (exit status 0, key bindings in the store
# untouched) or lets it go on with the game window taking the keyboard again.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/windows_lib.sh"
win_skin

# window       action    outcome         (CLOSE_ROWS replaces the table, to run some rows alone)
ROWS=${CLOSE_ROWS:-"
splash         button    ends
splash         altf4     ends
splash         esc       ends
splash         minimise  goes-on
keys           button    goes-on
keys           altf4     goes-on
keys           esc       goes-on
keys           minimise  goes-on
about          button    goes-on
about          altf4     goes-on
about          esc       goes-on
about          minimise  goes-on
game+keys      esc       goes-on
game+keys      minimise  goes-on
game+about     minimise  goes-on
game+keys      altf4     ends
game+about     altf4     ends
game+about     esc       ends
"}

# A fresh program: with the splash for the splash rows (nothing stored yet), without it otherwise.
start_program() {
  rm -f "$E2E_SETTINGS"
  if [ "$1" = splash ]; then e2e_start; else e2e_skip_splash; e2e_start; fi
  [ "$1" = splash ] && return 0
  e2e_wait_pixel 500 300 48,48,48 15 || e2e_fail "$1: the game window never came up"
}

game_window() { win_find "$GAME_TITLE"; }

open_keys() {
  xdotool mousemove 18 16 click 1          # the game menu's icon
  sleep 0.4
  xdotool mousemove 120 208 click 1        # its sixth row, "Key settings"
  KEYS=$(win_wait '^Key settings$' 5) || e2e_fail "$row: the key settings window did not open"
  # A choice that must not be stored: Game A on the space bar.
  xdotool key End
  sleep 0.2
}

open_about() {
  xdotool mousemove 600 500 click 1
  xdotool key F1
  ABOUT=$(win_wait '^About the author' 5) || e2e_fail "$row: F1 did not open the about window"
}

state=none  # what runs now: none, splash (the splash window is up) or game
while read -r window action outcome; do
  [ -z "$window" ] && continue
  row="$window $action"
  if [ "$window" = splash ] || [ "$state" = none ] || ! running; then
    [ "$state" != none ] && running && { kill "$E2E_APP"; wait "$E2E_APP" 2>/dev/null || true; }
    start_program "$window"
    state=$([ "$window" = splash ] && echo splash || echo game)
  fi

  case $window in
    splash)
      target=$(win_wait '^About this game' 15) || e2e_fail "$row: no splash window" ;;
    keys) open_keys; target=$KEYS ;;
    about) open_about; target=$ABOUT ;;
    game+keys) open_keys; target=$(game_window) ;;
    game+about)
      # During a game: Game A started with its key.
      xdotool mousemove 600 500 click 1
      xdotool key 1
      sleep 1
      open_about
      target=$(game_window) ;;
  esac
  [ -n "$target" ] || e2e_fail "$row: no window to act on"
  win_act "$action" "$target"

  if [ "$outcome" = ends ]; then
    win_wait_end 10 || e2e_fail "$row: the program did not end, or not with status 0"
    if [ "$window" = splash ]; then
      [ -z "$(setting SoundMode)$(setting SplashScreen)" ] || e2e_fail "$row: the splash's choices were stored"
    else
      win_expect_keys_intact "$row"
      [ "$(setting SoundMode)" = 2 ] || e2e_fail "$row: SoundMode lost"
    fi
    state=none
    echo "ok: $row ends"
    continue
  fi

  sleep 0.5
  running || e2e_fail "$row: the program ended"
  case $window in
    splash)
      # Minimised, the splash window comes back when the user brings it back, and plays.
      xdotool windowactivate --sync "$target" 2>/dev/null || true
      target=$(win_wait '^About this game' 5) || e2e_fail "$row: the splash window did not come back"
      xdotool key Down Down Down Return
      e2e_wait_pixel 500 300 48,48,48 10 || e2e_fail "$row: Play did not bring the game window"
      state=game ;;
    keys | game+keys)
      if [ "$window" = game+keys ] && [ "$action" = esc ]; then
        # The game window takes no keys while the key settings are up: its Esc ends nothing, and
        # the key settings window's own Esc closes it.
        [ -n "$(win_find '^Key settings$')" ] || e2e_fail "$row: the key settings window went away"
        win_esc "$KEYS"
      fi
      win_wait_gone '^Key settings$' 5 || e2e_fail "$row: the key settings window is still shown"
      win_restore_game ;;
    about | game+about)
      if [ "$window" = about ]; then
        win_wait_gone '^About the author' 5 || e2e_fail "$row: the about window is still shown"
      fi
      win_restore_game
      # The about window opens again from the menu, and Esc closes it.
      xdotool key F1
      ABOUT=$(win_wait '^About the author' 5) || e2e_fail "$row: F1 no longer opens the about window"
      win_esc "$ABOUT"
      win_wait_gone '^About the author' 5 || e2e_fail "$row: Esc did not close the about window"
      win_restore_game ;;
  esac
  win_expect_game_usable "$row"
  win_expect_keys_intact "$row"
  echo "ok: $row goes on"
done <<<"$ROWS"
echo "close matrix: every window closes or minimises as expected"
