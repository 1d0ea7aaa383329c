#!/usr/bin/env bash
# First start in a fresh prefix (no registry key at all): the program comes up with the clock (the
# LCD test picture painted, then the clock), from a program folder whose name is not ASCII, and
# writes the key bindings it starts with into the registry as text.
source "$(dirname "$0")/wine_lib.sh" "$1" "${2:-1024x768}"
wine reg query "$W_KEY" >/dev/null 2>&1 && w_fail "the fresh prefix already has the key"
export KT_STARTUP_LOG=$W_TMP/startup.log
w_start
w_window 60 >/dev/null || w_fail "no game window"
for _ in $(seq 300); do [ -s "$KT_STARTUP_LOG" ] && break; sleep 0.2; done
[ -s "$KT_STARTUP_LOG" ] || w_fail "the clock picture was never painted"
sleep 3
running || w_fail "the program ended"
w_shot "$W_TMP/shot.png"
# The handheld fills the screen: many colours, not a blank window.
colours=$(convert "$W_TMP/shot.png" -format %k info:)
[ "$colours" -gt 100 ] || w_fail "the screen shows only $colours colours"
for k in 1:2 2:3 3:4 4:37 5:39 6:40 7:38 8:42; do
  [ "$(w_get "Key${k%%:*}")" = "${k#*:}" ] || w_fail "Key${k%%:*} is '$(w_get "Key${k%%:*}")', not ${k#*:}"
done
wine reg query "$W_KEY" /v Key1 | grep -q REG_SZ || w_fail "values are not stored as text"
echo PASS
