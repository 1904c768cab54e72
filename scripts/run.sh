#!/usr/bin/env bash
# Runs the program: on the display when there is one; otherwise headless, as a short scripted
# session that prints what the windows showed and the lap log, and saves a screenshot.
#   --dpi N   the display scale the program sees (96 = 100 %, 144 = 150 %); also LUMO_DPI
set -euo pipefail
cd "$(dirname "$0")/.."
dpi=${LUMO_DPI:-96}
while [ $# -gt 0 ]; do
  case "$1" in
    --dpi) dpi=$2; shift 2 ;;
    --dpi=*) dpi=${1#--dpi=}; shift ;;
    *) echo "run: unknown argument $1 (known: --dpi N)" >&2; exit 2 ;;
  esac
done
case "$dpi" in ''|*[!0-9]*) echo "run: --dpi takes a number such as 144" >&2; exit 2 ;; esac
bash scripts/setup.sh
source scripts/wine-env.sh

preset=$LUMO_ARCH
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j"$(nproc)" --target LumoStopwatch headless_session

# The program keeps its lap log next to itself: give it a directory of its own that it may write.
rundir="$LUMO_BUILD/run"
mkdir -p "$rundir"
cp "build/$preset/LumoStopwatch.exe" "$rundir/"
[ "$(id -u)" -eq 0 ] && chown -R "$LUMO_WINE_USER:" "$rundir"
winpath() { local p; p=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); echo "Z:${p//\//\\}"; }

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  # The Wine user needs leave to use this display.
  xhost "+SI:localuser:$LUMO_WINE_USER" >/dev/null 2>&1 || true
  lumo_prepare_prefix
  lumo_set_dpi "$dpi"
  exec_status=0
  lumo_as_wine_user "$LUMO_WINE" "$(winpath "$rundir/LumoStopwatch.exe")" || exec_status=$?
  exit "$exec_status"
fi

lumo_start_xvfb
trap 'lumo_set_dpi 96; lumo_stop_wine_and_xvfb' EXIT
lumo_prepare_prefix
lumo_set_dpi "$dpi"

done_file="$rundir/session.done"
rm -f "$done_file" "$done_file.ready" "$rundir/session.txt"
lumo_as_wine_user "$LUMO_WINE" "build/$preset/tests/headless_session.exe" \
  "$(winpath "$rundir/LumoStopwatch.exe")" "$(winpath "$done_file")" >"$rundir/session.txt" &
session=$!
for _ in $(seq 300); do
  [ -e "$done_file.ready" ] && break
  kill -0 "$session" 2>/dev/null || break
  sleep 0.2
done
shot="$rundir/screenshot.png"
[ "$dpi" = 96 ] || shot="$rundir/screenshot-$dpi.png"
/usr/bin/import -display "$DISPLAY" -window root -crop "${LUMO_DESKTOP_SIZE}+0+0" "$shot"
touch "$done_file"
status=0
wait "$session" || status=$?
# The session prints the program's own texts, which are GBK.
iconv -f GBK -t UTF-8 "$rundir/session.txt"
echo "screenshot: $shot"
exit "$status"
