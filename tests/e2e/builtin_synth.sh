#!/usr/bin/env bash
# The real tonvira.exe playing through its built-in synthesizer: a copy of the program beside
# TimGM6mb.sf2 under Wine and Xvfb, its sound recorded from a private PulseAudio server while
# xdotool plays: keys at their notes' pitches, a chord with Shift, Esc, the automatic bass, a
# recording played back, the device closed (silence) and opened again, the output moved.
#   tests/e2e/builtin_synth.sh [build directory, default build/win64]
set -euo pipefail
source "$(dirname "$0")/../../tools/wine-harness.sh"
e2e_setup_sound builtin_synth "$0" "$@"
capture="$out/builtin_synth.raw" marks="$out/builtin_synth.marks"
rm -f "$marks"
sound_record "$capture"
e2e_start_sound

# Ties what happens to the recorded sound: the moment (wall clock) and how much had been recorded by
# then. The recording runs at real-time pace from its start, so the smallest difference of the two
# over all marks gives the recording's start on the wall clock.
mark() { printf '%s %s %s\n' "$1" "$(stat -c %s "$capture")" "$EPOCHREALTIME" >>"$marks"; }
stream() { pactl list sink-inputs short 2>/dev/null | cut -f 5; }
alt() { xdotool keydown Alt_L keydown "$1" keyup "$1" keyup Alt_L; } # as a keyboard types Alt+x
# KEY (a, shift+j, ctrl+a) held down for SECONDS; a modifier goes down 0.1 s before the key, as
# a person plays.
hold() {
  local key="${1##*+}"
  if [ "$key" = "$1" ]; then
    xdotool keydown "$key" sleep "$2" keyup "$key"
  else
    xdotool keydown "${1%+*}" sleep 0.1 keydown "$key" sleep "$2" keyup "$key" keyup "${1%+*}"
  fi
}
for _ in 1 2 3 4 5; do mark sync && sleep 0.05; done

check "the built-in synthesizer opened at start: one stream of float32 stereo 48 kHz plays" \
  test "$(stream)" = "float32le 2ch 48000Hz"

# Single keys across the four rows (C major), each down 0.35 s, its release over before the next.
# Key 1, 2 and q (notes 42-44) are left out: TimGM6mb tunes the sample they play 15 cents flat, as
# FluidSynth renders it too.
keys=(w r 5 t 8 o a z s d v h k l period shift+j ctrl+a)
for k in "${keys[@]}"; do
  mark "key $k" && hold "$k" 0.35 && sleep 0.8
done

mark chord # a, d and g with Shift: the chord one octave up
xdotool keydown shift sleep 0.1 keydown a keydown d keydown g sleep 0.6 keyup g keyup d keyup a keyup shift
sleep 1

e2e_menu 5 c # 功能 > 自动增加低音 on
mark bass && xdotool keydown a sleep 0.5 keyup a && sleep 1
e2e_menu 5 c # and off again

e2e_menu 4 r # 录音 > 开始录制, four notes at uneven times, 停止录制, 开始播放
for step in "j 0.6" "f 0.8" "l 0.5" "ctrl+d 0.9"; do
  read -r k pause <<<"$step"
  mark "take $k" && hold "$k" 0.3 && sleep "$pause"
done
e2e_menu 4 e && mark playback && e2e_menu 4 p && sleep 4.5

mark escape # a held; Esc 1.013 s after it (xdotool's 12.5 ms between commands), a let go later.
# Esc forgets the keys held; a's release after it leaves the chord count below zero, after which
# Shift and Ctrl change no note: so this comes after the keys that use them.
xdotool keydown a sleep 1 key Escape sleep 1.4 keyup a
sleep 0.3

mark close # a note in its release as Alt+S closes; keys while closed; Alt+O opens again
xdotool keydown a sleep 0.3 keyup a sleep 0.1 && alt s && sleep 1.3
check "closing the device ends the stream" test -z "$(stream)"
mark closed && xdotool key --delay 300 k l d && sleep 0.6
mark reopen && alt o && sleep 0.5
check "Alt+O opens the device again: one stream plays" test "$(stream)" = "float32le 2ch 48000Hz"
mark again && xdotool keydown a sleep 0.4 keyup a && sleep 1.2
mark end

# The output goes away (the sink is unloaded, which ends the stream) and another output becomes
# the default: the program finds it by itself and plays on there.
moved="$out/builtin_synth.moved.raw"
sink=$(pactl list short modules | awk '$2 == "module-null-sink" {print $1}')
pactl unload-module "$sink" && sleep 1.5
pactl load-module module-null-sink sink_name=cap2 rate="$sound_rate" format=s16le channels=2 \
  norewinds=1 >/dev/null
pactl set-default-sink cap2
parec -d cap2.monitor --raw --format=s16le --rate="$sound_rate" --channels=2 --latency-msec=2 >"$moved" &
moved_recorder=$!
for _ in $(seq 50); do [ -n "$(stream)" ] && break; sleep 0.1; done
check "with its output gone, the sound moves to the new default output" \
  test "$(stream)" = "float32le 2ch 48000Hz"
xdotool keydown a sleep 0.4 keyup a && sleep 1
kill "$moved_recorder" 2>/dev/null || true
check "and a key sounds there" /usr/bin/python3 -c '
import sys, numpy as np
a = np.fromfile(sys.argv[1], dtype="<i2").astype(float)
sys.exit(not (len(a) and np.abs(a).max() > 300))' "$moved"
xdotool key alt+F4 sleep 1 key n # 否: the take is not saved
check "Alt+F4 ends the program" timeout 10 tail --pid="$program" -f /dev/null
sleep 0.5 # the recording runs on a while: PulseAudio still holds the last of it
sound_stop

# What was heard, checked in the recording. Prints "ok|what" or "FAIL|what" for each check.
results=$(/usr/bin/python3 - "$capture" "$marks" "${keys[*]}" <<'EOF_PY'
import sys
import numpy as np

RATE = 48000
BUFFER = 0.030        # the stream's buffer under Wine: one buffer of timing tolerance
RELEASE = 1.04        # TimGM6mb's piano: release 68 timecents, 1.04 s for 96 dB (92 dB/s)
SILENT = -60.0        # dBFS: below this, nothing is heard
KEY_NOTES = {"w": 45, "r": 48, "5": 49, "t": 50, "8": 54, "o": 57, "a": 60, "z": 61, "s": 62,
             "d": 64, "v": 66, "h": 69, "k": 72, "l": 74, "period": 75, "j": 71, "f": 65}

raw = np.fromfile(sys.argv[1], dtype="<i2").reshape(-1, 2)
marks = []
for line in open(sys.argv[2]):
    name, size, at = line.rsplit(" ", 2)
    marks.append((name, int(size) // 4, float(at)))
start = min(at - frames / RATE for _, frames, at in marks)  # the recording's first frame
mark_at = {name: int(round((at - start) * RATE)) for name, _, at in marks}
results = []
behind = max(at - frames / RATE for _, frames, at in marks) - start
results.append(f"{'ok' if behind < 0.5 else 'FAIL'}|the recording kept pace to the end: "
               f"{behind * 1000:.0f} ms behind at most")


def report(ok, what, detail=""):
    results.append(f"{'ok' if ok else 'FAIL'}|{what}{': ' + detail if detail else ''}")


def strip_underruns(x):
    """Wine's feeder inserts runs of exact zeros when it underruns; the sound goes on after them
    as it was written. A run of 0.5 to 200 ms counts as one when there is sound on both sides of
    it (a release ends in small values before it reaches zero; a loud wave crosses zero in one or
    two frames)."""
    silent = np.all(x == 0, axis=1)
    edges = np.flatnonzero(np.diff(np.r_[0, silent.astype(np.int8), 0]))
    keep = np.ones(len(x), bool)
    loud = 10 ** (SILENT / 20) * 32768
    for a, b in zip(edges[::2], edges[1::2]):
        if 0 < a and b < len(x) and 24 <= b - a <= 0.2 * RATE and \
                np.abs(x[max(0, a - 96):a]).max() > loud and np.abs(x[b:b + 96]).max() > loud:
            keep[a:b] = False
    return x[keep], len(x) - keep.sum()


def section(begin, end):
    """Mono sound (full scale 1.0) of the recording from frame begin to end, underruns taken out."""
    x, removed = strip_underruns(raw[max(0, begin):max(0, end)].astype(np.int32))
    section.removed += removed
    return x.astype(float).mean(axis=1) / 32768


section.removed = 0


def envelope(x, block=240):
    """Peak level in dBFS of each 5 ms block."""
    n = len(x) // block
    return 20 * np.log10(np.abs(x[:n * block]).reshape(n, block).max(axis=1) + 1e-9)


def onsets(x, block=240):
    """Where sound starts: the first block above -40 dBFS after 100 ms below -50 dBFS."""
    env, found, quiet, armed = envelope(x, block), [], 0, True
    for i, level in enumerate(env):
        quiet = quiet + 1 if level < -50 else 0
        armed = armed or quiet >= 20
        if armed and level > -40:
            found.append(i * block)
            armed = False
    return found


def spectrum(x):
    n = 1 << 19
    return 20 * np.log10(np.abs(np.fft.rfft(x * np.hanning(len(x)), n)) + 1e-12), RATE / n


def partial(bins, f, cents=60):
    """The strongest partial within cents of f: (frequency, level dB)."""
    db, step = bins
    lo, hi = int(f * 2 ** (-cents / 1200) / step), int(f * 2 ** (cents / 1200) / step) + 1
    i = lo + int(np.argmax(db[lo:hi]))
    a, b, c = db[i - 1:i + 2]
    p = 0.5 * (a - c) / (a - 2 * b + c) if a - 2 * b + c < 0 else 0.0
    return (i + p) * step, b - 0.25 * (a - c) * p


def strongest(bins):
    db, step = bins
    return db[int(30 / step):int(5000 / step)].max()


def hz(note):
    return 440 * 2 ** ((note - 69) / 12)


def cents(f, note):
    return 1200 * np.log2(f / hz(note))


def pitch_check(bins, note, what):
    """The note's fundamental within 10 cents of equal temperament, among the strongest partials."""
    f, level = partial(bins, hz(note))
    off = cents(f, note)
    report(abs(off) <= 10 and level >= strongest(bins) - 20,
           what, f"note {note} ({hz(note):.1f} Hz) measured {f:.2f} Hz, {off:+.1f} cents, "
           f"{level - strongest(bins):.0f} dB from the strongest partial")
    return level


def first_onset(begin, end):
    x = section(begin, end)
    found = onsets(x)
    return (x, found[0]) if found else (x, None)


def spectrum_after(mark, what, seconds, skip=0.04):
    """The spectrum of the first note after a mark, from skip seconds into it for seconds; none (and
    a failed check) when nothing sounds within 500 ms."""
    at = mark_at[mark]
    x, on = first_onset(at, at + int(0.5 * RATE))
    if on is None:
        report(False, what + " sounds", "no sound within 500 ms")
        return None
    return spectrum(section(at + on + int(skip * RATE), at + on + int((skip + seconds) * RATE)))


# Each key: its note, and nothing an octave below it.
for k in sys.argv[3].split():
    note = KEY_NOTES[k.split("+")[-1]] + (12 if k.startswith("shift+") else -12 if k.startswith("ctrl+") else 0)
    bins = spectrum_after(f"key {k}", f"key {k}", 0.5)
    if bins is None:
        continue
    level = pitch_check(bins, note, f"key {k} sounds its note")
    below = partial(bins, hz(note - 12))[1]
    report(below <= level - 25, f"key {k} sounds no octave below its note",
           f"{below - level:.0f} dB at note {note - 12}")

# The Shift chord: a, d, g an octave up, nothing at their plain notes.
bins = spectrum_after("chord", "the chord with Shift", 0.5, skip=0.08)
if bins is not None:
    weakest = min(pitch_check(bins, n, "the chord with Shift sounds note %d" % n) for n in (72, 76, 79))
    plain = max(partial(bins, hz(n))[1] for n in (60, 64, 67))
    report(plain <= weakest - 25, "the chord with Shift sounds nothing at the unshifted notes",
           f"{plain - weakest:.0f} dB")

# Esc while a is held: the note goes into its release within one buffer of Esc (relative to when a
# started), falls as TimGM6mb's piano release does (not cut), and is gone after that release.
at = mark_at["escape"]
x, on = first_onset(at, at + int(2.7 * RATE))
if on is None:
    report(False, "a held before Esc sounds", "no sound")
else:
    # The note starts softly: its first frame above silence, rather than the block that crossed
    # -40 dBFS, is when a sounded.
    on = max(0, on - 480) + int(np.argmax(np.abs(x[max(0, on - 480):on + 240]) > 3 / 32768))
    block = 240
    env = envelope(x[on:], block)
    t = (np.arange(len(env)) + 0.5) * block / RATE
    esc = 1.013
    # The release is a straight line in dB; where it leaves the held note's level just before
    # Esc (the note's own decay, 15 dB/s, moves that little in 50 ms) is where the fall begins.
    before = np.median(env[(t > esc - 0.06) & (t < esc - 0.01)])
    # The fall: from the first block 3 dB down on, while it is less than 30 dB down.
    down = np.flatnonzero((t > esc - 0.2) & (env < before - 3))
    first = last = down[0] if len(down) else len(env)
    while last < len(env) and env[last] > before - 30:
        last += 1
    if last - first < 5:
        report(False, "Esc releases the held note", f"no fall from {before:.0f} dBFS")
    else:
        slope, offset = np.polyfit(t[first:last], env[first:last], 1)
        knee = (before - offset) / slope
        report(abs(knee - esc) <= BUFFER, "Esc: the level starts to fall within one buffer",
               f"{(knee - esc) * 1000:+.0f} ms from Esc at {before:.0f} dBFS")
        report(60 <= -slope <= 160, "Esc: the note falls as the piano's release, not cut",
               f"{-slope:.0f} dB/s (the release alone: 92 dB/s)")
        after = env[t > knee + RELEASE + BUFFER]
        peak = after.max() if len(after) else 0.0
        report(len(after) > 20 and peak < SILENT, "Esc: silent after the release",
               f"{peak:.0f} dBFS from {RELEASE + BUFFER:.2f} s after the fall began")

# The automatic bass: the octave below sounds with the note.
bins = spectrum_after("bass", "a with the automatic bass", 0.5)
if bins is not None:
    level = pitch_check(bins, 60, "a with the automatic bass sounds its note")
    bass = pitch_check(bins, 48, "the automatic bass sounds the octave below")
    report(bass >= level - 15, "the automatic bass is about as loud as the note", f"{bass - level:+.0f} dB")

# The recording played back: the same notes in the same order, at the times they were played.
take = [("j", 71), ("f", 65), ("l", 74), ("ctrl+d", 52)]
live = []
for k, note in take:
    at = mark_at[f"take {k}"]
    x, on = first_onset(at, at + int(0.5 * RATE))
    live.append(None if on is None else at + on)
at = mark_at["playback"]
x = section(at, mark_at["escape"])
played = onsets(x)
if len(played) != len(take) or None in live:
    report(False, "the recording plays back its four notes",
           f"{len(played)} notes heard, the live ones {live}")
else:
    for (k, note), on in zip(take, played):
        pitch_check(spectrum(x[on + int(0.04 * RATE):on + int(0.34 * RATE)]), note,
                    f"playback: key {k} sounds its note in its place")
    # Both series of onsets went through the same stream: one buffer apart at most, and the
    # recording's 5 ms steps and the playback timer's few milliseconds on top.
    drift = [(p - played[0] - (l - live[0])) / RATE * 1000 for p, l in zip(played, live)]
    report(max(map(abs, drift)) <= BUFFER * 1000 + 10, "playback keeps the times it was played at",
           "ms off: " + " ".join(f"{d:+.0f}" for d in drift))

# Closing with a note in its release, then keys while closed: silence from a release's length
# after Alt+S on, until the device opens again.
at = mark_at["close"]
x, on = first_onset(at, at + int(0.5 * RATE))
x = section(at, mark_at["reopen"])
if on is None:
    report(False, "a before closing sounds", "no sound")
else:
    alt_s = on + int((0.3 + 0.1 + 2 * 0.0125) * RATE)  # a's onset, held, 0.1 s, Alt down, s down
    env = envelope(x[alt_s:])
    loud = np.flatnonzero(env >= SILENT)
    gone = (loud[-1] + 1) * 240 / RATE if len(loud) else 0.0
    quiet = env[int((RELEASE + BUFFER) * RATE / 240):]
    peak = quiet.max() if len(quiet) else 0.0
    report(len(quiet) > 100 and peak < SILENT, "closed: silent, keys typed included",
           f"peak {peak:.0f} dBFS; the sound ended {gone * 1000:.0f} ms after Alt+S")

bins = spectrum_after("again", "opened again: key a", 0.4)
if bins is not None:
    pitch_check(bins, 60, "opened again: key a sounds its note")

print(f"{section.removed} frames of underrun zeros taken out", file=sys.stderr)
print("\n".join(results))
EOF_PY
) || check "the recorded sound could be analysed" false
while IFS='|' read -r verdict what; do
  [ -z "$verdict" ] || check "$what" test "$verdict" = ok
done <<<"$results"
e2e_finish
