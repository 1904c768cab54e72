#!/usr/bin/env bash
# Builds everything and runs every test: the window-free unit tests natively, then the Windows
# build's unit, Windows and end-to-end tests under Wine on a private X server. Each run writes a
# JUnit report, build/<preset>/test-report/junit.xml; a failed end-to-end test leaves a
# screenshot of the desktop beside it, in screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native --output-junit "$PWD/build/native/test-report/junit.xml"

# The shipped 32-bit program and its tests are always built.
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"

source scripts/wine-env.sh
if [ "$LUMO_ARCH" = win64 ]; then
  echo "test: this kernel runs no 32-bit process; the Windows tests run on the 64-bit build of the same sources"
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 -j"$jobs"
fi

# A file system of 256 KiB that the lap log's tests fill to the last block: a real full disk.
full_disk="$LUMO_BUILD/fulldisk"
finish() {
  for cp in 1252 932 936; do LUMO_CODE_PAGE=$cp scripts/wine-run --end-session; done  # left by a stopped run
  lumo_stop_wine_and_xvfb
  if mountpoint -q "$full_disk"; then umount "$full_disk" || true; fi
}
lumo_start_xvfb
trap finish EXIT
mkdir -p "$full_disk"
if mountpoint -q "$full_disk"; then umount "$full_disk"; fi  # left by a run that was killed
if mount -t tmpfs -o size=256k,mode=0777 lumo-fulldisk "$full_disk"; then
  export LUMO_FULL_DISK="Z:${full_disk//\//\\}"  # Wine's drive Z: is the Unix root
else
  echo "test: no small file system could be mounted at $full_disk; the full-disk tests skip"
fi
# The code-page tests run in prefixes of their own; everything else in code page 936's.
for cp in 1252 932 936; do
  lumo_use_code_page "$cp"
  lumo_prepare_prefix
done
report="$PWD/build/$LUMO_ARCH/test-report"
rm -rf "$report/screenshots"  # the last run's
ctest --preset "$LUMO_ARCH" --output-junit "$report/junit.xml"
