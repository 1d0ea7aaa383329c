#!/usr/bin/env bash
# SDL2_mixer is loaded once the program runs, not linked: hidden from the program (a mount namespace
# of its own puts an empty file in its place), the game with the default skin and its sound on
# starts, says on its standard error that it has no sound and why, and plays a game without
# ending. Needs root for the namespace, as CI runs.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
cp -r "$(dirname "$1")/Config.ini" "$(dirname "$1")/Resources" "$E2E_PROG/"
# Sound on (the first output, SDL's dummy driver here), the splash skipped.
printf '[General]\nSoundMode=0\nSplashScreen=0\n' >"$E2E_SETTINGS"
lib=$(ldconfig -p | awk '$1 == "libSDL2_mixer-2.0.so.0" { print $NF; exit }')
[ -n "$lib" ] || e2e_fail "libSDL2_mixer-2.0.so.0 is not installed"
unshare --mount true 2>/dev/null || e2e_fail "no mount namespace (the test runs as root)"
(cd "$E2E_TMP" && exec env SDL_AUDIODRIVER=dummy \
  unshare --mount sh -c 'mount --bind /dev/null "$0" && exec "$1"' "$lib" "$E2E_PROG/ktusko") >"$E2E_TMP/app.log" 2>&1 &
E2E_APP=$!
E2E_PIDS+=($E2E_APP)
sleep 4  # the start jingle is asked for as the clock starts
kill -0 "$E2E_APP" 2>/dev/null || e2e_fail "the program ended at its start without the mixer ($(cat "$E2E_TMP/app.log"))"
xdotool key 1  # Game A: its sounds are asked for and stay silent
sleep 3
kill -0 "$E2E_APP" 2>/dev/null || e2e_fail "the program ended without the mixer ($(cat "$E2E_TMP/app.log"))"
grep -q '^ktusko: no sound: cannot load libSDL2_mixer-2.0.so.0' "$E2E_TMP/app.log" ||
  e2e_fail "nothing said about the missing mixer ($(cat "$E2E_TMP/app.log"))"
echo "without SDL2_mixer: a silent start and game, the reason on the standard error"
