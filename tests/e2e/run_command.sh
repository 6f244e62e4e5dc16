#!/usr/bin/env bash
# The run command without a display, given the demo recording under a path with blanks and
# Chinese characters as this machine names it: tools/run.sh must hand Wine a path the program can
# open, the program must play the recording by itself after start-up, every note in order and on
# time, and run.sh must leave the screenshot and the MIDI file.
#
#   tests/e2e/run_command.sh
set -euo pipefail
source "$(dirname "$0")/common.sh"
root="$(cd "$(dirname "$0")/../.." && pwd)" e2e_name=run_command passed=0 failed=0
song="$root/build/e2e/run command/我的 歌曲/茉莉 花.qvi"
rm -rf "$root/build/e2e/run command" && mkdir -p "$(dirname "$song")" && cp "$root/docs/demo.qvi" "$song"
output=$(env -u DISPLAY "$root/tools/run.sh" "$song" 2>&1) || true
echo "$output" | tail -n 6
check "run.sh names the screenshot and the MIDI file" \
  grep -qz 'build/screenshot.png.*build/run/played.mid' <<<"$output"
check "a screenshot was taken" test -s "$root/build/screenshot.png"
check "the MIDI sent was written as a Standard MIDI File" test -s "$root/build/run/played.mid"
check "the program played the whole recording 500 ms after start-up, note for note, on time" \
  python3 "$root/tests/e2e/recording_file.py" compare "$song" "$root/build/run/capture.log"
e2e_finish
