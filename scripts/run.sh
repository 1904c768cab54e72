#!/usr/bin/env bash
# Runs the program: on the display when there is one; otherwise headless, as a short scripted
# session that prints what the windows showed and the lap log, and saves a screenshot.
set -euo pipefail
cd "$(dirname "$0")/.."
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
  exec_status=0
  lumo_as_wine_user "$LUMO_WINE" "$(winpath "$rundir/LumoStopwatch.exe")" || exec_status=$?
  exit "$exec_status"
fi

lumo_start_xvfb
trap lumo_stop_wine_and_xvfb EXIT
lumo_prepare_prefix

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
/usr/bin/import -display "$DISPLAY" -window root -crop "${LUMO_DESKTOP_SIZE}+0+0" "$shot"
touch "$done_file"
status=0
wait "$session" || status=$?
# The session prints the program's own texts, which are GBK.
iconv -f GBK -t UTF-8 "$rundir/session.txt"
echo "screenshot: $shot"
exit "$status"
