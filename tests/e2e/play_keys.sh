#!/usr/bin/env bash
# The real tonvira.exe under Wine and Xvfb with the MIDI capture driver: waits out the splash,
# plays A, Shift+K, Ctrl+Q, Esc, Alt+M then A with xdotool, closes the window with Alt+F4, and
# checks every captured message. Leaves a screenshot in build/e2e/main-window.png.
#
#   tests/e2e/play_keys.sh [build directory, default build/win64]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/win64}" && pwd)"

if [ -z "${TONVIRA_E2E_ON_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" env TONVIRA_E2E_ON_DISPLAY=1 "$0" "$build"
fi

out="$root/build/e2e"
mkdir -p "$out"
log="$out/play_keys.log"
rm -f "$log"

"$root/tools/wine-prefix.sh"
export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all LANG=zh_CN.UTF-8
"$root/tools/wine-midi.sh" --force "$build/tools/midi_capture/winetonvcap.drv" >/dev/null
export TONVIRA_CAPTURE_LOG="$log"

passed=0 failed=0
check() { # description, then a command that must succeed
  local what="$1"; shift
  if "$@"; then passed=$((passed + 1)); echo "ok   $what"; else failed=$((failed + 1)); echo "FAIL $what"; fi
}
finish() {
  echo "e2e play_keys: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

/usr/lib/wine/wine64 "$build/tonvira.exe" >"$out/wine.out" 2>&1 &
program=$!
trap 'kill $program 2>/dev/null || true; wineserver -k 2>/dev/null || true' EXIT

# The main window is the full-screen one; it appears after the five-second splash.
window=""
for _ in $(seq 1 150); do
  for candidate in $(xdotool search --name '^Tonvira' 2>/dev/null || true); do
    width=$(xdotool getwindowgeometry "$candidate" 2>/dev/null | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
    if [ "${width:-0}" -ge 1000 ]; then window=$candidate; fi
  done
  [ -n "$window" ] && break
  sleep 0.1
done
check "main window appears after the splash" test -n "$window"
[ -n "$window" ] || finish

sleep 1 # let the first paint finish
check "the title names the untitled recording" \
  bash -c "xdotool getwindowname $window | grep -q '^Tonvira - \[未命名\]\$'"

xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
sleep 0.3
press() { xdotool key --delay 120 "$@"; sleep 0.3; }
press a
press shift+k
press ctrl+q
press Escape
# Alt+M as a person types it: M goes up while Alt is still held, so both are system keys.
xdotool keydown alt keydown m; sleep 0.1; xdotool keyup m keyup alt; sleep 0.3
press a
import -window root "$out/main-window.png"
check "screenshot saved" test -s "$out/main-window.png"

xdotool key alt+F4
for _ in $(seq 1 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
check "Alt+F4 ends the program" bash -c "! kill -0 $program 2>/dev/null"

check "captured notes, in order" python3 "$root/tests/e2e/check_capture.py" "$log" \
  "program 0 0" \
  "on 0 60 127" "off 0 60" \
  "on 0 84 127" "off 0 84" \
  "on 0 31 127" "off 0 31" \
  "silence" \
  "on 0 63 127" "off 0 63" \
  "silence"
check "the device was opened once and closed at the end" \
  bash -c "[ \"\$(awk '\$3 != \"data\" {print \$3}' '$log' | tr '\n' ' ')\" = 'open close ' ]"
finish
