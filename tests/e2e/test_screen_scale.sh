#!/usr/bin/env bash
# Fit to screen, "Original size" and window mode on a small skin of plain colours: a 544x744 grey
# background on a 1024x768 design canvas, the Jump face (released green, pressed red) 80x80.
#  - at 1024x768, 1920x1080 and 3840x2160 the background fills the height with its margin and
#    Jump sits at the right edge, one scaled margin in; a click on it through the scale presses it;
#  - at 1024x768 fit to screen is the original layout pixel for pixel; at 1920x1080 "Original
#    size" puts everything where the classic layout puts it;
#  - window mode: the handheld scaled into the window, resized to two sizes, the size remembered;
#    F11 goes back to full screen (the whole screen, the same layout as fit to screen, WindowMode
#    stored "0") and F11 again to the remembered window; closing the window ends the program.
exe=$1
here=$(dirname "$0")
source "$here/lib.sh" "$exe" 1024x768

skin() {
  local lvl=$E2E_PROG/Resources/Level1
  mkdir -p "$lvl" "$E2E_PROG/Resources/Common"
  printf '[Common]\nStages=1\nDesignWidth=1024\nDesignHeight=768\n[Stage1]\nName=Test\nImage=nil\n' >"$E2E_PROG/Config.ini"
  e2e_picture "$lvl/bg.png" 544x744 '#808080'
  e2e_picture "$lvl/up.png" 80x80 '#00ff00'
  e2e_picture "$lvl/down.png" 80x80 '#ff0000'
  {
    printf '[Common]\nBgColor=$00000000\n'
    printf '[Image1]\nFilename=bg.png\nLeft=240\nTop=12\nWidth=544\nHeight=744\n'
    printf '[Image24]\nFilename=down.png\nWidth=80\nHeight=80\n'
    printf '[Image25]\nFilename=up.png\nWidth=80\nHeight=80\n'
    printf '[Image26]\nWidth=80\nHeight=80\n'
  } >"$lvl/Config.ini"
}
skin

# run_at WxH SETTINGS: a display of that size, the program started with those settings.
run_at() {
  e2e_cleanup_display
  # A fresh display number each time: the last server may not have let go of its own yet.
  start_display "$1" $(( ${DISPLAY#:} + 1 )) E2E_PIDS
  sleep 1
  printf '[General]\nSoundMode=2\nSplashScreen=0\n%b' "$2" >"$E2E_SETTINGS"
  e2e_start
  local end=$((SECONDS + 30))
  until xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' >/dev/null 2>&1; do
    [ $SECONDS -lt $end ] || { cat "$E2E_TMP/app.log" >&2; e2e_fail "$1: the game window never came up"; }
    sleep 0.2
  done
}
e2e_cleanup_display() {
  for p in "${E2E_PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
  E2E_PIDS=()
}
# calc EXPR: integer arithmetic with the scale (awk).
calc() { awk "BEGIN { printf \"%d\", $1 }"; }

shot=$E2E_TMP/shot.png
# check_fit WxH: the screen shows the fit-to-screen layout of a full screen of that size (the last
# shot is $shot; jx, jy are where Jump is).
check_fit() {
  local size=$1
  W=${size%x*}; H=${size#*x}
  # Scale and virtual screen as the program works them out.
  s=$(awk "BEGIN { a = $W / 1024; b = $H / 768; print (a < b ? a : b) }")
  vw=$(awk "BEGIN { v = $W / $s; i = int(v); print (v - i > 1e-6 ? i + 1 : i) }")
  vh=$(awk "BEGIN { v = $H / $s; i = int(v); print (v - i > 1e-6 ? i + 1 : i) }")
  top=$(calc "(int(($vh - 744) / 2)) * $s")
  bottom=$(calc "(int(($vh - 744) / 2) + 744) * $s")
  cx=$((W / 2))
  e2e_wait_pixel $cx $((top + 4)) 128,128,128 30 || e2e_fail "$size: no background below its top margin"
  [ "$(e2e_pixel $shot $cx $((top - 4)))" = "0,0,0" ] || e2e_fail "$size: background reaches above its margin"
  [ "$(e2e_pixel $shot $cx $((bottom - 4)))" = "128,128,128" ] || e2e_fail "$size: background ends too early"
  [ "$(e2e_pixel $shot $cx $((bottom + 4)))" = "0,0,0" ] || e2e_fail "$size: background reaches below its margin"
  # Jump: virtual left vw - 80 - 32, top vh - 32 - 40 (no direction pad in this skin).
  jx=$(calc "($vw - 80 - 32 + 40) * $s"); jy=$(calc "($vh - 72 + 40) * $s")
  right=$(calc "($vw - 32) * $s")
  [ "$(e2e_pixel $shot $jx $jy)" = "0,255,0" ] || e2e_fail "$size: Jump not at ($jx,$jy)"
  [ "$(e2e_pixel $shot $((right - 3)) $jy)" = "0,255,0" ] || e2e_fail "$size: Jump does not reach its margin"
  [ "$(e2e_pixel $shot $((right + 3)) $jy)" = "0,0,0" ] || e2e_fail "$size: Jump is wider than it should be"
}
for size in ${SCALE_SIZES:-1024x768 1920x1080 3840x2160}; do
  run_at "$size" ""
  check_fit "$size"
  cp $shot /tmp/ktusko-e2e-scale-$size.png 2>/dev/null || true
  [ $size = 1024x768 ] && cp $shot $E2E_TMP/fit1024.png
  xdotool mousemove $jx $jy mousedown 1
  e2e_wait_pixel $jx $jy 255,0,0 5 || e2e_fail "$size: a click on Jump does not press it"
  xdotool mouseup 1
  e2e_wait_pixel $jx $jy 0,255,0 5 || e2e_fail "$size: releasing Jump does not release it"
  echo "fit to screen at $size: scale $s, background and Jump in place, Jump works by mouse"
done

# Original size at 1024x768 is the fit picture pixel for pixel; at 1920x1080 the classic layout.
run_at 1024x768 "ScreenScale=0\n"
e2e_wait_pixel 512 20 128,128,128 30 || { cat $E2E_TMP/app.log; cat $E2E_SETTINGS; e2e_fail "original size: no background"; }
diff=0
[ -f "$E2E_TMP/fit1024.png" ] && diff=$(compare -metric AE "$shot" "$E2E_TMP/fit1024.png" null: 2>&1 || true)
[ "$diff" = 0 ] || e2e_fail "at 1024x768 original size and fit to screen differ in $diff pixels"
run_at 1920x1080 "ScreenScale=0\n"
e2e_wait_pixel 688 168 128,128,128 30 || e2e_fail "original size: background not at (688,168)"
[ "$(e2e_pixel $shot 687 168)" = "0,0,0" ] && [ "$(e2e_pixel $shot 688 167)" = "0,0,0" ] ||
  e2e_fail "original size: background edge not at (688,168)"
[ "$(e2e_pixel $shot $((688 + 543)) $((168 + 743)))" = "128,128,128" ] && [ "$(e2e_pixel $shot $((688 + 544)) 500)" = "0,0,0" ] ||
  e2e_fail "original size: background is not 544x744"
[ "$(e2e_pixel $shot $((1920 - 112)) $((1080 - 72)))" = "0,255,0" ] && [ "$(e2e_pixel $shot $((1920 - 113)) $((1080 - 72)))" = "0,0,0" ] ||
  e2e_fail "original size: Jump not at the classic place"
echo "original size: 1:1 at 1024x768 equal to fit, classic layout at 1920x1080"

# Window mode: 800x600 inside, then resized twice; the handheld stays in the middle of it.
run_at 1920x1080 "WindowMode=1\nWindowGeometry=\"200,150,800,600\"\n"
win=""
end=$((SECONDS + 15))
while [ -z "$win" ] && [ $SECONDS -lt $end ]; do
  win=$(xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' 2>/dev/null | head -1) || true
  sleep 0.2
done
[ -n "$win" ] || e2e_fail "window mode: no window"
check_window() {  # check_window W H: the inside of the window is W x H and shows the handheld in its middle
  local x y w h
  sleep 1
  local info
  info=$(xwininfo -id "$win")
  x=$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info"); y=$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")
  w=$(sed -n 's/.*Width: *//p' <<<"$info"); h=$(sed -n 's/.*Height: *//p' <<<"$info")
  [ "$w" = "$1" ] && [ "$h" = "$2" ] || e2e_fail "window mode: window is ${w}x$h, not $1x$2"
  e2e_wait_pixel $((x + w / 2)) $((y + h / 2)) 128,128,128 5 || e2e_fail "window mode: no handheld in the middle at ${w}x$h"
  local s top
  s=$(awk "BEGIN { a = $w / 1024; b = $h / 768; print (a < b ? a : b) }")
  top=$(calc "$y + int(($h / $s - 744) / 2) * $s")
  [ "$(e2e_pixel $shot $((x + w / 2)) $((top - 4)))" = "0,0,0" ] && [ "$(e2e_pixel $shot $((x + w / 2)) $((top + 4)))" = "128,128,128" ] ||
    e2e_fail "window mode: at ${w}x$h (at $x,$y) the handheld does not fill the height with its margin (top $top: $(e2e_pixel $shot $((x + w / 2)) $((top - 4))) / $(e2e_pixel $shot $((x + w / 2)) $((top + 4))))"
  cp $shot /tmp/ktusko-e2e-scale-window-${w}x$h.png 2>/dev/null || true
}
check_window 800 600
xdotool windowsize "$win" 1200 500
check_window 1200 500
xdotool windowsize "$win" 600 900
check_window 600 900
sleep 1
grep -q '^WindowGeometry=.*,600,900' "$E2E_SETTINGS" || e2e_fail "window size not remembered: $(grep WindowGeometry "$E2E_SETTINGS")"
# F11 in the window: full screen again, laid out as at the start. (Changing the frame may give the
# game window a new X window.)
# wait_game_window WxH: until the visible game window has that size; its id is in $win.
wait_game_window() {
  local end=$((SECONDS + 10)) size=""
  while [ $SECONDS -lt $end ]; do
    win=$(xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' 2>/dev/null | tail -1) || true
    size=$([ -n "$win" ] && xwininfo -id "$win" 2>/dev/null | sed -n 's/.*\(Width\|Height\): *//p' | paste -sd x) || true
    [ "$size" = "$1" ] && { sleep 0.5; return 0; }
    sleep 0.2
  done
  e2e_fail "the game window is ${size:-not there}, not $1"
}
xdotool windowactivate --sync "$win" key F11
wait_game_window 1920x1080
info=$(xwininfo -id "$win")
[ "$(sed -n 's/.*Absolute upper-left X: *//p' <<<"$info"),$(sed -n 's/.*Absolute upper-left Y: *//p' <<<"$info")" = 0,0 ] ||
  e2e_fail "F11: the full-screen window is not at the screen's corner"
check_fit 1920x1080
grep -q '^WindowMode=0' "$E2E_SETTINGS" || e2e_fail "F11: WindowMode not stored as 0: $(grep WindowMode "$E2E_SETTINGS")"
cp $shot /tmp/ktusko-e2e-scale-f11-full.png 2>/dev/null || true
xdotool windowactivate --sync "$win" key F11
wait_game_window 600x900
check_window 600 900
grep -q '^WindowMode=1' "$E2E_SETTINGS" || e2e_fail "F11 again: WindowMode not stored as 1"
echo "F11 from the window: full screen with the fit layout, WindowMode 0; F11 again: the window as it was"
xdotool windowactivate --sync "$win" key --clearmodifiers alt+F4
end=$((SECONDS + 10))
while [ $SECONDS -lt $end ] && kill -0 "$E2E_APP" 2>/dev/null; do sleep 0.1; done
kill -0 "$E2E_APP" 2>/dev/null && e2e_fail "closing the window did not end the program"
status=0
wait "$E2E_APP" || status=$?
[ $status = 0 ] || e2e_fail "exit status $status after closing the window"
grep -q '^WindowMode=1' "$E2E_SETTINGS" || e2e_fail "WindowMode not kept"
echo "window mode: 800x600, 1200x500 and 600x900 filled, size remembered, closing ends the program"
