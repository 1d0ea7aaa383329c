#!/usr/bin/env bash
# The keys work by the physical key under every keyboard layout: on US, French (AZERTY), German
# (QWERTZ) and UK layouts the digit row starts Game A, Game B and Time with or without Shift,
# letter keys work the controls bound to the letter they carry, and the key settings window picks
# a digit from the digit row too. Each layout runs the program on its own X server.
# Usage: test_keyboard_layouts.sh EXECUTABLE E2E_DIR [LAYOUT]
if [ -z "${3:-}" ]; then
  for layout in us fr de gb; do
    bash "$0" "$1" "$2" "$layout" || exit 1
  done
  echo "keyboard layouts: digit row, Shift, letters and the key settings window as expected on us fr de gb"
  exit 0
fi
E2E_XKB_LAYOUT=$3
source "$(dirname "$0")/lib.sh" "$1" 1024x768

# A skin with all eight button faces: red while pressed, green at rest.
lvl=$E2E_PROG/Resources/Level1
mkdir -p "$lvl" "$E2E_PROG/Resources/Common"
printf '[Common]\nStages=1\n[Stage1]\nName=Test\nImage=nil\n' >"$E2E_PROG/Config.ini"
e2e_picture "$lvl/bg.png" 1024x768 '#303030'
e2e_picture "$lvl/pressed.png" 64x64 '#ff0000'
e2e_picture "$lvl/released.png" 64x64 '#00ff00'
{
  printf '[Common]\nBgColor=$00000000\n[Image1]\nFilename=bg.png\nWidth=1024\nHeight=768\n'
  for n in $(seq 3 3 24); do
    printf '[Image%d]\nFilename=pressed.png\nWidth=64\nHeight=64\n' $n
    printf '[Image%d]\nFilename=released.png\nWidth=64\nHeight=64\n' $((n + 1))
    printf '[Image%d]\nWidth=64\nHeight=64\n' $((n + 2))
  done
} >"$lvl/Config.ini"
# Up 'A', Left 'Q', Right 'Y', Down 'Z', Jump 'M': letters that sit elsewhere on AZERTY and QWERTZ.
printf '[General]\nSoundMode=2\nSplashScreen=0\nKey4=11\nKey5=27\nKey6=35\nKey7=36\nKey8=23\n' >"$E2E_SETTINGS"
e2e_start
setting() { sed -n "s/^$1=//p" "$E2E_SETTINGS"; }

# Face centres (button row 32 pixels from the edges).
declare -A FACE=([game_a]="960 288" [game_b]="960 384" [time]="960 480" [up]="128 576"
                 [left]="64 640" [right]="192 640" [down]="128 704" [jump]="960 640")
e2e_wait_pixel 500 300 48,48,48 10 || e2e_fail "$3: the game window never showed its background"
e2e_wait_pixel ${FACE[jump]} 0,255,0 5 || e2e_fail "$3: the faces do not show their released pictures"

# works CONTROL KEY LAYOUT [what]: holding KEY (a keysym, or a number: an X key code) presses the
# control's face, letting it go releases it. Releasing Game A or B starts a game, whose stage
# cover (black) hides the faces; the next press of a game button ends that game again.
works() {
  xdotool keydown "$2"
  e2e_wait_pixel ${FACE[$1]} 255,0,0 3 || { xdotool keyup "$2"; e2e_fail "$3: key $2 ${4:-} does not press $1"; }
  xdotool keyup "$2"
  case $1 in
    game_a | game_b) e2e_wait_pixel 500 300 0,0,0 3 || e2e_fail "$3: releasing key $2 ${4:-} started no game" ;;
    *) e2e_wait_pixel ${FACE[$1]} 0,255,0 3 || e2e_fail "$3: releasing key $2 ${4:-} does not release $1" ;;
  esac
}

# The digit row by its physical keys (X key codes 10, 11, 12: the keys '1', '2', '3'), then
# with Shift held, which on these layouts types symbols or digits but changes nothing.
for shifted in no yes; do
  [ $shifted = yes ] && xdotool keydown Shift_L
  works game_a 10 "$3" "(shift: $shifted)"
  works game_b 11 "$3" "(shift: $shifted)"
  works time 12 "$3" "(shift: $shifted)"
  [ $shifted = yes ] && xdotool keyup Shift_L
done
# Letters by the letter their key carries on this layout (xdotool finds the key by its symbol).
for pair in up:a left:q right:y down:z jump:m; do works ${pair%%:*} ${pair#*:} "$3"; done
xdotool keydown Shift_L
works up a "$3" "(with shift)"
xdotool keyup Shift_L

# Key settings (game menu, row 6): in the focused Game A list the '5' key of the digit row
# (X key code 14) picks "5"; Enter stores it and the key starts Game A at once.
xdotool mousemove 18 16 click 1
sleep 0.3
xdotool mousemove 120 208 click 1
e2e_wait_pixel 700 480 170,85,30 5 || e2e_fail "$3: the key settings window did not open"
xdotool key 14
sleep 0.2
xdotool key Return
e2e_wait_pixel 700 480 48,48,48 5 || e2e_fail "$3: Enter did not close the key settings window"
[ "$(setting Key1)" = "6" ] || e2e_fail "$3: the '5' key picked key index '$(setting Key1)' for Game A, not 6 ('5')"
works game_a 14 "$3" "(bound in the key settings)"

xdotool key Escape
for _ in $(seq 30); do kill -0 "$E2E_APP" 2>/dev/null || break; sleep 0.1; done
wait "$E2E_APP" || e2e_fail "$3: the program ended with status $?"
echo "$3: keys as expected"
