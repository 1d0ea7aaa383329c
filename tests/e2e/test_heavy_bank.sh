#!/usr/bin/env bash
# The heaviest sound bank a stage may have (eight different files, each just under 10 s, 32-bit
# float in eight channels at 192 kHz, 61 MB apiece, all to be converted for the output) loads
# while the game goes on: the intro cover shows at once, a key during the intro is answered at
# once, a second game started while the first bank still loads replaces it, and the game plays.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
cp -r "$(dirname "$1")/Config.ini" "$(dirname "$1")/Resources" "$E2E_PROG/"
level=$E2E_PROG/Resources/Level1
shot=$E2E_TMP/shot.png

python3 - "$level" <<'PY'
import struct, sys
rate, channels, frames = 192000, 8, 192000 * 99 // 10
data = frames * channels * 4
for m in range(1, 9):
    with open(f"{sys.argv[1]}/heavy{m}.wav", "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 36 + data) + b"WAVEfmt " +
                struct.pack("<IHHIIHH", 16, 3, channels, rate, rate * channels * 4, channels * 4, 32) +
                b"data" + struct.pack("<I", data))
        f.write(bytes(data))
PY
awk '/^\[Sound[1-8]\]/ { n = substr($0, 7, 1) } /^\[/ && !/^\[Sound[1-8]\]/ { n = "" }
     n != "" && /^Filename=/ { $0 = "Filename=heavy" n ".wav" } { print }' \
  "$level/Config.ini" >"$level/Config.new" && mv "$level/Config.new" "$level/Config.ini"
[ "$(grep -c '^Filename=heavy' "$level/Config.ini")" = 8 ] || e2e_fail "the stage's sounds were not replaced"

printf '[General]\nSoundMode=0\nSplashScreen=0\nLcdEffects=0\n' >"$E2E_SETTINGS"
e2e_start
sleep 3  # test picture, then the clock

covered() { e2e_shot "$shot"; [ "$(e2e_pixel "$shot" 150 5)" = "0,0,0" ]; }

# Game A: the cover is painted at once, not after the bank is decoded.
xdotool key 1
sleep 0.5
covered || e2e_fail "no intro cover half a second after Game A"
# Time during the intro ends it at once; Game A again asks for the bank anew while the first
# request is still being decoded.
xdotool key 3
sleep 0.5
covered && e2e_fail "the intro cover stayed half a second after Time"
xdotool key 1
sleep 0.5
covered || e2e_fail "no intro cover for the second game"
# The intro keeps its timing: uncovered after about 4 s.
end=$((SECONDS + 7))
while covered; do [ $SECONDS -lt $end ] || e2e_fail "the intro cover was still up after 7 s"; done
# Play goes on while the rest of the bank loads and after; the program stays up.
sleep 25
kill -0 "$E2E_APP" 2>/dev/null || e2e_fail "the program ended during play"
e2e_shot "$shot"
[ "$(e2e_pixel "$shot" 150 5)" != "0,0,0" ] || e2e_fail "the playfield is gone"
echo "heavy sound bank: loaded behind a game that kept its timing"
