#!/usr/bin/env bash
# The default skin in clock mode with the default settings against the same with LcdEffects=0:
# unlit segments show as faint ghosts, the lit girder casts a shadow below it, and everything
# outside the LCD (casing, buttons, logo) is the same pixels.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
cp -r "$(dirname "$1")/Config.ini" "$(dirname "$1")/Resources" "$E2E_PROG/"
effects=$E2E_TMP/effects.png
classic=$E2E_TMP/classic.png

# mean_grey FILE WxH+X+Y: the area's mean brightness, 0 .. 1000.
mean_grey() { convert "$1" -crop "$2" +repage -colorspace gray -format "%[fx:int(1000*mean+0.5)]" info:; }

# The clock, settled (the pictures are not compared where the digits are).
clock_shot() {
  e2e_start
  sleep 3
  e2e_shot "$1"
  kill "$E2E_APP"
  wait "$E2E_APP" 2>/dev/null || true
}

e2e_skip_splash
clock_shot "$effects"
printf 'LcdEffects=0\n' >>"$E2E_SETTINGS"
clock_shot "$classic"
cp "$effects" "$E2E_TMP/shot.png"

# im_tusko_4a (unlit in clock mode), 31x55+499+94: a ghost a few percent of the way to lit.
tusko=31x55+499+94
g_eff=$(mean_grey "$effects" $tusko) g_cls=$(mean_grey "$classic" $tusko)
[ $((g_cls - g_eff)) -ge 5 ] && [ $((g_cls - g_eff)) -le 60 ] ||
  e2e_fail "no faint ghost of the unlit Tusko ($g_eff with effects, $g_cls classic)"
# Below the lit girder im_girder_1 (263x11+381+147): its shadow.
below=263x4+384+158
s_eff=$(mean_grey "$effects" $below) s_cls=$(mean_grey "$classic" $below)
[ $((s_cls - s_eff)) -ge 10 ] || e2e_fail "no shadow below the lit girder ($s_eff with effects, $s_cls classic)"
# Left of the LCD screens (casing, direction buttons) and the right column (logo, mode buttons,
# jump) are untouched.
for area in 290x768+0+0 300x768+724+0; do
  convert "$effects" -crop "$area" +repage "$E2E_TMP/a.png"
  convert "$classic" -crop "$area" +repage "$E2E_TMP/b.png"
  d=$(compare -metric AE "$E2E_TMP/a.png" "$E2E_TMP/b.png" null: 2>&1 || true)
  [ "$d" = 0 ] || e2e_fail "the effects changed $d pixels of $area, outside the LCD"
done
echo "lcd effects: ghost $((g_cls - g_eff)), shadow $((s_cls - s_eff)) darker; casing and buttons unchanged"
