#!/usr/bin/env bash
# A game with the default skin and real key events: Game A shows the intro cover, then the
# playfield as a new game sets it up; Pelko comes in with the jump key, walks with the arrow keys
# and jumps;
# in a second game, left alone, he enters at the 15th hazard tick and is hit by a barrel.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
cp -r "$(dirname "$1")/Config.ini" "$(dirname "$1")/Resources" "$E2E_PROG/"
cfg=$E2E_PROG/Resources/Level1/Config.ini
shot=$E2E_TMP/shot.png
clear=$E2E_TMP/clear.png

# seg_rect NAME: "WxH+X+Y" of a segment from the stage's Config.ini (design = screen at 1024x768).
seg_rect() {
  awk -v name="$1" '
    /^\[/ { found = 0 }
    $0 == "; " name { found = 1 }
    found && /^Left=/ { l = substr($0, 6) } found && /^Top=/ { t = substr($0, 5) }
    found && /^Width=/ { w = substr($0, 7) } found && /^Height=/ { h = substr($0, 8) }
    END { printf "%sx%s+%s+%s", w, h, l, t }' "$cfg"
}

# seg_file NAME: the segment's picture.
seg_file() {
  awk -v name="$1" '/^\[/ { found = 0 } $0 == "; " name { found = 1 } found && /^Filename=/ { print substr($0, 10) }' "$cfg"
}

# lit SHOT NAME: more than 15 of the pixels the segment's picture covers differ from the cleared
# LCD. (Neighbouring segments' rectangles may overlap, so only the picture's own pixels count.)
lit() {
  local r size n
  r=$(seg_rect "$2")
  size=${r%%+*}
  n=$(convert "$1[$r]" "$clear[$r]" -compose difference -composite -colorspace gray -threshold 6% \
        \( "$E2E_PROG/Resources/Level1/$(seg_file "$2")" -alpha extract -background black -extent "$size" -threshold 50% \) \
        -compose multiply -composite -format "%[fx:int(mean*w*h+0.5)]" info:)
  LIT_PIXELS=$n
  [ "$LIT_PIXELS" -gt 15 ]
}

# wait_lit NAME [seconds] / wait_dark NAME [seconds]
wait_state() {
  local want=$1 name=$2 end=$((SECONDS + ${3:-10}))
  while [ $SECONDS -lt $end ]; do
    e2e_shot "$shot"
    if lit "$shot" "$name"; then [ "$want" = lit ] && return 0; else [ "$want" = dark ] && return 0; fi
  done
  return 1
}
wait_lit() { wait_state lit "$@"; }
# wait_uncovered [seconds]: until the intro cover is gone (the screen corner is not black).
wait_uncovered() {
  local end=$((SECONDS + ${1:-10}))
  while [ $SECONDS -lt $end ]; do
    e2e_shot "$shot"
    [ "$(e2e_pixel "$shot" 150 5)" != "0,0,0" ] && return 0
  done
  return 1
}
wait_dark() { wait_state dark "$@"; }

e2e_skip_splash
# The flat LCD: fades and ghosts would blur the instant each segment changes, which is what this
# test times; the LCD effects have their own test.
printf 'LcdEffects=0\n' >>"$E2E_SETTINGS"
e2e_start
sleep 2.5  # test picture, then the clock

# Holding Game A clears the LCD: the reference picture of dark segments (only the panel marks
# of the high score are lit there, so the test does not look at those).
xdotool keydown 1
sleep 0.5
e2e_shot "$clear"
xdotool keyup 1
sleep 0.3

# The intro cover: black over the whole screen with the white "Stage 1" in the middle.
e2e_shot "$shot"
[ "$(e2e_pixel "$shot" 150 5)" = "0,0,0" ] && [ "$(e2e_pixel "$shot" 1018 760)" = "0,0,0" ] || e2e_fail "no intro cover"
white=$(convert "$shot" -crop 300x80+362+330 +repage -fill black +opaque white -fill white -opaque white -format "%[fx:int(mean*w*h)]" info:)
[ "$white" -gt 100 ] || e2e_fail "no white stage title on the cover ($white white pixels)"

# The playfield of a new game: three barrels, girder, lever, crane, four wires, Tusko holding a barrel.
wait_uncovered 8 || e2e_fail "the intro cover never went away"
sleep 0.3
e2e_shot "$shot"
for s in im_barrel_06_01 im_barrel_04_03 im_barrel_04_06 im_lever_1 im_crane_1 im_wire_1 im_wire_4 \
         im_tusko_6a im_tusko_6c im_panel_life_3; do
  lit "$shot" $s || e2e_fail "$s is not lit on the new playfield ($LIT_PIXELS pixels differ)"
done
for s in im_pelko_01_01 im_barrel_02_01 im_hook_1; do
  lit "$shot" $s && e2e_fail "$s is lit on the new playfield ($LIT_PIXELS pixels differ)"
done

# Jump brings Pelko in at once; right steps him along the bottom girder.
xdotool key ctrl
wait_lit im_pelko_01_01 2 || e2e_fail "the jump key did not bring Pelko in"
lit "$shot" im_panel_life_3 && e2e_fail "entering did not use a life"
xdotool keydown Right
sleep 0.15
xdotool keyup Right
wait_lit im_pelko_02_01 2 || e2e_fail "the right arrow did not step Pelko to (2,1)"
lit "$shot" im_pelko_01_01 && e2e_fail "Pelko still shown at (1,1) after stepping"
xdotool keydown Left
sleep 0.15
xdotool keyup Left
wait_lit im_pelko_01_01 2 || e2e_fail "the left arrow did not step Pelko back"
# Jump at (1,1): airborne above it, then the hazard tick lands him again.
xdotool key ctrl
wait_lit im_pelko_01_02 2 || e2e_fail "the jump key did not jump Pelko to (1,2)"
wait_dark im_pelko_01_02 3 || e2e_fail "Pelko never landed"

# A new game, left alone: Pelko enters at tick 15 (about 7 s of play) and a barrel hits him.
xdotool keydown 1
sleep 0.3
xdotool keyup 1
sleep 0.5
wait_uncovered 8 || e2e_fail "second game's intro cover never went away"
wait_lit im_pelko_01_01 15 || e2e_fail "Pelko never entered by himself"
lit "$shot" im_panel_life_3 && e2e_fail "the entry did not use a life"
# Nobody moves him: only a hit takes him off (1,1); the miss blinks him and the turn restarts.
wait_dark im_pelko_01_01 20 || e2e_fail "Pelko was never hit"
wait_lit im_pelko_01_01 3 || e2e_fail "no blink after the hit"
sleep 2
e2e_shot "$shot"
lit "$shot" im_panel_life_2 || e2e_fail "a life mark went missing after the miss"
lit "$shot" im_panel_life_3 && e2e_fail "the miss gave a life back"
kill -0 "$E2E_APP" || e2e_fail "the program ended"
echo "game: intro, playfield, steering and the first hit as expected"
