#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine on a private X server, then writes the figures
# with the machine, the date and the command to docs/PERFORMANCE.md. Figures only: a missed goal
# is reported in the file, never as a failure.
#   bash scripts/bench.sh            the full run (about a quarter of an hour)
#   bash scripts/bench.sh --quick    every measurement shortened, to try the runner out
#   bash scripts/bench.sh --only cpu,laps    those sections alone (a wrong name lists them all)
# A quick or partial run writes $LUMO_BUILD/PERFORMANCE-trial.md and leaves docs/ alone.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/wine-env.sh

command_line="bash scripts/bench.sh${*:+ $*}"
[ "$LUMO_BUILD" != "$lumo_root/build" ] && command_line="LUMO_BUILD=${LUMO_BUILD#"$lumo_root"/} $command_line"
report=docs/PERFORMANCE.md
[ $# -gt 0 ] && report="$LUMO_BUILD/PERFORMANCE-trial.md"

# Built through the presets, in their build trees. The shipped program is the 32-bit one: its size
# and imports are reported even where it cannot run.
jobs=$(nproc)
cmake --preset "$LUMO_ARCH" >/dev/null
cmake --build --preset "$LUMO_ARCH" -j"$jobs" --target bench
build="$lumo_root/build/$LUMO_ARCH"
runner_args=("$@")
if [ "$LUMO_ARCH" != win32 ]; then
  cmake --preset win32 >/dev/null
  cmake --build --preset win32 -j"$jobs" --target LumoStopwatch
  runner_args+=(--exe32 "$lumo_root/build/win32/LumoStopwatch.exe")
fi

lumo_start_xvfb
trap lumo_stop_wine_and_xvfb EXIT
lumo_prepare_prefix
lumo_open_path "$build"

started=$(date -u '+%Y-%m-%d %H:%M UTC')
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
figures="$LUMO_BUILD/bench-figures.txt"
# The runner prints GBK text; its progress goes to the terminal.
lumo_as_wine_user "$LUMO_WINE" "$build/bench/bench_runner.exe" "${runner_args[@]}" >"$figures"
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

if [ "$LUMO_ARCH" = win32 ]; then
  build_note="the shipped 32-bit build under 32-bit Wine"
else
  build_note="the **64-bit build** of the same sources (\`$LUMO_ARCH\`) under 64-bit Wine ($LUMO_WINE): \
this kernel runs no 32-bit process, so the shipped 32-bit program cannot run here; its size and imports \
are reported from its build"
fi
sources=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
[ -n "$(git status --porcelain 2>/dev/null)" ] && sources="$sources with uncommitted changes"

{
  cat <<MD
# Performance

The figures of one run of the benchmarks in \`bench/\`. Each figure stands beside a bare reference
program of ours measured in the same run on the same machine; a figure is the median of several runs
(each table says how many). They measure $build_note.

| | |
|---|---|
| Command | \`$command_line\` |
| Date | $started |
| Sources | $sources |
| CPU | $(grep -m1 '^model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//'), $(nproc) processors |
| Kernel | $(uname -srm) |
| Wine | $("$LUMO_WINE" --version) |
| Load average (1, 5, 15 min) | $load_before before, $load_after after |

Under Wine a window's drawing is done partly by the Wine server and the X server (here Xvfb), whose
CPU time is not the program's; the figures are those of the program's own process. The "loaded" rows
run one busy process per processor (copies of the runner spinning in a loop), started before the
interval and ended by their handles after it. Wine 8 answers \`GetProcessTimes\` for another process
with the caller's own times, so under Wine the runner reads a process's CPU time from the system's
process list (\`NtQuerySystemInformation\`), which Wine fills from the kernel; it uses \`GetProcessTimes\`
on Windows.

MD
  iconv -f GBK -t UTF-8 "$figures"
} >"$report"
echo "bench: figures written to $report"
