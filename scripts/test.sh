#!/usr/bin/env bash
# Builds everything and runs every test: the window-free unit tests natively, then the Windows
# build's unit, Windows and end-to-end tests under Wine on a private X server.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

jobs=$(nproc)
cmake --preset native >/dev/null
cmake --build --preset native -j"$jobs"
ctest --preset native

# The shipped 32-bit program and its tests are always built.
cmake --preset win32 >/dev/null
cmake --build --preset win32 -j"$jobs"

source scripts/wine-env.sh
if [ "$LUMO_ARCH" = win64 ]; then
  echo "test: this kernel runs no 32-bit process; the Windows tests run on the 64-bit build of the same sources"
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 -j"$jobs"
fi

lumo_start_xvfb
trap lumo_stop_xvfb EXIT
lumo_prepare_prefix
ctest --preset "$LUMO_ARCH"
