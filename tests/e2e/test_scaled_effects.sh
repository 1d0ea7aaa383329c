#!/usr/bin/env bash
# Fit to screen with the default LCD effects at 1920 x 1080: a segment that fades out is repainted
# where the scaled picture shows it. The panel's "HI" label lights while Game A is held and must be
# gone from the screen once the game has started.
source "$(dirname "$0")/lib.sh" "$1" 1920x1080
cp -r "$(dirname "$1")/Config.ini" "$(dirname "$1")/Resources" "$E2E_PROG/"
e2e_skip_splash
e2e_start
HX=1100 HY=912  # a dark pixel of the lit "HI" label at this screen size

# red_wait OP N SECONDS: waits until the label pixel's red channel compares to N with test's OP.
red_wait() {
  local op=$1 n=$2 end=$((SECONDS + $3)) r
  while [ $SECONDS -lt $end ]; do
    e2e_shot "$E2E_TMP/shot.png"
    r=$(convert "$E2E_TMP/shot.png" -format "%[fx:int(255*p{$HX,$HY}.r)]" info:)
    [ "$r" "$op" "$n" ] && return 0
    sleep 0.2
  done
  echo "label pixel red $r, wanted $op $n" >&2
  return 1
}

sleep 3  # test picture, then the clock
xdotool keydown 1
red_wait -lt 120 5 || e2e_fail "holding Game A did not light the HI label"
xdotool keyup 1
# The intro cover, then play: the label faded out and the window shows it so.
sleep 4
red_wait -gt 150 8 || e2e_fail "the HI label stays on screen after it went out (fade not repainted in place)"
echo "scaled effects: faded segments repainted where they are shown"
