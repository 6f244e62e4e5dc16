#!/usr/bin/env bash
# The real tonvira.exe under Wine and Xvfb with the MIDI capture driver: waits out the splash,
# plays A, Shift+K, Ctrl+Q, Esc, Alt+M then A with xdotool, closes the window with Alt+F4, and
# checks every captured message. Leaves a screenshot in build/e2e/main-window.png.
#
#   tests/e2e/play_keys.sh [build directory, default build/win64]
set -euo pipefail
source "$(dirname "$0")/common.sh"
e2e_setup play_keys "$0" "$@"
e2e_start
e2e_wait_for_window
check "the title names the untitled recording" \
  bash -c "xdotool getwindowname $window | grep -q '^Tonvira - \[未命名\]\$'"

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
e2e_finish
