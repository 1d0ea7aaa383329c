# Helpers of the installation tests, sourced after lib.sh: is the default skin's clock on screen?

# install_clock_shown FILE: the default skin's clock: the heart of the LCD test picture is gone and
# the mark of the current half of the day is darker than the other one.
install_region() { convert "$1" -crop "$2" +repage -format '%[fx:int(255*mean)]' info:; }
install_clock_shown() {
  local heart am pm
  heart=$(install_region "$1" 19x12+317+70); am=$(install_region "$1" 20x12+534+659); pm=$(install_region "$1" 20x12+534+675)
  [ "$heart" -gt 150 ] || return 1
  if [ "$((10#$(date +%H)))" -ge 12 ]; then [ "$pm" -lt $((am - 15)) ]; else [ "$am" -lt $((pm - 15)) ]; fi
}

# install_wait_clock [seconds]: screenshots until the clock shows; the last shot is $E2E_TMP/shot.png.
install_wait_clock() {
  local end=$((SECONDS + ${1:-15})) shot=$E2E_TMP/shot.png
  while [ $SECONDS -lt $end ]; do
    e2e_shot "$shot"
    install_clock_shown "$shot" && return 0
    sleep 0.2
  done
  return 1
}
