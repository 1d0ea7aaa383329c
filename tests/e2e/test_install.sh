#!/usr/bin/env bash
# Installed like a Debian program: `cmake --install` of the build into a temporary root (DESTDIR,
# prefix /usr). The program is started through its launcher link in /usr/games from another working
# directory and must reach the clock of the default skin; a second user (the unprivileged "nobody",
# when the test runs as root) runs it at the same time with settings of its own. The program folder
# is never written, and removing what the install manifest lists leaves nothing behind.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/install_lib.sh"
build=$(cd "$(dirname "$1")/.." && pwd)
[ -f "$build/CMakeCache.txt" ] || e2e_fail "no build tree above $1"
root=$E2E_TMP/root
DESTDIR=$root cmake --install "$build" --prefix /usr >"$E2E_TMP/install.log" 2>&1 ||
  e2e_fail "cmake --install failed: $(tail -5 "$E2E_TMP/install.log")"
manifest=$E2E_TMP/manifest
sed "s|^|$root|" "$build/install_manifest.txt" | sort >"$manifest"

on_disk() { find "$root" -type f -o -type l | sort; }
[ "$(on_disk)" = "$(cat "$manifest")" ] || e2e_fail "installed files differ from the manifest: $(diff <(on_disk) "$manifest" | head -5)"
for f in usr/games/ktusko usr/lib/ktusko/ktusko usr/lib/ktusko/Config.ini usr/lib/ktusko/Resources/Level1/Config.ini \
         usr/share/applications/org.zandrel.ktusko.desktop usr/share/metainfo/org.zandrel.ktusko.metainfo.xml \
         usr/share/icons/hicolor/scalable/apps/ktusko.svg usr/share/icons/hicolor/48x48/apps/ktusko.png \
         usr/share/doc/ktusko/Readme.txt usr/share/doc/ktusko/Whatsnew.txt usr/share/doc/ktusko/copyright; do
  [ -e "$root/$f" ] || e2e_fail "not installed: /$f"
done
[ -L "$root/usr/games/ktusko" ] || e2e_fail "/usr/games/ktusko is not a link"
# The desktop entry and the metainfo as software centres read them (the network checks left out);
# each screenshot the metainfo names is shipped, with the size the metainfo gives it.
desktop-file-validate "$root/usr/share/applications/org.zandrel.ktusko.desktop" >"$E2E_TMP/check.log" 2>&1 ||
  e2e_fail "desktop entry: $(cat "$E2E_TMP/check.log")"
metainfo=$root/usr/share/metainfo/org.zandrel.ktusko.metainfo.xml
appstreamcli validate --no-net --pedantic "$metainfo" >"$E2E_TMP/check.log" 2>&1 ||
  e2e_fail "metainfo: $(cat "$E2E_TMP/check.log")"
grep -q -i 'validation was successful\.$' "$E2E_TMP/check.log" || e2e_fail "metainfo: $(cat "$E2E_TMP/check.log")"
shots=$(sed -n 's|.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">.*/\([^/<]*\)</image>.*|\1x\2 \3|p' "$metainfo")
[ -n "$shots" ] || e2e_fail "the metainfo names no screenshot"
while read -r size name; do
  f=$root/usr/share/ktusko/screenshots/$name
  [ -f "$f" ] || e2e_fail "screenshot $name not shipped"
  [ "$(identify -format %wx%h "$f")" = "$size" ] || e2e_fail "screenshot $name is not $size"
done <<<"$shots"
sums() { find "$root/usr/lib/ktusko" -type f -exec sha256sum {} + | sort; }
sums_before=$(sums)

# The first user: settings that skip the splash, a high score of its own.
printf '[General]\nSoundMode=2\nSplashScreen=0\nHiScore1=45\n' >"$E2E_SETTINGS"
mkdir -p "$E2E_TMP/elsewhere"
(cd "$E2E_TMP/elsewhere" && exec "$root/usr/games/ktusko") >"$E2E_TMP/app.log" 2>&1 &
E2E_APP=$!
E2E_PIDS+=($E2E_APP)
install_wait_clock || e2e_fail "the installed program never showed the clock ($(cat "$E2E_TMP/app.log"))"
cp "$E2E_TMP/shot.png" /tmp/ktusko-e2e-installed.png 2>/dev/null || true
grep -q '^Key8=42$' "$E2E_SETTINGS" || e2e_fail "the first user's settings were not written"

# A second user at the same time, with its own settings under its own home folder.
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
  home=$E2E_TMP/home-nobody
  mkdir -p "$home/.config/Zandrel"
  printf '[General]\nSoundMode=2\nSplashScreen=0\n' >"$home/.config/Zandrel/KTuskoSE50.conf"
  chown -R nobody:nogroup "$home"
  chmod 755 "$E2E_TMP"
  (cd / && exec setpriv --reuid=nobody --regid=nogroup --clear-groups \
     env -u XDG_CONFIG_HOME HOME="$home" "$root/usr/games/ktusko") >"$E2E_TMP/app2.log" 2>&1 &
  other=$!
  E2E_PIDS+=($other)
  for _ in $(seq 100); do grep -q '^Key8=42$' "$home/.config/Zandrel/KTuskoSE50.conf" && break; sleep 0.1; done
  grep -q '^Key8=42$' "$home/.config/Zandrel/KTuskoSE50.conf" ||
    e2e_fail "the second user's settings were not written ($(cat "$E2E_TMP/app2.log"))"
  sleep 1
  kill -0 "$other" 2>/dev/null || e2e_fail "the second user's copy ended ($(cat "$E2E_TMP/app2.log"))"
  grep -q HiScore1 "$home/.config/Zandrel/KTuskoSE50.conf" && e2e_fail "the first user's high score reached the second user"
  kill "$other"
  wait "$other" 2>/dev/null || true
else
  echo "note: not root, the second user's run is left out"
fi
kill -0 "$E2E_APP" || e2e_fail "the first user's copy ended"
grep -q '^HiScore1=45$' "$E2E_SETTINGS" || e2e_fail "the first user's high score changed"
kill "$E2E_APP"
wait "$E2E_APP" 2>/dev/null || true

[ "$(sums)" = "$sums_before" ] || e2e_fail "the program folder was written to"
[ "$(on_disk)" = "$(cat "$manifest")" ] || e2e_fail "files appeared in the installation: $(diff <(on_disk) "$manifest" | head -5)"

# Removal: the manifest's files, then the folders left empty; nothing may remain.
xargs -d '\n' rm -f <"$manifest"
find "$root" -depth -mindepth 1 -type d -empty -delete
[ -z "$(find "$root" -mindepth 1)" ] || e2e_fail "left after removal: $(find "$root" -mindepth 1 | head -5)"
echo "install: launcher link from elsewhere reaches the clock, two users apart, folder untouched, removal complete"
