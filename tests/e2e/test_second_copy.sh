#!/usr/bin/env bash
# Two copies for one user: a second copy started while the first runs says so in a box and ends
# when it is closed, without touching the settings; the first keeps running, comes back to the front
# (minimised, it is restored; with key settings open, that window comes forward) and obeys its
# keys. A first copy killed outright leaves no lock behind: the next copy starts normally, and
# nothing of either copy is left in the temporary folder.
# A lock file left by an older copy run with sudo (root's, unreadable) changes nothing: when the test
# runs as root, both copies run as the unprivileged user "nobody".
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/startup_lib.sh"
startup_skin
printf '[General]\nSoundMode=2\nSplashScreen=0\nHiScore1=5\n' >"$E2E_SETTINGS"
shot=$E2E_TMP/shot.png
export TMPDIR=$E2E_TMP/tmp
mkdir -m 1777 "$TMPDIR"
player=()
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  chmod 755 "$E2E_TMP" "$E2E_PROG"
  chmod -R a+rX "$E2E_PROG"
  chown -R nobody "$XDG_CONFIG_HOME"
  player=(setpriv --reuid=nobody --regid=nogroup --clear-groups env HOME=/nonexistent)
fi
: >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.lock"
chmod 000 "$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.lock"
e2e_start() {
  (cd "$E2E_TMP" && exec "${player[@]}" "$E2E_PROG/ktusko") >"$E2E_TMP/app.log" 2>&1 &
  E2E_APP=$!
  E2E_PIDS+=($E2E_APP)
}

e2e_start
first=$E2E_APP
startup_wait_clock 15 || e2e_fail "the first copy shows no clock"
before=$(cat "$E2E_SETTINGS")

# second_copy WHEN: a later copy says so in a box and ends when it is closed; the first goes on
# and the settings stay as they were.
second_copy() {
  local second box=""
  (cd / && exec "${player[@]}" "$E2E_PROG/ktusko") >"$E2E_TMP/second.log" 2>&1 &
  second=$!
  E2E_PIDS+=($second)
  for _ in $(seq 100); do
    box=$(xdotool search --onlyvisible --pid "$second" 2>/dev/null | head -1 || true)
    [ -n "$box" ] && break
    kill -0 "$second" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$box" ] || e2e_fail "$1: the second copy showed no box ($(cat "$E2E_TMP/second.log"))"
  grep -q "already running" "$E2E_TMP/second.log" || e2e_fail "$1: the second copy did not say why it ends"
  sleep 0.5
  e2e_shot "$shot"
  cp "$shot" /tmp/ktusko-e2e-second-copy.png 2>/dev/null || true
  xdotool windowactivate --sync "$box" key Return 2>/dev/null || xdotool key Return
  for _ in $(seq 50); do kill -0 "$second" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$second" 2>/dev/null && e2e_fail "$1: the second copy did not end after its box"
  kill -0 "$first" 2>/dev/null || e2e_fail "$1: the first copy ended"
  [ "$(cat "$E2E_SETTINGS")" = "$before" ] || e2e_fail "$1: the settings changed"
  sleep 0.5
}
second_copy "clock"

# The first copy is in front again and has the keyboard: Game A held shows its high score.
startup_wait_clock 5 || e2e_fail "the first copy's clock is not in front"
startup_held_score ___50 || e2e_fail "Game A held in the first copy shows $(startup_digits "$shot")"

# Key settings open in the first copy: a later copy brings it forward (not the game window, which
# waits on it, disabled); Esc then closes it and the game window has the keyboard again.
xdotool mousemove 18 16 click 1  # the game menu's icon
sleep 0.4
xdotool mousemove 120 208 click 1  # its sixth row, "Key settings"
keys=""
for _ in $(seq 50); do
  keys=$(xdotool search --onlyvisible --name '^Key settings$' 2>/dev/null | head -1 || true)
  [ -n "$keys" ] && break
  sleep 0.1
done
[ -n "$keys" ] || e2e_fail "the key settings window did not open"
second_copy "key settings open"
[ "$(xdotool getactivewindow)" = "$keys" ] || e2e_fail "key settings is not the active window after a later copy"
xdotool key Escape
sleep 0.5
[ -z "$(xdotool search --onlyvisible --name '^Key settings$' 2>/dev/null || true)" ] ||
  e2e_fail "Esc after a later copy did not close key settings"
startup_held_score ___50 || e2e_fail "after key settings, Game A held shows $(startup_digits "$shot")"

# Minimised, the first copy comes back on the screen and takes the keyboard.
game=$(xdotool search --onlyvisible --pid "$first" --name '^Kellup Tusko Lumo Special Edition$' 2>/dev/null | head -1)
xdotool windowminimize --sync "$game" 2>/dev/null || xdotool windowminimize "$game"
sleep 0.5
second_copy "game window minimised"
[ "$(xdotool getactivewindow)" = "$game" ] || e2e_fail "the minimised first copy did not come back to the front"
startup_held_score ___50 || e2e_fail "the first copy brought back: Game A held shows $(startup_digits "$shot")"

# Killed outright, the first copy leaves nothing stuck.
kill -9 "$first"
wait "$first" 2>/dev/null || true
sleep 0.3
[ -z "$(find "$TMPDIR" -type s)" ] || e2e_fail "sockets left behind: $(find "$TMPDIR" -type s)"
e2e_start
startup_wait_clock 15 || e2e_fail "no clock after the first copy was killed ($(cat "$E2E_TMP/app.log"))"
[ -z "$(xdotool search --onlyvisible --pid "$E2E_APP" 2>/dev/null | while read -r w; do
  [ "$(xwininfo -id "$w" | sed -n 's/.*Width: *//p')" -lt 1000 ] && echo "$w"; done || true)" ] ||
  e2e_fail "a box came up after the first copy was killed"
echo "second copy: told and ended, the first intact and in front; no stale lock or socket after kill -9"
