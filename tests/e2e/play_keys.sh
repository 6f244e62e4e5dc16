#!/usr/bin/env bash
# Keys typed with xdotool reach the MIDI device through the real tonvira.exe under Wine and Xvfb:
# A, Shift+K, Ctrl+Q, Esc, the accelerator Alt+M (c minor) then A, and Alt+F4 ends the program.
# Every message the capture driver logged is compared, in order.
#
#   tests/e2e/play_keys.sh [build directory, default build/win64]
set -euo pipefail
source "$(dirname "$0")/common.sh"
e2e_setup play_keys "$0" "$@"
e2e_start
e2e_wait_for_window

for keys in a shift+k ctrl+q Escape; do xdotool key --delay 120 "$keys"; sleep 0.3; done
# Alt+M as a person types it: M goes up while Alt is still held, so both are system keys.
xdotool keydown alt keydown m; sleep 0.1; xdotool keyup m keyup alt; sleep 0.3
xdotool key a; sleep 0.3
xdotool key alt+F4
for _ in $(seq 1 100); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
check "Alt+F4 ends the program" bash -c "! kill -0 $program 2>/dev/null"

silence() { printf 'control ch%d 123 0\n' $(seq 1 16); }
notes() { for n in "$@"; do printf 'note-on ch1 %d vel127\nnote-off ch1 %d vel0\n' "$n" "$n"; done; }
expected() { printf '%s\n' open 'program ch1 0'; notes 60 84 31; silence; notes 63; silence; echo close; }
check "the device opened once, every message in order, closed at the end" \
  diff <(python3 "$root/tools/midi_capture/midi_log.py" "$log" | cut -d' ' -f3-) <(expected)
e2e_finish
