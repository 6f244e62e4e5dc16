#!/usr/bin/env python3
"""Compares renders of single notes with FluidSynth's renders of the same notes.

    wav_compare.py [--label TEXT] NOTE_ON_S NOTE_OFF_S REFERENCE_DIR CANDIDATE_DIR NAME...

Each NAME is INSTRUMENT-KEY-VELOCITY, rendered as NAME.wav (16-bit stereo 48 kHz) in both
directories, the note sounding from NOTE_ON_S to NOTE_OFF_S seconds. Prints one line per check,
"ok   ..." or "FAIL ...", and exits with 1 when one failed:
  pitch        the fundamental over 100-600 ms after the note-on, within 5 cents of the
               reference's (not for the instrument "drums", which has none);
  first sound  the first sample above -40 dB from the render's peak, not before the note-on and
               at most 1 ms after the reference's (1 ms: a renderer may start notes on its own
               block boundaries);
  level        RMS in dB over the same window (0-300 ms for drums, which have died away by then):
               velocity 64 against 127 of the same key within 3 dB of the reference's difference;
               at velocity 127, against the first NAME (piano middle C) within 4 dB of the
               reference's. Only these differences are compared, so master gains may differ;
  brightness   for drums instead of the pitch: zero crossings a second over the first 100 ms
               (where the hit is above -40 dB from its peak)
               from the render's own first sound, within 20% of the reference's (kick, snare and
               hi-hat are several times apart);
  silence      from 1.5 s after the note-off to the end, peak below -60 dBFS, wherever the
               reference is also silent there.
Standard library only, so that Debian's /usr/bin/python3 runs it as it is.
"""

import argparse
import math
import os
import statistics
import sys
import wave
from array import array
from itertools import accumulate

RATE = 48000
QUIET = 32768 * 10 ** (-60 / 20)  # -60 dBFS in 16-bit samples
ONSET = 10 ** (-40 / 20)  # of the render's own peak, so that master gains may differ
PITCH_WINDOW = (0.1, 0.6)  # seconds after the note-on: the attack is over, the note still held
DRUM_WINDOW = (0.0, 0.3)
SILENT_AFTER = 1.5  # seconds after the note-off
HIT_S = 0.1  # a drum hit's loudest time
PITCH_CENTS, VELOCITY_DB, INSTRUMENT_DB, ONSET_SLACK_S, CROSSINGS_RATIO = 5, 3, 4, 0.001, 1.2


class Render:
    """One WAV's measures; problem is set, and the rest left None, when it cannot be read."""

    def __init__(self, path, on, off, pitched):
        self.problem = self.onset = self.level = self.hz = self.crossings = self.tail_peak = None
        try:
            with wave.open(path, "rb") as f:
                shape = (f.getsampwidth(), f.getnchannels(), f.getframerate())
                samples = array("h", f.readframes(f.getnframes()))
        except (OSError, EOFError, wave.Error) as e:
            self.problem = f"cannot read {os.path.basename(path)}: {e}"
            return
        if shape != (2, 2, RATE):
            self.problem = "{} is {}-bit, {} channels, {} Hz, not 16-bit stereo 48 kHz".format(
                os.path.basename(path), shape[0] * 8, shape[1], shape[2])
            return
        if sys.byteorder == "big":
            samples.byteswap()
        self.seconds = len(samples) / 2 / RATE
        threshold = max(map(abs, samples), default=0) * ONSET
        loud = next((i for i, v in enumerate(samples) if abs(v) > threshold), None)
        self.onset = None if loud is None else loud // 2 / RATE
        window = DRUM_WINDOW if not pitched else PITCH_WINDOW
        measured = samples[2 * round((on + window[0]) * RATE):2 * round((on + window[1]) * RATE)]
        power = sum(v * v for v in measured) / max(len(measured), 1)
        self.level = 10 * math.log10(power / 32768**2) if power else -math.inf
        tail = samples[2 * round((off + SILENT_AFTER) * RATE):]
        self.tail_peak = max(map(abs, tail), default=0)
        if pitched:
            mono = [(l + r) / 65536 for l, r in zip(measured[0::2], measured[1::2])]
            self.hz = fundamental(mono)
        else:
            start = loud // 2 if loud is not None else round(on * RATE)  # its own start: a kick's
            hit = samples[2 * start:2 * (start + round(HIT_S * RATE))]  # pitch falls at once
            mono = [l + r for l, r in zip(hit[0::2], hit[1::2])]
            # Only where the hit still sounds: near silence, dither and rounding cross zero at
            # random.
            audible = max(map(abs, mono), default=0) * ONSET
            self.crossings = sum((a < 0) != (b < 0) and max(abs(a), abs(b)) > audible
                                 for a, b in zip(mono, mono[1:])) / HIT_S


def fundamental(x):
    """Hz of the periodic sound x, or None. From the rough period, the correlation peak near a lag
    of whole periods (about 10 ms) gives it finely in frames every 20 ms; their mean, less the
    highest and lowest tenth, follows a vibrato through its cycles and moves less than a cent
    when the window starts a few milliseconds later."""
    period = rough_period(x[0::2], x[1::2])
    if period is None:
        return None
    squares = list(accumulate((v * v for v in x), initial=0))
    periods = max(1, int(0.01 * RATE / period))
    middle, n = round(periods * period), 1024
    reach = max(2, min(math.ceil(0.03 * middle), int(0.4 * period)))  # a vibrato, not the next peak
    estimates = []
    for start in range(0, len(x) - n - middle - reach, RATE // 50):
        scores = {lag: dot(x, start, start + lag, n) / math.sqrt(squares[start + lag + n] - squares[start + lag] or 1)
                  for lag in range(middle - reach, middle + reach + 1)}
        best = max(scores, key=scores.get)
        if scores[best] > 0 and abs(best - middle) < reach:
            estimates.append((best + vertex(scores[best - 1], scores[best], scores[best + 1])) / periods)
    if not estimates:
        return None
    estimates.sort()
    tenth = len(estimates) // 10
    return RATE / statistics.mean(estimates[tenth:len(estimates) - tenth])


def rough_period(even, odd):
    """The period in samples by YIN (its cumulative mean normalised difference's first clear dip),
    at half the rate, enough to find the fine peak, or None for silence or too short a sound."""
    x = list(map(float.__add__, even, odd))
    rate = RATE // 2
    shortest, longest, frame = rate // 2500, rate // 50, 1024
    if len(x) < frame + longest or dot(x, 0, 0, frame) == 0:
        return None
    squares = list(accumulate((v * v for v in x[:frame + longest]), initial=0))
    normalised, total = [1.0], 0.0
    for lag in range(1, longest + 1):
        d = squares[frame] + squares[lag + frame] - squares[lag] - 2 * dot(x, 0, lag, frame)
        total += d
        normalised.append(d * lag / total if total > 0 else 1.0)
    lags = range(shortest, longest)
    period = next((lag for lag in lags if normalised[lag] < 0.15), None)
    if period is None:
        period = min(lags, key=normalised.__getitem__)
    while period + 1 < longest and normalised[period + 1] < normalised[period]:
        period += 1
    return 2 * (period + vertex(*normalised[period - 1:period + 2]))


def dot(x, a, b, n):
    return sum(map(float.__mul__, x[a:a + n], x[b:b + n]))


def vertex(a, b, c):
    """Offset from the middle of three equally spaced points to their parabola's vertex."""
    bend = a - 2 * b + c
    return 0.0 if bend == 0 else max(-0.5, min(0.5, 0.5 * (a - c) / bend))


def cents(hz, key):
    return 1200 * math.log2(hz / (440 * 2 ** ((key - 69) / 12)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--label", default="", help="put before each check's name")
    parser.add_argument("on", type=float, metavar="NOTE_ON_S")
    parser.add_argument("off", type=float, metavar="NOTE_OFF_S")
    parser.add_argument("reference", metavar="REFERENCE_DIR")
    parser.add_argument("candidate", metavar="CANDIDATE_DIR")
    parser.add_argument("names", nargs="+", metavar="NAME")
    args = parser.parse_args()

    failures = 0

    def check(name, what, passed, text):
        nonlocal failures
        failures += not passed
        print(f"{'ok  ' if passed else 'FAIL'} {args.label}{name} {what}: {text}", flush=True)

    notes, reference, candidate = {}, {}, {}
    for name in args.names:
        instrument, key, velocity = name.rsplit("-", 2)
        notes[name] = (instrument, int(key), int(velocity))
        pitched = instrument != "drums"
        reference[name] = Render(os.path.join(args.reference, name + ".wav"), args.on, args.off, pitched)
        candidate[name] = Render(os.path.join(args.candidate, name + ".wav"), args.on, args.off, pitched)
        if reference[name].problem:
            sys.exit(f"wav_compare.py: reference {reference[name].problem}")
        if reference[name].onset is None:
            sys.exit(f"wav_compare.py: the reference {name}.wav is silent")
    anchor = args.names[0]
    usable = lambda name: name in notes and not candidate[name].problem

    for name, (instrument, key, velocity) in notes.items():
        ref, got = reference[name], candidate[name]
        if got.problem:
            check(name, "render", False, got.problem)
            continue
        if instrument != "drums":
            if ref.hz is None:
                sys.exit(f"wav_compare.py: no pitch found in the reference {name}.wav")
            text = "no pitch found" if got.hz is None else \
                f"{cents(got.hz, key):+.1f} cents from the key, FluidSynth {cents(ref.hz, key):+.1f}"
            check(name, "pitch", got.hz is not None and
                  abs(cents(got.hz, key) - cents(ref.hz, key)) <= PITCH_CENTS, text)

        else:
            check(name, "brightness", ref.crossings / CROSSINGS_RATIO <= got.crossings <= ref.crossings * CROSSINGS_RATIO,
                  f"{got.crossings:.0f} zero crossings a second, FluidSynth {ref.crossings:.0f}")

        fmt = lambda s: "none" if s is None else f"{s * 1000:.1f} ms"
        check(name, "first sound", got.onset is not None and args.on <= got.onset <= ref.onset + ONSET_SLACK_S,
              f"{fmt(got.onset)}, FluidSynth {fmt(ref.onset)}, the note-on {fmt(args.on)}")

        other = f"{instrument}-{key}-127" if velocity != 127 else anchor if name != anchor else None
        if usable(other):
            got_db = got.level - candidate[other].level
            ref_db = ref.level - reference[other].level
            limit = VELOCITY_DB if velocity != 127 else INSTRUMENT_DB
            check(name, "level", abs(got_db - ref_db) <= limit,
                  f"{got_db:+.1f} dB from {other}, FluidSynth {ref_db:+.1f}")

        if ref.tail_peak <= QUIET:
            peak = 20 * math.log10(max(got.tail_peak, 1) / 32768)
            check(name, "silence", got.tail_peak <= QUIET,
                  f"peak {peak:.0f} dBFS from {args.off + SILENT_AFTER:.2f} s to the end at {got.seconds:.2f} s")
        else:
            print(f"skip {args.label}{name} silence: FluidSynth still sounds {SILENT_AFTER} s after the note-off")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
