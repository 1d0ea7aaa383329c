#!/usr/bin/env bash
# The installer under Wine: a silent install (/S) for the current user puts the program folder in
# the user's own programs folder, a Start-menu entry and an entry in the programs list; the
# program starts from the Start-menu shortcut's target; the uninstaller removes what was installed
# and keeps the player's settings; asked with /RemoveSettings, it removes them too. With /AllUsers
# (Wine runs as administrator) the program goes to Program Files, the Start menu of all users and
# the machine's list of programs, and its uninstaller (from that list, or started by hand from its
# folder) removes those and keeps the player's settings and the current user's install.
source "$(dirname "$0")/lib.sh" "$1"
setup=$(ls "$E2E_BUILD"/ktusko-*-win64-setup.exe 2>/dev/null | head -1)
[ -n "$setup" ] || e2e_fail "no installer in $E2E_BUILD (cmake --build $E2E_BUILD --target kt_win_packages)"
user_dir="$E2E_PROFILE/AppData/Local/Programs/KTusko SE 5.0"
user_menu="$E2E_PROFILE/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/KTusko SE 5.0"
user_uninst='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\KTuskoSE50'
all_dir="$WINEPREFIX/drive_c/Program Files/KTusko SE 5.0"
all_menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/KTusko SE 5.0"
all_uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\KTuskoSE50'
# for_mode user|all: the folders and programs-list entry the installs below work on.
for_mode() {
  if [ "$1" = all ]; then dir=$all_dir menu=$all_menu uninst=$all_uninst
  else dir=$user_dir menu=$user_menu uninst=$user_uninst; fi
  link="$menu/Kellup Tusko Lumo Special Edition.lnk"
}
for_mode user

# install [ARGS]: a silent install.
install() {
  wine "$setup" /S "$@" >"$E2E_TMP/setup.log" 2>&1 || e2e_fail "the installer ended with status $?: $(tail -5 "$E2E_TMP/setup.log")"
  wineserver -w
  for f in ktusko.exe Config.ini Readme.txt Whatsnew.txt Uninstall.exe; do
    [ -f "$dir/$f" ] || e2e_fail "installed: $f is missing in $dir"
  done
  [ -d "$dir/Resources" ] || e2e_fail "installed: no Resources folder"
  [ -f "$link" ] || e2e_fail "installed: no Start-menu entry ($link)"
  [ "$(wine_reg_value "$uninst" DisplayName)" = "Kellup Tusko Lumo Special Edition" ] ||
    e2e_fail "installed: no entry in the programs list"
}
# uninstall [ARGS]: runs the uninstaller named in the programs list, with the arguments it names
# (it copies itself away and runs from there: every process of the prefix is waited for).
uninstall() {
  local cmd
  cmd=$(wine_reg_value "$uninst" UninstallString)
  [ -n "$cmd" ] || e2e_fail "no UninstallString"
  eval "set -- $cmd /S \"\$@\""
  wine "$@" >"$E2E_TMP/uninstall.log" 2>&1 || e2e_fail "the uninstaller ended with status $?"
  wineserver -w
  [ ! -e "$dir" ] || e2e_fail "uninstalled: $dir is still there: $(ls -A "$dir")"
  [ ! -e "$menu" ] || e2e_fail "uninstalled: the Start-menu folder is still there"
  [ -z "$(wine_reg_value "$uninst" DisplayName)" ] || e2e_fail "uninstalled: still in the programs list"
}

install
# The shortcut's target is the installed program: started through the shortcut, it shows a window.
wine start /wait /unix "$link" >"$E2E_TMP/start.log" 2>&1 &
E2E_PIDS+=($!)
e2e_wait_window 30 >/dev/null || e2e_fail "the program started from the Start-menu entry showed no window"
wine_end
sleep 0.5

# The player's settings stay when the program is uninstalled...
wine reg add "$E2E_KEY" /v HiScoreA /t REG_SZ /d 1234 /f >/dev/null 2>&1
uninstall
[ "$(wine_reg_value "$E2E_KEY" HiScoreA)" = 1234 ] || e2e_fail "uninstalling removed the player's settings"
# ... unless asked.
install
uninstall /RemoveSettings
[ -z "$(wine_reg_value "$E2E_KEY" HiScoreA)" ] || e2e_fail "/RemoveSettings kept the player's settings"

# For all users, beside an install for the current user that stays.
install
wine reg add "$E2E_KEY" /v HiScoreA /t REG_SZ /d 4321 /f >/dev/null 2>&1
for_mode all
install /AllUsers
uninstall
[ "$(wine_reg_value "$E2E_KEY" HiScoreA)" = 4321 ] || e2e_fail "all users: uninstalling removed the player's settings"
for_mode user
[ -f "$dir/ktusko.exe" ] && [ -f "$link" ] && [ -n "$(wine_reg_value "$uninst" DisplayName)" ] ||
  e2e_fail "all users: uninstalling removed the current user's install"
# Started by hand from its folder, without its mode, the all-users uninstaller removes its own.
for_mode all
install /AllUsers
wine "$(wine_reg_value "$all_uninst" InstallLocation)\Uninstall.exe" /S >"$E2E_TMP/uninstall.log" 2>&1 || e2e_fail "the uninstaller ended with status $?"
wineserver -w
[ ! -e "$all_dir" ] || e2e_fail "all users, by hand: $all_dir is still there"
[ ! -e "$all_menu" ] || e2e_fail "all users, by hand: the Start-menu folder is still there"
[ -z "$(wine_reg_value "$all_uninst" DisplayName)" ] || e2e_fail "all users, by hand: still in the programs list"
for_mode user
[ -f "$dir/ktusko.exe" ] || e2e_fail "all users, by hand: the current user's install went too"
echo "PASS"
