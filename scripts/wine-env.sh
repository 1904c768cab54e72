# Sourced by the scripts that run Windows programs: a Wine prefix inside the build tree, 32-bit,
# Chinese locale (ANSI code page 936), CJK fonts, a fixed-size virtual desktop, and an ordinary
# user to run as (as root Wine ignores Unix permissions).
#   LUMO_BUILD      the build tree that holds the prefixes (default: build/ beside the sources)
#   LUMO_CODE_PAGE  the ANSI code page the programs see: 936 (default), 1252 or 932, each in a
#                   prefix of its own; Wine takes the code page from the Unix locale

lumo_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${LUMO_BUILD:=$lumo_root/build}"
export LUMO_WINE_USER=lumotest
# The shipped program is 32-bit. Where the kernel runs no 32-bit process (ia32 emulation off),
# the same sources are tested as a 64-bit build under 64-bit Wine.
if [ -z "${LUMO_ARCH:-}" ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then LUMO_ARCH=win32; else LUMO_ARCH=win64; fi
fi
export LUMO_ARCH
if [ "$LUMO_ARCH" = win32 ]; then
  LUMO_WINE=/usr/lib/wine/wine
else
  LUMO_WINE=/usr/lib/wine/wine64
  export WINELOADER=$LUMO_WINE
fi
export LUMO_WINE
export WINEARCH=$LUMO_ARCH
export WINEDEBUG=-all

# The locale and the prefix of a code page.
lumo_use_code_page() {
  local suffix=-cp$1
  case "$1" in
    936) LUMO_LOCALE=zh_CN.UTF-8; suffix= ;;
    1252) LUMO_LOCALE=en_US.UTF-8 ;;
    932) LUMO_LOCALE=ja_JP.UTF-8 ;;
    *) echo "wine-env: no locale for code page $1" >&2; return 1 ;;
  esac
  export LUMO_CODE_PAGE=$1
  export WINEPREFIX="$LUMO_BUILD/wineprefix-$LUMO_ARCH$suffix"
}
lumo_use_code_page "${LUMO_CODE_PAGE:-936}"
export LUMO_DESKTOP_SIZE=1280x800

# Runs a command as the Wine user with the Wine environment.
lumo_as_wine_user() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$LUMO_WINE_USER" -- env HOME="/home/$LUMO_WINE_USER" USER="$LUMO_WINE_USER" \
      WINEPREFIX="$WINEPREFIX" WINEARCH="$WINEARCH" WINELOADER="${WINELOADER:-}" WINEDEBUG="$WINEDEBUG" LANG=$LUMO_LOCALE \
      LC_ALL=$LUMO_LOCALE DISPLAY="${DISPLAY:-}" PATH="$PATH" ${LUMO_EXTRA_ENV:-} "$@"
  else
    env LANG=$LUMO_LOCALE LC_ALL=$LUMO_LOCALE "$@"
  fi
}

# Makes every directory above $1 searchable by the Wine user, so that it can reach the build tree
# wherever the checkout lies (a private temporary folder, say).
lumo_open_path() {
  local d
  d=$(cd "$1" && pwd)
  while [ "$d" != / ]; do
    [ "$(stat -c %U "$d")" = root ] && chmod o+x "$d" 2>/dev/null || true
    d=$(dirname "$d")
  done
}

# Starts Xvfb on a display that no other X server holds; sets DISPLAY and LUMO_XVFB_PID.
lumo_start_xvfb() {
  local n=91
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1600x1000x24 -ac -nolisten tcp >/dev/null 2>&1 &
  LUMO_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 100); do
    xdpyinfo -display "$DISPLAY" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on $DISPLAY" >&2
  return 1
}

# Creates the prefix once: wineboot, font replacements, the virtual desktop.
lumo_prepare_prefix() {
  mkdir -p "$LUMO_BUILD"
  lumo_open_path "$LUMO_BUILD"
  if [ -f "$WINEPREFIX/.lumo-ready" ]; then return 0; fi
  rm -rf "$WINEPREFIX"
  mkdir -p "$WINEPREFIX"
  [ "$(id -u)" -eq 0 ] && chown "$LUMO_WINE_USER:" "$WINEPREFIX"
  chmod 700 "$WINEPREFIX"
  if ! lumo_as_wine_user "$LUMO_WINE" wineboot -i >/dev/null 2>&1; then
    echo "wineboot failed for $WINEPREFIX" >&2
    return 1
  fi
  local face
  local cjk="WenQuanYi Zen Hei"
  for face in 宋体 黑体 新宋体 SimSun SimHei NSimSun "Microsoft YaHei" "MS Shell Dlg" \
              "MS Shell Dlg 2" Tahoma "Microsoft Sans Serif" "MS Sans Serif"; do
    lumo_as_wine_user "$LUMO_WINE" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "$cjk" /f \
      >/dev/null 2>&1
  done
  lumo_as_wine_user "$LUMO_WINE" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  lumo_as_wine_user "$LUMO_WINE" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default \
    /d "$LUMO_DESKTOP_SIZE" /f >/dev/null 2>&1
  lumo_as_wine_user wineserver -w || true
  touch "$WINEPREFIX/.lumo-ready"
}

# The display scale of the programs started from now on: Wine does not stretch windows, every
# process takes the registry's LogPixels as its DPI.
lumo_set_dpi() {
  lumo_as_wine_user "$LUMO_WINE" reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
    /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}

# Ends the Wine processes of the prefix and the Xvfb that lumo_start_xvfb started.
lumo_stop_wine_and_xvfb() {
  lumo_as_wine_user wineserver -k >/dev/null 2>&1 || true
  [ -n "${LUMO_XVFB_PID:-}" ] && kill "$LUMO_XVFB_PID" 2>/dev/null || true
}
