#!/usr/bin/env bash
# Sets up and builds Tonvira for Windows. The playable window comes with the next piece of work;
# until then this builds the engine libraries for both Windows targets and says so.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
echo
echo "Built the Tonvira engine for win64 and win32 (build/win64, build/win32)."
echo "Not yet: the program window (tonvira.exe) is not part of the build yet, so there is nothing to start."
