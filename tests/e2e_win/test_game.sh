#!/usr/bin/env bash
# A real game under Wine with keys: Game A ('1') changes the LCD's segments on the screen; the jump
# key (Ctrl) pressed over and over lets Pelko in, and he scores whenever a barrel rolls under a jump;
# left alone he is hit three times, and the game over stores the high score in the registry (where
# there was none before).
source "$(dirname "$0")/wine_lib.sh" "$1" 1024x768
w_skip_splash
w_start
w=$(w_window 60) || w_fail "no game window"
sleep 5  # the LCD test picture, then the clock
w_shot "$W_TMP/clock.png"
xdotool windowactivate --sync "$w" 2>/dev/null || true
xdotool key 1
sleep 4
w_shot "$W_TMP/shot.png"
# The LCD screens lie in the middle of the handheld.
changed=$(w_differs "$W_TMP/clock.png" "$W_TMP/shot.png" 700x500+162+100)
[ "$changed" -gt 200 ] || w_fail "Game A changed only $changed pixels of the LCD"
for _ in $(seq 100); do xdotool key ctrl; sleep 0.25; done
[ -z "$(w_get HiScore1)" ] || w_fail "the high score was written during play"
end=$((SECONDS + 150))
while [ $SECONDS -lt $end ]; do
  [ -n "$(w_get HiScore1)" ] && break
  running || w_fail "the program ended during the game"
  sleep 1
done
hs=$(w_get HiScore1)
[[ "$hs" =~ ^[0-9]+$ ]] || w_fail "the game over stored no high score (HiScore1='$hs')"
[ "$hs" -gt 0 ] || echo "note: the game scored no point; its high score stays 0"
echo "PASS (high score $hs)"
