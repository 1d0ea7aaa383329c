#!/usr/bin/env bash
# Start-up without a usable configuration: a missing main Config.ini, a stage folder without
# its Config.ini, and a named pipe in place of Config.ini. Each shows one error box; after OK the
# program ends. In the second case the rest of the start-up still ran, so the key bindings were
# written back.
source "$(dirname "$0")/lib.sh" "$1" 1024x768

# wait_box: the id of a small visible window titled with the program's name (the error box).
wait_box() {
  local end=$((SECONDS + 10)) wid w
  while [ $SECONDS -lt $end ]; do
    for wid in $(xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' 2>/dev/null); do
      w=$(xwininfo -id "$wid" | sed -n 's/.*Width: *//p')
      [ -n "$w" ] && [ "$w" -lt 800 ] && { echo "$wid"; return 0; }
    done
    sleep 0.2
  done
  return 1
}

# ok_and_end BOX: OK closes the box and the program ends by itself.
ok_and_end() {
  xdotool windowactivate --sync "$1" 2>/dev/null || true
  xdotool key Return
  local end=$((SECONDS + 10))
  while [ $SECONDS -lt $end ] && kill -0 "$E2E_APP" 2>/dev/null; do sleep 0.1; done
  kill -0 "$E2E_APP" 2>/dev/null && e2e_fail "the program did not end after the message"
  wait "$E2E_APP" 2>/dev/null || true
}

# 1. No main Config.ini at all.
e2e_start
box=$(wait_box) || { e2e_shot "$E2E_TMP/shot.png"; e2e_fail "no error box without Config.ini"; }
ok_and_end "$box"

# 2. Two stages configured, the second folder has no Config.ini.
mkdir -p "$E2E_PROG/Resources/Level1"
printf '[Common]\nStages=2\n' >"$E2E_PROG/Config.ini"
printf '[Common]\nBgColor=0\n' >"$E2E_PROG/Resources/Level1/Config.ini"
rm -f "$E2E_SETTINGS"
e2e_start
box=$(wait_box) || { e2e_shot "$E2E_TMP/shot.png"; e2e_fail "no error box for the missing stage folder"; }
ok_and_end "$box"
grep -q '^Key8=42' "$E2E_SETTINGS" || e2e_fail "start-up did not go on to write the key bindings"
[ "$(xdotool search --onlyvisible --name 'Kellup' 2>/dev/null | wc -l)" = 0 ] || e2e_fail "a window is left"
# 3. A named pipe where Config.ini should be: refused at once, not waited on.
rm -rf "$E2E_PROG/Config.ini" "$E2E_PROG/Resources"
mkfifo "$E2E_PROG/Config.ini"
e2e_start
box=$(wait_box) || { e2e_shot "$E2E_TMP/shot.png"; e2e_fail "no error box for a pipe named Config.ini"; }
ok_and_end "$box"
echo "configuration failures: one message each, then the end"
