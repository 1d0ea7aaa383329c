# Running the Windows program under Wine for the end-to-end tests, each test in a fresh Wine
# prefix: a template prefix is made once (wineboot takes tens of seconds) and copied for every
# test (a fraction of a second). Source it after lib.sh-like set-up has made E2E_TMP, or alone.
#
#   wine_template           makes the template once (in $KT_WINE_TEMPLATE, default
#                           /tmp/ktusko-wine-template-<uid>) and prints its folder
#   wine_fresh_prefix DIR   a copy of the template in DIR, exported as WINEPREFIX
#   wine_start EXE [ARGS]   starts a Windows program in the background; its pid is in WINE_APP
#   wine_wait_exit SECONDS  waits for WINE_APP to end; its exit status is in WINE_STATUS (124: did not end)
#   wine_reg_value KEY NAME the text of a registry value of the prefix ("" when there is none)
#   wine_end                ends every Wine process of the prefix (its own wineserver)

export WINEDEBUG=${WINEDEBUG:--all}
# No .NET or HTML engine installers at the first start.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

wine_template() {
  local t=${KT_WINE_TEMPLATE:-/tmp/ktusko-wine-template-$(id -u)}
  if [ ! -f "$t/.ready" ]; then
    local lock=$t.lock
    mkdir -p "$(dirname "$t")"
    (
      flock 9
      if [ ! -f "$t/.ready" ]; then
        rm -rf "$t"
        WINEPREFIX=$t DISPLAY= wineboot -i >/dev/null 2>&1 || true
        WINEPREFIX=$t wineserver -w
        [ -f "$t/system.reg" ] || { echo "wineboot made no prefix in $t" >&2; exit 1; }
        touch "$t/.ready"
      fi
    ) 9>"$lock" || return 1
  fi
  echo "$t"
}

wine_fresh_prefix() {
  local t
  t=$(wine_template) || return 1
  rm -rf "$1"
  cp -a "$t" "$1"
  rm -f "$1/.ready"
  export WINEPREFIX=$1
}

wine_start() {
  wine "$@" >"${E2E_TMP:-/tmp}/wine-app.log" 2>&1 &
  WINE_APP=$!
  if declare -p E2E_PIDS >/dev/null 2>&1; then E2E_PIDS+=("$WINE_APP"); fi
}

wine_wait_exit() {
  local end=$((SECONDS + $1))
  while kill -0 "$WINE_APP" 2>/dev/null && [ $SECONDS -lt $end ]; do sleep 0.1; done
  if kill -0 "$WINE_APP" 2>/dev/null; then
    WINE_STATUS=124
  else
    WINE_STATUS=0
    wait "$WINE_APP" || WINE_STATUS=$?
  fi
}

wine_reg_value() {
  # Under load a query now and then comes back with nothing for a value that is there (the next
  # one finds it): an empty answer is asked again twice before it counts.
  local try value
  for try in 1 2 3; do
    value=$(wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' |
      awk -v name="$2" '$1 == name && $2 ~ /^REG_/ { sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]*/, ""); print; exit }')
    [ -n "$value" ] && break
    [ "$try" = 3 ] || sleep 0.5
  done
  printf '%s\n' "$value"
}

wine_end() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
}
