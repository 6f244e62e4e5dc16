#!/usr/bin/env bash
# tools/run.sh without a display on the demo recording under a path with blanks and Chinese that
# Wine must hand on: the program plays it by itself after start-up, every note in order and on time,
# and its built-in synthesizer's sound is left beside the MIDI it sent.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)" e2e_name=run_command passed=0 failed=0
source "$root/tools/wine-harness.sh"
song="$root/build/e2e/run command/我的 歌曲/茉莉 花.qvi"
rm -rf "$root/build/e2e/run command" && mkdir -p "$(dirname "$song")" && cp "$root/docs/demo.qvi" "$song"
output=$(env -u DISPLAY "$root/tools/run.sh" "$song" 2>&1) || true
check "run.sh names the screenshot and the MIDI file, and leaves both" bash -c "grep -qz \
  'build/screenshot.png.*build/run/played.mid' && test -s '$root/build/screenshot.png' -a -s '$root/build/run/played.mid'" <<<"$output"
check "the program played the whole recording 500 ms after start-up, note for note, on time" \
  env PYTHONPATH="$root/tools/midi_capture" python3 - "$song" "$root/build/run/capture.log" <<'EOF_PY'
import sys, midi_log, recording_reader
want, got = recording_reader.expected_notes(sys.argv[1]), midi_log.note_messages(sys.argv[2])
opened = next(r.ms for r in midi_log.read_log(sys.argv[2]) if r.kind == "open")
wait = got[0][0] - opened - recording_reader.read(sys.argv[1])[2][0][0]  # after the first delay
late = max(abs(g[0] - got[0][0] - w[0]) for w, g in zip(want, got))
print(f"{len(want)} note messages expected, {len(got)} captured, from {wait} ms on, {late} ms off at most")
# The start-up timer waits 500 ms; each note within 25 ms of its time in the file.
sys.exit([w[1:] for w in want] != [g[1:] for g in got] or not 450 <= wait <= 1500 or late > 25)
EOF_PY
check "run.sh leaves what the built-in synthesizer played, the whole song: build/run/builtin.wav" \
  env PYTHONPATH="$root/tools/midi_capture" /usr/bin/python3 - "$song" "$root/build/run/builtin.wav" <<'EOF_PY'
import sys, wave, recording_reader
import numpy as np
song_seconds = recording_reader.expected_notes(sys.argv[1])[-1][0] / 1000
with wave.open(sys.argv[2]) as w:
    form = (w.getnchannels(), w.getsampwidth(), w.getframerate())
    seconds = w.getnframes() / w.getframerate()
    peak = np.abs(np.frombuffer(w.readframes(w.getnframes()), dtype="<i2")).max()
print(f"{form}, {seconds:.1f} s for a song of {song_seconds:.1f} s, peak {peak}")
sys.exit(bool(form != (2, 2, 48000) or not song_seconds < seconds < song_seconds + 10 or peak < 1000))
EOF_PY
e2e_finish
