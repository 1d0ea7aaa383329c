#!/usr/bin/env bash
# The game window under Wine: F11 switches to a window with a title bar and back to the whole
# screen, the choice stored in the registry; a second copy is refused (it ends with status 0 and
# the first goes on); Alt+F4 ends the program with status 0.
source "$(dirname "$0")/wine_lib.sh" "$1" 1024x768
w_skip_splash
w_start
w=$(w_window 60) || w_fail "no game window"
sleep 3
size() { xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p'; }
[ "$(size)" = 1024x768 ] || w_fail "not full screen at start: $(size)"
xdotool windowactivate --sync "$w" 2>/dev/null || true
xdotool key F11
sleep 2
[ "$(size)" != 1024x768 ] || w_fail "F11 did not make a window"
[ "$(w_get WindowMode)" = 1 ] || w_fail "window mode not stored"
xdotool windowactivate --sync "$w" 2>/dev/null || true
xdotool key F11
sleep 2
[ "$(size)" = 1024x768 ] || w_fail "F11 again did not bring back the whole screen: $(size)"
[ "$(w_get WindowMode)" = 0 ] || w_fail "full screen not stored"

# A second copy says so (its box is answered here) and ends with status 0; the first runs on.
(cd "$W_TMP" && exec wine "$W_PROG/ktusko.exe") >"$W_TMP/second.log" 2>&1 &
second=$!
W_PIDS+=("$second")
for _ in $(seq 100); do
  box=$({ xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' 2>/dev/null || true; } | { grep -v "^$w$" || true; } | head -1)
  [ -n "$box" ] && break
  sleep 0.2
done
[ -n "$box" ] || w_fail "the second copy showed no box"
xdotool windowactivate --sync "$box" 2>/dev/null || true
xdotool key Return
for _ in $(seq 100); do kill -0 "$second" 2>/dev/null || break; sleep 0.1; done
kill -0 "$second" 2>/dev/null && w_fail "the second copy did not end"
status=0
wait "$second" || status=$?
[ "$status" = 0 ] || w_fail "the second copy ended with status $status"
running || w_fail "the first copy ended too"

xdotool windowactivate --sync "$w" 2>/dev/null || true
xdotool key alt+F4
w_wait_exit 20 || w_fail "Alt+F4 did not end the program"
[ "$W_STATUS" = 0 ] || w_fail "Alt+F4 ended the program with status $W_STATUS"
echo PASS
