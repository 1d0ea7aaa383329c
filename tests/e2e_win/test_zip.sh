#!/usr/bin/env bash
# The zip: it holds the program folder (ktusko.exe, Config.ini, Resources, Readme.txt,
# Whatsnew.txt) under one top folder; unpacked into a folder whose name is not ASCII, the program
# starts there and shows its window, and it writes nothing beside itself.
source "$(dirname "$0")/lib.sh" "$1"
zip=$(ls "$E2E_BUILD"/ktusko-*-win64.zip 2>/dev/null | head -1)
[ -n "$zip" ] || e2e_fail "no zip in $E2E_BUILD (cmake --build $E2E_BUILD --target kt_win_packages)"
top=$(basename "$zip" .zip)
dest="$WINEPREFIX/drive_c/Spiele Ünïcødé 游戏"
mkdir -p "$dest"
(cd "$dest" && cmake -E tar xf "$zip") || e2e_fail "the zip cannot be unpacked"
prog="$dest/$top"
for f in ktusko.exe Config.ini Readme.txt Whatsnew.txt Resources; do
  [ -e "$prog/$f" ] || e2e_fail "the zip has no $top/$f"
done
extra=$(cd "$prog" && ls -A | grep -vxE 'ktusko\.exe|Config\.ini|Readme\.txt|Whatsnew\.txt|Resources' || true)
[ -z "$extra" ] || e2e_fail "the zip holds more than the program folder: $extra"
before=$(cd "$prog" && find . -printf '%p %s %T@\n' | sort)

wine_start "$prog/ktusko.exe"
e2e_wait_window 30 >/dev/null || e2e_fail "the program unpacked into a folder named in Unicode showed no window"
wine_end
wine_wait_exit 10
after=$(cd "$prog" && find . -printf '%p %s %T@\n' | sort)
[ "$before" = "$after" ] || e2e_fail "the program changed its own folder: $(diff <(echo "$before") <(echo "$after") | head -5)"
echo "PASS"
