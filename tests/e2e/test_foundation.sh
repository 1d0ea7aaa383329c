#!/usr/bin/env bash
# The game window under a real X server at 1280x1024 with a small skin written here: borderless,
# covering the screen, the background centred and the LCD test picture's segments at their places.
source "$(dirname "$0")/lib.sh" "$1" 1280x1024

lvl=$E2E_PROG/Resources/Level1
mkdir -p "$lvl" "$E2E_PROG/Resources/Common"
printf '[Common]\nStages=1\nDesignWidth=1024\nDesignHeight=768\n[Stage1]\nName=Test\n' >"$E2E_PROG/Config.ini"
e2e_picture "$lvl/bg.png" 400x300 '#0000ff'
e2e_picture "$lvl/girder.png" 40x20 '#ff0000'
e2e_picture "$lvl/heart.png" 30x30 '#00ff00'
e2e_picture "$lvl/Wire.PNG" 10x10 '#ffff00'
# Window colour: low byte red, so $00004000 is a dark green.
cat >"$lvl/Config.ini" <<'INI'
[Common]
BgColor=$00004000
[Image1]
Filename=bg.png
Width=400
Height=300
[Image52]
Filename=girder.png
Left=100
Top=100
Width=40
Height=20
[Image50]
Filename=heart.png
Left=300
Top=200
Width=30
Height=30
[Image54]
Filename=wire.png
Left=10
Top=10
Width=10
Height=10
INI
e2e_skip_splash
# The skin's own pixel size: these are the classic layout's positions.
printf 'ScreenScale=0\n' >>"$E2E_SETTINGS"
e2e_start

# The LCD test picture lights the heart: design (300,200) + offset (128,128).
e2e_wait_pixel 440 340 0,255,0 10 || e2e_fail "test picture never showed the heart"
shot=$E2E_TMP/shot.png
# The closed game menu (36 x 32) covers the very corner; look just right of it.
[ "$(e2e_pixel $shot 40 0)" = "0,64,0" ] || e2e_fail "top edge is not the window colour (border or not full screen?)"
[ "$(e2e_pixel $shot 1279 1023)" = "0,64,0" ] || e2e_fail "bottom-right corner is not the window colour"
# Background centred: (1280-400)/2 = 440, (1024-300)/2 = 362.
[ "$(e2e_pixel $shot 441 363)" = "0,0,255" ] || e2e_fail "background not centred (top-left inside)"
[ "$(e2e_pixel $shot 439 363)" = "0,64,0" ] || e2e_fail "background not centred (left edge)"
[ "$(e2e_pixel $shot 838 660)" = "0,0,255" ] || e2e_fail "background not centred (bottom-right inside)"
# The girder segment at design (100,100), 40x20.
[ "$(e2e_pixel $shot 229 229)" = "255,0,0" ] || e2e_fail "girder segment not at its place"
[ "$(e2e_pixel $shot 267 247)" = "255,0,0" ] || e2e_fail "girder segment clipped short"
[ "$(e2e_pixel $shot 268 248)" = "0,64,0" ] || e2e_fail "girder segment too large"
# A file named with other letter case on disk (Wire.PNG for wire.png) is still found.
[ "$(e2e_pixel $shot 139 139)" = "255,255,0" ] || e2e_fail "wire picture not found by case-insensitive match"
echo "foundation: window, background and segments as expected"
