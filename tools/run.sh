#!/usr/bin/env bash
# Sets up what is missing, builds Tonvira (win64 to run here, win32 to ship), prepares the
# private Wine prefix (with the MIDI capture driver only when Wine finds no MIDI output device
# of its own) and starts the program. Without a display it runs the program under Xvfb for a
# few seconds and leaves a screenshot in build/screenshot.png.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

tools/install-deps.sh
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

tools/wine-prefix.sh
export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
tools/wine-midi.sh build/win64/tools/midi_capture/winetonvcap.drv
wine=/usr/lib/wine/wine64

if [ -z "${TONVIRA_RUN_ON_XVFB:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "Starting Tonvira (the shipped 32-bit program is build/win32/tonvira.exe)."
  exec "$wine" build/win64/tonvira.exe "$@"
fi

if [ -z "${TONVIRA_RUN_ON_XVFB:-}" ]; then
  echo "No display: running Tonvira under Xvfb and taking a screenshot."
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env TONVIRA_RUN_ON_XVFB=1 "$0" "$@"
fi
# On Xvfb: give the splash its five seconds, look at the main window, close it.
"$wine" build/win64/tonvira.exe "$@" &
program=$!
sleep 8
import -window root build/screenshot.png
xdotool search --name '^Tonvira' | while read -r window; do xdotool windowfocus "$window" key alt+F4 || true; done
sleep 1
kill "$program" 2>/dev/null || true
wineserver -k 2>/dev/null || true
echo "Screenshot of the main window: build/screenshot.png"
