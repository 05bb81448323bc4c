# Sourced by the other scripts. Gives this checkout's runs a private Wine
# prefix (BUILD_DIR/wineprefix, or BUILD_DIR/FERNWICK_PREFIX), an X display, a wine server kept alive between
# programs, and a Wine-drawn desktop, so windows have title bars and close
# boxes. fw_env_start sets it all up; on exit the sourcing script stops every
# process it started.
#   BUILD_DIR         the build folder, default build/ at the top of the checkout
#   FERNWICK_DISPLAY  "user": keep a working $DISPLAY; otherwise always Xvfb
#   FERNWICK_PREFIX   the prefix's folder below BUILD_DIR, default wineprefix:
#                     the demo's machine is kept apart from the tests'

fw_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=$(cd "$fw_root" && mkdir -p "${BUILD_DIR:-build}" && cd "${BUILD_DIR:-build}" && pwd)
export WINEPREFIX="$BUILD_DIR/${FERNWICK_PREFIX:-wineprefix}"
export WINEDEBUG=-all
# No offer to download .NET or HTML engines while the prefix is made.
export WINEDLLOVERRIDES="mscoree,mshtml="
fw_xvfb_pid=

fw_display_works() {
  [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1
}

# Starts Xvfb on the first free display; Xvfb itself reports which.
fw_start_xvfb() {
  local fifo display
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 9 -screen 0 1024x768x24 -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
  fw_xvfb_pid=$!
  read -r -t 30 display <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$display" ]; then
    echo "wine-env: Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=":$display"
}

fw_reg() {
  wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null
}

# Makes the prefix once, then ends the wine server of that first boot, so that
# the next start reads the settings.
fw_make_prefix() {
  [ -f "$WINEPREFIX/.fernwick-ready" ] && return 0
  wineboot -i
  # Without a window manager, Wine would wait each time a window hides.
  fw_reg 'HKCU\Software\Wine\X11 Driver' Managed N
  fw_reg 'HKCU\Software\Wine\Explorer' Desktop Default
  fw_reg 'HKCU\Software\Wine\Explorer\Desktops' Default 1024x768
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  touch "$WINEPREFIX/.fernwick-ready"
}

# Japanese and Chinese texts: the fonts Windows gives their dialogs are not on
# this machine. Debian's VL PGothic and WenQuanYi Micro Hei take their place;
# both have Latin letters too, which the dialogs of those languages also show.
fw_link_cjk_fonts() {
  [ -f "$WINEPREFIX/.fernwick-cjk-fonts" ] && return 0
  local font
  for font in "MS UI Gothic" "MS PGothic" "MS Gothic" "Meiryo UI" "Yu Gothic UI"; do
    fw_reg 'HKCU\Software\Wine\Fonts\Replacements' "$font" 'VL PGothic'
  done
  for font in "SimSun" "NSimSun" "Microsoft YaHei" "Microsoft YaHei UI"; do
    fw_reg 'HKCU\Software\Wine\Fonts\Replacements' "$font" 'WenQuanYi Micro Hei'
  done
  touch "$WINEPREFIX/.fernwick-cjk-fonts"
}

# Every command succeeds: a failing one would change the exit code of the
# script whose exit runs this.
fw_env_stop() {
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  if [ -n "$fw_xvfb_pid" ]; then
    kill "$fw_xvfb_pid" 2>/dev/null || true
    wait "$fw_xvfb_pid" 2>/dev/null || true
    fw_xvfb_pid=
  fi
}

fw_env_start() {
  trap fw_env_stop EXIT
  trap 'exit 130' INT TERM HUP
  if [ "${FERNWICK_DISPLAY:-}" != user ] || ! fw_display_works; then
    fw_start_xvfb
  fi
  fw_make_prefix
  # Wine looks for its own fonts (MS Sans Serif of the dialogs, Marlett of the
  # title-bar buttons) in the prefix's Fonts folder only.
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
  # Already running (a server of this prefix): it serves this run as well.
  wineserver -p 2>/dev/null || true
  fw_link_cjk_fonts
  # Wine's own background programs (services, the desktop) live as long as the
  # server. Started here, they hold no caller's output open: started by the
  # first test, they would keep ctest waiting for its end forever.
  wineboot </dev/null >/dev/null 2>&1
}

# Turns the BMP screenshots below a folder into PNG files.
fw_screenshots_to_png() {
  [ -d "$1" ] || return 0
  if find "$1" -name '*.bmp' -exec mogrify -format png {} +; then
    find "$1" -name '*.bmp' -delete
  else
    echo "wine-env: some screenshots in $1 stay BMP files" >&2
  fi
}
