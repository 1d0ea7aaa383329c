# Helpers of the start-up tests, sourced after lib.sh: a small skin with one picture per LCD mark
# the tests look at, each in its own colour, and readers for the score panel's five digit places.
#
# Layout (design size 1024x768, so on a 1024x768 screen the pixels are where the skin says):
#   digit places 1..5 at (400 + 40*(i-1), 600), 20x20; glyph d is rgb(200, 20 + 20*d, 0)
#   am (700,600) magenta, pm (730,600) cyan, colon (760,600) white
#   hiscore mark (800,600) orange, Game A mark (830,600) purple
#   heart (300,200) green (test picture only), girder (100,100) red, wire (60,10) yellow (clear of the game-menu icon)
startup_skin() {
  local lvl=$E2E_PROG/Resources/Level1
  mkdir -p "$lvl" "$E2E_PROG/Resources/Common"
  printf '[Common]\nStages=1\nDesignWidth=1024\nDesignHeight=768\n[Stage1]\nName=Test\nImage=nil\n' >"$E2E_PROG/Config.ini"
  {
    printf '[Common]\nBgColor=$00000000\n'
    img() { printf '[Image%s]\nFilename=%s\nLeft=%s\nTop=%s\nWidth=%s\nHeight=%s\n' "$@"; }
    for i in 1 2 3 4 5; do img $((34 + i)) nil $((400 + 40 * (i - 1))) 600 20 20; done
    for d in 0 1 2 3 4 5 6 7 8 9; do
      e2e_picture "$lvl/n$d.png" 20x20 "rgb(200,$((20 + 20 * d)),0)"
      img $((40 + d)) "n$d.png" 0 0 20 20
    done
    e2e_picture "$lvl/am.png" 20x20 '#ff00ff'; img 29 am.png 700 600 20 20
    e2e_picture "$lvl/pm.png" 20x20 '#00ffff'; img 30 pm.png 730 600 20 20
    e2e_picture "$lvl/colon.png" 20x20 '#ffffff'; img 31 colon.png 760 600 20 20
    e2e_picture "$lvl/hiscore.png" 20x20 '#ff8000'; img 137 hiscore.png 800 600 20 20
    e2e_picture "$lvl/gamea.png" 20x20 '#8000ff'; img 27 gamea.png 830 600 20 20
    e2e_picture "$lvl/heart.png" 30x30 '#00ff00'; img 50 heart.png 300 200 30 30
    e2e_picture "$lvl/girder.png" 40x20 '#ff0000'; img 52 girder.png 100 100 40 20
    e2e_picture "$lvl/wire.png" 10x10 '#ffff00'; img 54 wire.png 60 10 10 10
  } >"$lvl/Config.ini"
}

# startup_digits FILE: the five digit places as text, '_' for a blank place, '?' for anything else.
startup_digits() {
  local out="" i px r g b
  for i in 1 2 3 4 5; do
    px=$(e2e_pixel "$1" $((410 + 40 * (i - 1))) 610)
    IFS=, read -r r g b <<<"$px"
    if [ "$px" = "0,0,0" ]; then out+="_"
    elif [ "$r" = 200 ] && [ "$b" = 0 ] && [ $(((g - 20) % 20)) = 0 ] && [ "$g" -ge 20 ] && [ "$g" -le 200 ]; then
      out+=$(((g - 20) / 20))
    else out+="?"; fi
  done
  echo "$out"
}

# The clock's digits and mark for the local time now: "_941_ am", "1200_ pm".
startup_expected_time() {
  local h m mark
  h=$((10#$(date +%H))); m=$(date +%M)
  if [ $h -ge 12 ]; then mark=pm; h=$((h - 12)); else mark=am; fi
  [ $h -eq 0 ] && h=12
  if [ $h -ge 10 ]; then printf '%d%s_ %s\n' $h "$m" $mark; else printf '_%d%s_ %s\n' $h "$m" $mark; fi
}

# The digits and mark on screen, in the same form.
startup_shown_time() {
  local mark=none
  [ "$(e2e_pixel "$1" 710 610)" = "255,0,255" ] && mark=am
  [ "$(e2e_pixel "$1" 740 610)" = "0,255,255" ] && mark=pm
  echo "$(startup_digits "$1") $mark"
}

# startup_wait_clock [seconds]: screenshots until the clock frame shows the local time.
startup_wait_clock() {
  local end=$((SECONDS + ${1:-10})) shot=$E2E_TMP/shot.png
  while [ $SECONDS -lt $end ]; do
    e2e_shot "$shot"
    if [ "$(e2e_pixel "$shot" 315 215)" = "0,0,0" ] && [ "$(e2e_pixel "$shot" 65 15)" = "255,255,0" ] &&
       [ "$(e2e_pixel "$shot" 770 610)" = "255,255,255" ] &&
       [ "$(startup_shown_time "$shot")" = "$(startup_expected_time)" ]; then
      return 0
    fi
    sleep 0.2
  done
  echo "clock never showed $(startup_expected_time) (last: $(startup_shown_time "$shot"))" >&2
  return 1
}

# startup_splash_window: the id of the visible splash window, or nothing.
startup_splash_window() { xdotool search --onlyvisible --name '^About this game' 2>/dev/null | head -1; }

# startup_wait_splash [seconds]: waits for the splash window; its client area's top-left corner
# goes to SPLASH_X, SPLASH_Y.
startup_wait_splash() {
  local end=$((SECONDS + ${1:-10})) wid=""
  while [ $SECONDS -lt $end ]; do
    wid=$(startup_splash_window)
    [ -n "$wid" ] && break
    sleep 0.1
  done
  [ -n "$wid" ] || return 1
  sleep 0.5  # mapped, then painted
  SPLASH_X=$(xwininfo -id "$wid" | sed -n 's/.*Absolute upper-left X: *//p')
  SPLASH_Y=$(xwininfo -id "$wid" | sed -n 's/.*Absolute upper-left Y: *//p')
}

# startup_play_colour FILE: "grey", "blue" or "other" for the Play button of the splash window.
startup_play_colour() {
  local r g b
  IFS=, read -r r g b <<<"$(e2e_pixel "$1" $((SPLASH_X + 124)) $((SPLASH_Y + 355)))"
  if [ "$r" = "$g" ] && [ "$g" = "$b" ] && [ "$r" -gt 100 ] && [ "$r" -lt 220 ]; then echo grey
  elif [ "$b" -gt $((r + 60)) ]; then echo blue
  else echo "other($r,$g,$b)"; fi
}

# startup_setting NAME: the stored value, or nothing.
startup_setting() { sed -n "s/^$1=//p" "$E2E_SETTINGS" 2>/dev/null; }

# startup_held_score DIGITS: holds Game A ('1') until the panel shows DIGITS (5 s at most) and
# releases it; the last screenshot is $E2E_TMP/shot.png. Fails when the panel never shows them.
startup_held_score() {
  local shot=$E2E_TMP/shot.png
  xdotool keydown 1
  for _ in $(seq 25); do
    sleep 0.2
    e2e_shot "$shot"
    [ "$(startup_digits "$shot")" = "$1" ] && break
  done
  xdotool keyup 1
  [ "$(startup_digits "$shot")" = "$1" ]
}

# startup_message_boxes: the ids of the visible windows titled as the game that are narrower
# than 1000 pixels (the message boxes, not the full-screen game window), one a line.
startup_message_boxes() {
  xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' 2>/dev/null |
    while read -r w; do
      [ "$(xwininfo -id "$w" | sed -n 's/.*Width: *//p')" -lt 1000 ] && echo "$w"
    done || true
}
