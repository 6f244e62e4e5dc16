#!/usr/bin/env bash
# synth/tests/compare_with_fluidsynth.sh TOOL SOUNDFONT...: single notes rendered from each
# SoundFont by TOOL's render command and by FluidSynth, compared by wav_compare.py (pitch, first
# sound, levels against other notes, a drum's brightness, silence after the release). FluidSynth's
# reverb and chorus are off: Tonvira's synthesizer has neither. KEEP=1 keeps the files made.
set -uo pipefail
source "$(dirname "$0")/../../tools/wine-harness.sh"
passed=0 failed=0 tool="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")" work=$(mktemp -d -t synth_vs_fluidsynth.XXXXXX)
here="$(cd "$(dirname "$0")" && pwd)"
trap 'if [ -n "${KEEP:-}" ]; then echo "kept in $work"; else rm -rf "$work"; fi' EXIT
on_ms=250 hold_ms=1000 after_ms=2000

# Instrument, General MIDI program, keys: low, middle, high, all inside the instrument's real range
# (piano A0-C8, violin G3 up, flute C4-C7, guitar E2-B5) and so played from the fonts' own samples
# for that instrument, not a neighbour's stretched far from its root. The piano's middle C at
# velocity 127 comes first: the other notes' levels are compared relative to it. drums is channel
# 10's standard kit: kick, snare, closed hi-hat.
while read -r instrument program keys; do
  for key in $keys; do
    for velocity in 127 64; do
      echo "$instrument-$key-$velocity $program $key $velocity"
    done
  done
done >"$work/notes" <<'EOF'
piano 0 60 36 84
violin 40 57 69 81
flute 73 62 74 86
guitar 24 40 57 76
drums 0 36 38 42
EOF
mapfile -t names < <(cut -d' ' -f1 "$work/notes")

# Format 0, one channel: a program change, the note held, then silence until the end of the track.
# One tick a millisecond: 500 ticks a beat at the default tempo of 120 beats a minute.
/usr/bin/python3 - "$work" $on_ms $hold_ms $after_ms <<'EOF' || exit 1
import mido, sys
work, on, hold, after = sys.argv[1], *map(int, sys.argv[2:])
for line in open(f"{work}/notes"):
    name, program, key, velocity = line.split()
    channel = 9 if name.startswith("drums-") else 0
    song = mido.MidiFile(type=0, ticks_per_beat=500)
    song.tracks.append(mido.MidiTrack([
        mido.Message("program_change", channel=channel, program=int(program), time=0),
        mido.Message("note_on", channel=channel, note=int(key), velocity=int(velocity), time=on),
        mido.Message("note_off", channel=channel, note=int(key), velocity=0, time=hold),
        mido.MetaMessage("end_of_track", time=after)]))
    song.save(f"{work}/{name}.mid")
EOF

# Both renders of one note, $1, from $font into $out; the tool's failures go to $out/failed. A
# render that never ends (a note that never falls silent) is stopped by the time and size limits.
render() {
  ulimit -f 65536
  timeout 120 fluidsynth -niq -o synth.dynamic-sample-loading=1 -g 1.0 -r 48000 -R 0 -C 0 \
    -F "$out/fluidsynth/$1.wav" "$font" "$work/$1.mid" >/dev/null 2>&1 ||
    echo "fluidsynth failed on $1" >>"$out/failed"
  timeout 120 "$tool" render "$work/$1.mid" -o "$out/tonvira/$1.wav" --soundfont "$font" >"$out/tonvira/$1.txt" 2>&1 ||
    echo "$1 (exit status $?: $(head -c 200 "$out/tonvira/$1.txt"))" >>"$out/failed"
}
export -f render && export tool work

seconds=$(awk "BEGIN { print $on_ms / 1000, ($on_ms + $hold_ms) / 1000 }")
fonts=()
for font in "${@:2}"; do
  label=$(basename "$font" .sf2)
  if [ ! -f "$font" ]; then check "$label: the SoundFont is there" false && continue; fi
  export font out="$work/$label"
  mkdir -p "$out/fluidsynth" "$out/tonvira" && touch "$out/failed"
  printf '%s\n' "${names[@]}" | xargs -P "$(nproc)" -I{} bash -c 'render {}'
  if grep -q '^fluidsynth failed' "$out/failed"; then
    check "$label: FluidSynth renders every note" false && continue
  fi
  # Measured while the next SoundFont's notes render.
  (/usr/bin/python3 "$here/wav_compare.py" --label "$label " $seconds "$out/fluidsynth" "$out/tonvira" \
    "${names[@]}" >"$out/checks" 2>&1; echo $? >"$out/status") &
  fonts+=("$label")
done
wait
for label in "${fonts[@]}"; do
  out="$work/$label"
  check "$label: tonvira-tool renders every note$(sed 's/^/; /' "$out/failed" | paste -sd '')" test ! -s "$out/failed"
  cat "$out/checks"
  passed=$((passed + $(cat "$out/checks" | grep -c '^ok '))) failed=$((failed + $(cat "$out/checks" | grep -c '^FAIL ')))
  # wav_compare.py stopping before its checks (a reference it cannot measure) is a failure too.
  [ "$(cat "$out/status")" = 0 ] || grep -q '^FAIL ' "$out/checks" ||
    check "$label: wav_compare.py measures every note" false
done
echo "synth_vs_fluidsynth: $passed passed, $failed failed" && [ "$failed" -eq 0 ]
