#!/usr/bin/env bash
# The run command without a display, given the demo recording under a path with blanks and
# Chinese characters as this machine names it: tools/run.sh must hand Wine a path the program can
# open, the program must play the recording through (captured notes compared with the file), and
# run.sh must leave the screenshot and the MIDI file.
#
#   tests/e2e/run_command.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
top="$root/build/e2e/run command"
rm -rf "$top" && mkdir -p "$top/我的 歌曲"
song="$top/我的 歌曲/茉莉 花.qvi"
cp "$root/docs/demo.qvi" "$song"

passed=0 failed=0
check() {
  if "${@:2}"; then passed=$((passed + 1)); echo "ok   $1"; else failed=$((failed + 1)); echo "FAIL $1"; fi
}
output=$(env -u DISPLAY "$root/tools/run.sh" "$song" 2>&1) || true
echo "$output" | tail -n 6
check "run.sh names the screenshot and the MIDI file" \
  bash -c "grep -q 'build/screenshot.png' <<<\"\$1\" && grep -q 'build/run/played.mid' <<<\"\$1\"" - "$output"
check "a screenshot was taken" test -s "$root/build/screenshot.png"
check "the MIDI sent was written as a Standard MIDI File" test -s "$root/build/run/played.mid"
# The notes in order; their timing is for startup_playback.sh to check, on a shorter recording.
check "the program played the whole recording, note for note" \
  python3 - "$root/tests/e2e" "$song" "$root/build/run/capture.log" <<'EOF'
import os, sys
sys.path.insert(0, sys.argv[1])
import recording_file

want = [n[1:] for n in recording_file.expected_notes(sys.argv[2])]
got = [n[1:4] for n in recording_file.note_messages(sys.argv[3])] if os.path.exists(sys.argv[3]) else []
print(f"     {len(want)} note messages expected, {len(got)} captured")
sys.exit(0 if got == want else 1)
EOF
echo "e2e run_command: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
