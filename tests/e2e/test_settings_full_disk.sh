#!/usr/bin/env bash
# A full disk: the settings folder is a small file system of its own (in a mount namespace of this
# test's own). With one block free every change is saved whole; with none, a change (F11) is not
# saved, the player is told once with the file and the reason, and the file keeps everything it
# held; once there is room again the next change saves everything, and later changes are not
# reported as failed.
if [ -z "${KT_E2E_OWN_MOUNTS:-}" ]; then
  ns=(unshare --mount --propagation private)
  [ "$(id -u)" = 0 ] || ns=(unshare --map-root-user --mount --propagation private)
  "${ns[@]}" true 2>/dev/null || { echo "SKIP: this machine allows no mount namespace"; exit 0; }
  KT_E2E_OWN_MOUNTS=1 exec "${ns[@]}" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/startup_lib.sh"
startup_skin
folder=$XDG_CONFIG_HOME/Zandrel
mount -t tmpfs -o size=64k tmpfs "$folder"
trap 'umount -l "$folder"; e2e_cleanup' EXIT
printf '[General]\nHiScore1=45\nHiScore2=7\nSoundMode=2\nSplashScreen=0\n' >"$E2E_SETTINGS"

# fill NAME: fills the file system with the file NAME.
fill() { dd if=/dev/zero of="$folder/$1" bs=4096 2>/dev/null || true; }
not_saved() { grep -c "settings not saved" "$E2E_TMP/app.log" || true; }
# expect_whole WINDOWMODE WHEN: the file holds every value the player had, and WindowMode.
expect_whole() {
  local v
  for v in HiScore1=45 HiScore2=7 SoundMode=2 SplashScreen=0 Key1=2 Key8=42 "WindowMode=$1"; do
    grep -qx "$v" "$E2E_SETTINGS" || e2e_fail "$v is not in the settings $2: $(tr '\n' ' ' <"$E2E_SETTINGS")"
  done
}
# window_mode VALUE: presses F11 and waits until WindowMode is stored as VALUE.
window_mode() {
  xdotool key F11
  for _ in $(seq 50); do [ "$(startup_setting WindowMode)" = "$1" ] && return 0; sleep 0.1; done
  e2e_fail "F11 did not store WindowMode=$1: $(tr '\n' ' ' <"$E2E_SETTINGS")"
}

fill filler
truncate -s -4096 "$folder/filler"
e2e_start
startup_wait_clock 15 || e2e_fail "no clock"
window_mode 1
expect_whole 1 "with one block free"
[ "$(not_saved)" = 0 ] || e2e_fail "a write was reported as failed: $(cat "$E2E_TMP/app.log")"

# No room at all: the change is kept in memory, the file stays as it was.
fill filler2
before=$(cat "$E2E_SETTINGS")
xdotool key F11
for _ in $(seq 50); do [ "$(not_saved)" = 0 ] || break; sleep 0.1; done
sleep 0.5
grep -q "settings not saved: $E2E_SETTINGS: No space left on device" "$E2E_TMP/app.log" ||
  e2e_fail "the player was not told why: $(cat "$E2E_TMP/app.log")"
[ "$(cat "$E2E_SETTINGS")" = "$before" ] || e2e_fail "the settings changed on a full disk: $(tr '\n' ' ' <"$E2E_SETTINGS")"
[ "$(startup_message_boxes | grep -c .)" = 1 ] || e2e_fail "not one message box"
e2e_shot "$E2E_TMP/shot.png"
cp "$E2E_TMP/shot.png" /tmp/ktusko-e2e-full-disk.png 2>/dev/null || true
ls "$folder" | grep -q '\.new-' && e2e_fail "a half-written file was left: $(ls "$folder")"

# Room again: the next change saves everything, and the ones after it are not reported.
rm "$folder/filler2"
window_mode 1
told=$(not_saved)
window_mode 0
sleep 0.3
expect_whole 0 "once there is room again"
[ "$(not_saved)" = "$told" ] || e2e_fail "a write that succeeded was reported: $(cat "$E2E_TMP/app.log")"
[ "$(startup_message_boxes | grep -c .)" = 1 ] || e2e_fail "another message box came up"
kill -0 "$E2E_APP" || e2e_fail "the program ended"
echo "full disk: nothing lost, told once, saved whole once there is room"
