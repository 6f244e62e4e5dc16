#!/usr/bin/env bash
# Key-to-sound latency of the real tonvira.exe playing through its built-in synthesizer under Wine
# and Xvfb: a copy of the program beside TimGM6mb.sf2 (as tests/e2e/builtin_synth.sh runs it),
# keys pressed through the X server's XTEST extension from the process that also records the sound
# from a private PulseAudio server. For each key, the time from its press to the first sample of
# its note in the recording; prints p50, p90, p99, the largest and the count.
#   tests/bench/key_to_sound.sh [build directory, default build/win64]
# TONVIRA_BENCH_KEYS sets how many keys (default 250, one every 150 ms).
set -euo pipefail
source "$(dirname "$0")/../../tools/wine-harness.sh"
e2e_setup_sound key_to_sound "$0" "$@"
e2e_start_sound
/usr/bin/python3 - "${TONVIRA_BENCH_KEYS:-250}" <<'EOF_PY'
"""The recording's frames are tied to the monotonic clock by when parec's output arrives: frames
arrive after they were recorded, never before, so the smallest difference between a chunk's
arrival and the recorded length at its end (frames / rate) is the recording's start; it is taken
over the chunks within a few seconds of each key, so that a slow drift between the sound server's
clock and this one does not count.

The piano's sample starts softly (its first half millisecond is near silence), so a threshold
would find a note late by a few milliseconds, more under the previous note's release. Instead
each note is first played alone, into digital silence, where its first non-zero frame is its
onset; its first 30 ms are the note's template, and each later onset is where the template fits
the recording best (normalized cross-correlation) after the key."""
import os
import random
import subprocess
import sys
import threading
import time

import numpy as np
from Xlib import X, XK, display
from Xlib.ext import xtest

RATE = 48000
COUNT = int(sys.argv[1])
SPACING = 0.150  # between presses, plus up to one 10 ms period at random so that presses fall
JITTER = 0.010   # at every point of the audio thread's cycle
HOLD = 0.040
KEYS = ["a", "d", "g", "k", "s", "f", "h", "j"]  # notes 60 64 67 72 62 65 69 71
TEMPLATE = int(0.030 * RATE)
SEARCH = int(0.250 * RATE)

x = display.Display()
codes = [x.keysym_to_keycode(XK.string_to_keysym(k)) for k in KEYS]

# The recorder: parec's output read in small pieces, each stamped as it arrives.
parec = subprocess.Popen(["parec", "-d", "cap.monitor", "--raw", "--format=s16le", f"--rate={RATE}",
                          "--channels=2", "--latency-msec=2"], stdout=subprocess.PIPE, bufsize=0)
pieces, arrivals = [], []  # arrivals: (monotonic seconds, frames recorded by then)


def record():
    received = 0
    while True:
        piece = os.read(parec.stdout.fileno(), 1536)
        now = time.monotonic()
        if not piece:
            return
        pieces.append(piece)
        received += len(piece)
        arrivals.append((now, received // 4))


recorder = threading.Thread(target=record, daemon=True)
recorder.start()


def wait_until(moment):
    while True:
        left = moment - time.monotonic()
        if left <= 0:
            return
        time.sleep(left - 0.002 if left > 0.003 else 0)


def press(code):
    """Presses a key; returns the monotonic time just before the request went to the X server
    (sync waits until the server has handled it: a round trip of well under a millisecond)."""
    before = time.monotonic()
    xtest.fake_input(x, X.KeyPress, code)
    x.sync()
    return before


def release(code):
    xtest.fake_input(x, X.KeyRelease, code)
    x.sync()


# Each note alone first: its template. Then the keys, one every SPACING (+ up to JITTER).
time.sleep(1.0)
alone = []
for code in codes:
    alone.append(press(code))
    time.sleep(HOLD)
    release(code)
    time.sleep(1.0)  # the release (1.04 s for 96 dB) into digital silence
pressed = []
start = time.monotonic() + 0.2
random.seed(7)
for i in range(COUNT):
    wait_until(start + i * SPACING + random.uniform(0, JITTER))
    pressed.append((i % len(KEYS), press(codes[i % len(KEYS)])))
    time.sleep(HOLD)
    release(codes[i % len(KEYS)])
time.sleep(1.5)
parec.terminate()
recorder.join(2)

sound = np.frombuffer(b"".join(pieces)[:arrivals[-1][1] * 4], dtype="<i2").reshape(-1, 2)
mono = sound.astype(np.float64).mean(axis=1)
stamps = np.array(arrivals)


def frame_of(moment):
    """The recording's frame at a monotonic moment."""
    near = stamps[np.abs(stamps[:, 0] - moment) < 3.0]
    origin = np.min(near[:, 0] - near[:, 1] / RATE)
    return int(round((moment - origin) * RATE))


templates = []
QUIET = int(0.010 * RATE)
for k, moment in enumerate(alone):
    at = frame_of(moment)
    # The first frame of sound after at least 10 ms of digital silence.
    heard = np.any(sound[at - QUIET:at + SEARCH] != 0, axis=1)
    before = np.cumsum(np.r_[0, heard])
    frames = np.flatnonzero(heard[QUIET:]) + QUIET
    frames = frames[before[frames] == before[frames - QUIET]]
    if len(frames) == 0:
        sys.exit(f"key {KEYS[k]} alone made no sound within {SEARCH / RATE * 1000:.0f} ms")
    onset = at - QUIET + frames[0]
    templates.append(mono[onset:onset + TEMPLATE])
    print(f"key {KEYS[k]} alone: sound {(onset - at) / RATE * 1000:.1f} ms after the press")


def best_fit(template, at):
    """The frame after at where the template fits best, and how well (1 = exactly)."""
    window = mono[at:at + SEARCH + TEMPLATE]
    if len(window) < len(template) + 1:
        return None, 0.0
    dot = np.correlate(window, template, mode="valid")
    energy = np.convolve(window ** 2, np.ones(len(template)), mode="valid")
    fit = dot / np.sqrt(energy * np.dot(template, template) + 1e-9)
    i = int(np.argmax(fit))
    return at + i, float(fit[i])


# A gap of an underrun inside the note's first 30 ms lowers the fit but leaves the onset; below
# 0.5 there is no note like it at all.
latencies, gapped, lost = [], 0, 0
for k, moment in pressed:
    at = frame_of(moment)
    onset, fit = best_fit(templates[k], at)
    if onset is None or fit < 0.5:
        lost += 1
        continue
    gapped += fit < 0.9
    latencies.append((onset - at) / RATE * 1000)

ms = np.array(latencies)
print(f"key to sound, built-in synthesizer under Wine: {len(ms)} of {COUNT} keys measured "
      f"({gapped} with a gap in the note's first 30 ms, {lost} with no note found)")
if len(ms):
    p50, p90, p99 = np.percentile(ms, [50, 90, 99])
    print(f"  p50 {p50:.1f} ms  p90 {p90:.1f} ms  p99 {p99:.1f} ms  max {ms.max():.1f} ms  "
          f"min {ms.min():.1f} ms  count {len(ms)}")
EOF_PY
