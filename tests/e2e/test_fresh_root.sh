#!/usr/bin/env bash
# The Debian package on a fresh Debian 12 system: the package is built from the build tree (cpack)
# and checked with lintian (no errors), a minimal Debian 12 root is made with debootstrap, and apt
# installs the package there, taking every dependency from the Debian archive. The installed program
# is started by an ordinary user through the launcher on the PATH from another working directory and
# must reach the clock. Purging the package must leave nothing of what `dpkg -L` listed, and once
# the dependencies are purged too the root's files are exactly those it had before.
#
# Needs root, debootstrap and the Debian archive (KT_DEBIAN_MIRROR, by default the archive this
# machine's own apt configuration uses). Without
# them the test is skipped (exit code 77); a failing install, start or removal fails it.
source "$(dirname "$0")/lib.sh" "$1" 1024x768
source "$(dirname "$0")/install_lib.sh"
source "$(dirname "$0")/../../scripts/debian_archive.sh"
build=$(cd "$(dirname "$1")/.." && pwd)
[ -f "$build/CPackConfig.cmake" ] || e2e_fail "no packaging set-up in the build tree above $1"
mirror=${KT_DEBIAN_MIRROR:-$(kt_debian_mirror || true)}
root=$E2E_TMP/root
start=$SECONDS
timings=()
step_done() { timings+=("$1 $((SECONDS - step_start)) s,"); step_start=$SECONDS; }
step_start=$SECONDS

skip() { echo "SKIPPED: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "making and entering a Debian root needs root"
[ -n "$mirror" ] || skip "no Debian 12 archive in this machine's apt configuration (set KT_DEBIAN_MIRROR)"
command -v debootstrap >/dev/null || skip "debootstrap is not installed (apt-get install debootstrap)"
unshare --mount --pid --fork true 2>/dev/null || skip "this machine does not allow mount and process namespaces"

# Every command in the root runs in a mount and process namespace of its own: its /proc goes away
# with it, and ending the namespace's first process ends everything it started. Nothing is ever
# mounted inside the root from the outside, so removing the temporary folder is always safe.
root_cmd=(unshare --mount --propagation private --pid --fork --kill-child --mount-proc="$root/proc"
  chroot "$root" env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:/usr/games
  HOME=/root LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive)
in_root() { "${root_cmd[@]}" "$@"; }
unreachable='Failed to fetch|Failed getting release|Couldn.t download|Temporary failure resolving|Could not resolve|Could not connect|Unable to connect|Connection timed out|Network is unreachable'
# apt_step WHAT COMMAND...: runs apt in the root; the archive being out of reach skips the test.
apt_step() {
  local what=$1 log=$E2E_TMP/apt.log
  shift
  if ! in_root "$@" >"$log" 2>&1 || grep -qE "^(Err|W: Failed to fetch)" "$log"; then
    grep -qE "$unreachable" "$log" && skip "$what: the Debian archive is out of reach ($(grep -m1 -E "$unreachable" "$log"))"
    e2e_fail "$what failed: $(tail -8 "$log")"
  fi
}
# The root's files and folders, leaving out what apt, dpkg and the running system keep for
# themselves (package lists and caches, dpkg's database, logs, /tmp where the test user lives).
root_files() {
  (cd "$root" && find . -xdev \( -path ./proc -o -path ./sys -o -path ./dev -o -path ./run -o -path ./tmp \
     -o -path ./var/tmp -o -path ./var/log -o -path ./var/cache/apt -o -path ./var/lib/apt \
     -o -path ./var/lib/dpkg -o -path ./var/cache/debconf -o -path ./var/cache/ldconfig \) -prune -o -print) | sort
}

# The package, built from what the build tree holds.
(cd "$build" && umask 022 && cpack -G DEB -B "$E2E_TMP/pkg") >"$E2E_TMP/cpack.log" 2>&1 ||
  e2e_fail "cpack failed: $(tail -5 "$E2E_TMP/cpack.log")"
deb=$(ls "$E2E_TMP"/pkg/ktusko_*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || e2e_fail "cpack made no .deb: $(tail -5 "$E2E_TMP/cpack.log")"
step_done package
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$E2E_TMP/lintian.log" 2>&1 || e2e_fail "lintian: $(grep '^E:' "$E2E_TMP/lintian.log" | head -5)"
  step_done lintian
fi

# A fresh minimal Debian 12.
[ -n "$mirror" ] || skip "this machine's apt configuration names no Debian archive (set KT_DEBIAN_MIRROR)"
wget -q -T 20 -t 2 -O /dev/null "$mirror/dists/bookworm/Release" || skip "the Debian archive $mirror is out of reach"
if ! unshare --mount --propagation private debootstrap --variant=minbase bookworm "$root" "$mirror" \
     >"$E2E_TMP/debootstrap.log" 2>&1; then
  grep -qE "$unreachable" "$E2E_TMP/debootstrap.log" && skip "debootstrap could not fetch from $mirror"
  e2e_fail "debootstrap failed: $(tail -5 "$E2E_TMP/debootstrap.log")"
fi
step_done debootstrap
apt_step "apt-get update" apt-get update -q
before=$E2E_TMP/files-before
root_files >"$before"

# Installed by apt from the file: the dependencies come from the archive.
cp "$deb" "$root/tmp/"
apt_step "installing ${deb##*/}" apt-get install -y -q --no-install-recommends "/tmp/${deb##*/}"
step_done install
[ "$(in_root dpkg-query -W -f='${db:Status-Abbrev}' ktusko)" = "ii " ] || e2e_fail "ktusko is not installed after apt-get install"
in_root dpkg -L ktusko >"$E2E_TMP/listed"
[ "$(wc -l <"$E2E_TMP/listed")" -gt 100 ] || e2e_fail "dpkg -L lists too little: $(cat "$E2E_TMP/listed")"
while IFS= read -r f; do
  [ -e "$root$f" ] || [ -L "$root$f" ] || e2e_fail "listed by dpkg -L but not on disk: $f"
done <"$E2E_TMP/listed"
changed=$(in_root dpkg --verify ktusko) || true
[ -z "$changed" ] || e2e_fail "installed files differ from the package: $changed"

# An ordinary user starts it through the launcher on the PATH, from another folder.
home=$root/tmp/home
mkdir -p "$home/.config/Zandrel" "$root/tmp/elsewhere"
printf '[General]\nSoundMode=2\nSplashScreen=0\n' >"$home/.config/Zandrel/KTuskoSE50.conf"
chown -R 65534:65534 "$home" "$root/tmp/elsewhere"
"${root_cmd[@]}" HOME=/tmp/home DISPLAY="$DISPLAY" SDL_AUDIODRIVER=dummy \
  setpriv --reuid=nobody --regid=nogroup --clear-groups sh -c 'cd /tmp/elsewhere && exec ktusko' \
  >"$E2E_TMP/app.log" 2>&1 &
E2E_APP=$!
E2E_PIDS+=($E2E_APP)
install_wait_clock 40 || e2e_fail "the installed program never showed the clock ($(cat "$E2E_TMP/app.log"))"
cp "$E2E_TMP/shot.png" /tmp/ktusko-e2e-fresh-root.png 2>/dev/null || true
grep -q '^Key8=42$' "$home/.config/Zandrel/KTuskoSE50.conf" ||
  e2e_fail "the user's settings were not written ($(cat "$E2E_TMP/app.log"))"
kill -0 "$E2E_APP" 2>/dev/null || e2e_fail "the program ended by itself ($(cat "$E2E_TMP/app.log"))"
# SDL2 and SDL2_mixer are loaded once the program runs (its sound, its gamepads): the package's
# dependencies must have brought them, or the game is silent.
! grep -q 'cannot load' "$E2E_TMP/app.log" || e2e_fail "a library the package should bring is missing: $(grep 'cannot load' "$E2E_TMP/app.log")"
# unshare ignores SIGTERM while its child runs, and the program, first in its process namespace,
# ignores it too: killing unshare ends the namespace and the program with it.
{ kill -KILL "$E2E_APP"; wait "$E2E_APP"; } 2>/dev/null || true
step_done run
changed=$(in_root dpkg --verify ktusko) || true
[ -z "$changed" ] || e2e_fail "the program changed its installed files: $changed"

# Purged: nothing dpkg listed may remain but folders other packages own as well.
apt_step "purging ktusko" apt-get purge -y -q ktusko
status=$(in_root dpkg-query -W -f='${db:Status-Status}' ktusko 2>/dev/null) || true
[ -z "$status" ] || [ "$status" = not-installed ] || e2e_fail "ktusko is $status after the purge"
cat "$root"/var/lib/dpkg/info/*.list | sort -u >"$E2E_TMP/owned"
while IFS= read -r f; do
  [ -e "$root$f" ] || [ -L "$root$f" ] || continue
  [ -d "$root$f" ] && [ ! -L "$root$f" ] && grep -qxF "$f" "$E2E_TMP/owned" && continue
  e2e_fail "left after the purge: $f"
done <"$E2E_TMP/listed"
# And with the dependencies purged as well, the root is what it was before.
apt_step "purging the dependencies" apt-get autoremove --purge -y -q
step_done purge
root_files >"$E2E_TMP/files-after"
cmp -s "$before" "$E2E_TMP/files-after" ||
  e2e_fail "the root differs from before the install: $(diff "$before" "$E2E_TMP/files-after" | grep '^[<>]' | head -8)"
echo "fresh root: $(wc -l <"$E2E_TMP/listed") paths installed from ${deb##*/} with the archive's dependencies," \
  "the clock reached, purge complete; ${timings[*]} total $((SECONDS - start)) s"
