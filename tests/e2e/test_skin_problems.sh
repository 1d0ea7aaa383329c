#!/usr/bin/env bash
# A broken skin: a truncated picture, a picture with a huge size in its header and a window colour
# that is not a number. The game still comes up with red squares for the two pictures, says what
# is wrong in one box that does not stop it, and the clock goes on.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
lvl=$E2E_PROG/Resources/Level1
mkdir -p "$lvl" "$E2E_PROG/Resources/Common"
printf '[Common]\nStages=1\n[Stage1]\nName=Test\n' >"$E2E_PROG/Config.ini"
e2e_picture "$lvl/good.png" 40x20 '#00ff00'
head -c 60 "$lvl/good.png" >"$lvl/truncated.png"
# A PNG signature and a header chunk claiming 100000 x 100000 pixels (its checksum is not even
# right; the decoder tests cover a well-formed one).
printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x01\x86\xa0\x00\x01\x86\xa0\x08\x06\x00\x00\x00\x00\x00\x00\x00' >"$lvl/huge.png"
cat >"$lvl/Config.ini" <<'INI'
[Common]
BgColor=dark blue
[Image52]
Filename=good.png
Left=100
Top=100
Width=40
Height=20
[Image53]
Filename=truncated.png
Left=300
Top=100
Width=40
Height=20
[Image54]
Filename=huge.png
Left=500
Top=100
Width=40
Height=20
INI
e2e_skip_splash
e2e_start

# The test picture lights all three: the good one green, the two broken ones as red squares.
e2e_wait_pixel 105 105 0,255,0 10 || e2e_fail "the good picture never showed"
e2e_wait_pixel 305 105 255,0,0 5 || e2e_fail "no red square for the truncated picture"
e2e_wait_pixel 505 105 255,0,0 5 || e2e_fail "no red square for the huge picture"
grep -q 'truncated.png' "$E2E_TMP/app.log" || e2e_fail "the truncated picture was not reported"
grep -q 'huge.png' "$E2E_TMP/app.log" || e2e_fail "the huge picture was not reported"
grep -q 'BgColor' "$E2E_TMP/app.log" || e2e_fail "the window colour was not reported"
box=""
for wid in $(xdotool search --onlyvisible --name 'Kellup Tusko Lumo Special Edition' 2>/dev/null); do
  w=$(xwininfo -id "$wid" | sed -n 's/.*Width: *//p')
  [ -n "$w" ] && [ "$w" -lt 1000 ] && box=$wid
done
[ -n "$box" ] || e2e_fail "no message box about the skin"
# The box does not stop the game: the clock frame follows the test picture, where girder 2 (the
# truncated picture) is dark while girder 1 and wire 1 stay lit.
e2e_wait_pixel 305 105 0,0,0 5 || e2e_fail "the clock did not go on behind the box"
kill -0 "$E2E_APP" || e2e_fail "the program ended"
echo "skin problems: placeholders, one report, the game goes on"
