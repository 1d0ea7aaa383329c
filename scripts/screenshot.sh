#!/usr/bin/env bash
# Pictures of the game for the front page and the software centres, made from the built program
# with its default skin under a private X display (the splash skipped, no sound, a game of Game A
# a few seconds in):
#   data/package/screenshots/handheld.png   1280 x 720, the whole screen (shipped in the package)
#   docs/handheld.png                        640 x 360, the same reduced (README.md)
# Uses the build in $KT_BUILD_DIR (default build/); run scripts/build.sh first.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
exe=$root/${KT_BUILD_DIR:-build}/ktusko/ktusko
[ -x "$exe" ] && [ -f "$(dirname "$exe")/Config.ini" ] || { echo "no $exe with its skin: build first" >&2; exit 1; }

source "$root/tests/e2e/display_lib.sh"
tmp=$(mktemp -d /tmp/ktusko-shot-XXXXXX)
pids=()
trap 'end_all pids "$tmp"' EXIT
export XDG_CONFIG_HOME=$tmp/config QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy KT_NO_GAMEPAD=1
unset WAYLAND_DISPLAY
mkdir -p "$XDG_CONFIG_HOME/Zandrel"
printf '[General]\nSoundMode=2\nSplashScreen=0\n' >"$XDG_CONFIG_HOME/Zandrel/KTuskoSE50.conf"
start_display 1280x720 $(( 500 + ($$ % 300) )) pids
xset r off
(cd "$tmp" && exec "$exe") >"$tmp/app.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  xdotool search --onlyvisible --name '^Kellup Tusko Lumo Special Edition$' >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 3  # the LCD test picture, then the clock
xdotool key 1
sleep 7  # the stage intro, then play with the first barrels rolling
import -window root "$tmp/shot.png"
mkdir -p data/package/screenshots docs
convert "$tmp/shot.png" -strip -define png:compression-level=9 data/package/screenshots/handheld.png
convert "$tmp/shot.png" -strip -filter Lanczos -resize 640x360 -define png:compression-level=9 docs/handheld.png
ls -l data/package/screenshots/handheld.png docs/handheld.png
