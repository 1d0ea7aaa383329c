# Helpers of the window tests, sourced after lib.sh: a small skin whose Jump face is red while
# pressed and green at rest, and ways to find, close and minimise the program's windows the way a
# user does through the window manager (openbox).

GAME_TITLE='^Kellup Tusko Lumo Special Edition$'
# The Jump face: the button row's offset from the right and bottom edges is 32 pixels.
JX=960 JY=736

# win_skin [INTRO]: one stage, background rgb(48,48,48), the Jump face, the high-score mark orange
# at (800,600) 20x20; INTRO names the stage's intro picture in the resources folder (none by default).
win_skin() {
  local lvl=$E2E_PROG/Resources/Level1
  mkdir -p "$lvl" "$E2E_PROG/Resources/Common"
  printf '[Common]\nStages=1\n[Stage1]\nName=Test\nImage=%s\n' "${1:-nil}" >"$E2E_PROG/Config.ini"
  e2e_picture "$lvl/bg.png" 1024x768 '#303030'
  e2e_picture "$lvl/pressed.png" 64x64 '#ff0000'
  e2e_picture "$lvl/released.png" 64x64 '#00ff00'
  {
    printf '[Common]\nBgColor=$00000000\n[Image1]\nFilename=bg.png\nWidth=1024\nHeight=768\n'
    printf '[Image24]\nFilename=pressed.png\nWidth=64\nHeight=64\n'
    printf '[Image25]\nFilename=released.png\nWidth=64\nHeight=64\n'
    printf '[Image26]\nWidth=64\nHeight=64\n'
    printf '[Image137]\nFilename=hiscore.png\nLeft=800\nTop=600\nWidth=20\nHeight=20\n'
  } >"$lvl/Config.ini"
  e2e_picture "$lvl/hiscore.png" 20x20 '#ff8000'
}

running() { kill -0 "$E2E_APP" 2>/dev/null; }
setting() { sed -n "s/^$1=//p" "$E2E_SETTINGS" 2>/dev/null; }

# win_find REGEX: the first visible window whose name matches, or nothing.
win_find() { { xdotool search --onlyvisible --name "$1" 2>/dev/null || true; } | head -1; }

# win_wait REGEX [seconds]: waits until such a window is visible and prints its id.
win_wait() {
  local end=$((SECONDS + ${2:-10})) w
  while [ $SECONDS -lt $end ]; do
    w=$(win_find "$1")
    [ -n "$w" ] && { sleep 0.3; echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}

# win_wait_gone REGEX [seconds]: waits until no such window is visible.
win_wait_gone() {
  local end=$((SECONDS + ${2:-5}))
  while [ $SECONDS -lt $end ]; do
    [ -z "$(win_find "$1")" ] && return 0
    sleep 0.1
  done
  return 1
}

# win_close_button ID: a click on the close button openbox draws at the right of the title bar.
win_close_button() {
  local x y w
  x=$(xwininfo -id "$1" | sed -n 's/.*Absolute upper-left X: *//p')
  y=$(xwininfo -id "$1" | sed -n 's/.*Absolute upper-left Y: *//p')
  w=$(xwininfo -id "$1" | sed -n 's/.*Width: *//p')
  xdotool mousemove $((x + w - 10)) $((y - 11)) click 1
}

# win_alt_f4 ID: the window takes the keyboard, then Alt+F4 (openbox's close).
win_alt_f4() {
  xdotool windowactivate --sync "$1" 2>/dev/null || true
  sleep 0.2
  xdotool key alt+F4
}

# win_esc ID: the window takes the keyboard, then Esc.
win_esc() {
  xdotool windowactivate --sync "$1" 2>/dev/null || true
  sleep 0.2
  xdotool key Escape
}

# win_minimise ID: the window manager is asked to minimise the window.
win_minimise() { xdotool windowminimize --sync "$1" 2>/dev/null || xdotool windowminimize "$1"; }

# win_act ACTION ID: button | altf4 | esc | minimise.
win_act() {
  case $1 in
    button) win_close_button "$2" ;;
    altf4) win_alt_f4 "$2" ;;
    esc) win_esc "$2" ;;
    minimise) win_minimise "$2" ;;
  esac
}

# win_wait_end [seconds]: the program ends by itself; fails unless its exit status is 0.
win_wait_end() {
  local end=$((SECONDS + ${1:-10})) status=0
  while [ $SECONDS -lt $end ] && running; do sleep 0.1; done
  running && return 1
  wait "$E2E_APP" || status=$?
  [ "$status" = 0 ] || { echo "exit status $status" >&2; return 1; }
}

# win_restore_game: the game window back on screen and active (as a task bar click would).
win_restore_game() {
  local w
  w=$(xdotool search --name "$GAME_TITLE" 2>/dev/null | head -1)
  [ -n "$w" ] && xdotool windowactivate --sync "$w" 2>/dev/null || true
  sleep 0.3
}

# win_expect_game_usable WHAT: the game window takes the keyboard: ctrl presses and releases Jump.
win_expect_game_usable() {
  xdotool keydown ctrl
  e2e_wait_pixel $JX $JY 255,0,0 5 || { xdotool keyup ctrl; e2e_fail "$1: ctrl does not reach the game window"; }
  xdotool keyup ctrl
  e2e_wait_pixel $JX $JY 0,255,0 5 || e2e_fail "$1: releasing ctrl does not reach the game window"
}

# win_expect_keys_intact WHAT: the key bindings in the store are the defaults.
win_expect_keys_intact() {
  local i expected=(2 3 4 37 39 40 38 42)
  for i in 1 2 3 4 5 6 7 8; do
    [ "$(setting Key$i)" = "${expected[$((i - 1))]}" ] ||
      e2e_fail "$1: Key$i is '$(setting Key$i)' in $(tr '\n' ' ' <"$E2E_SETTINGS")"
  done
}
