#!/usr/bin/python3
"""Writes a busy General MIDI piece, for the synthesizer's speed benchmark, as a Standard MIDI File.

    /usr/bin/python3 tools/make-busy-song.py OUT.mid

Ten seconds at 120 beats a minute: all 16 channels, drums on channel 10 (index 9), overlapping
notes and chords, the sustain pedal, pitch bends, volume, pan and expression moving. The same
bytes every time: the random choices come from a fixed seed.
"""

import random
import sys

import mido

TICKS = 480  # a beat
BARS = 5  # 2 s each
BAR = 4 * TICKS
END = BARS * BAR

# Channel index, General MIDI program (0-based), volume, pan.
INSTRUMENTS = [
    (0, 0, 110, 64),  # acoustic grand piano
    (1, 4, 90, 40),  # electric piano 1
    (2, 19, 70, 88),  # church organ
    (3, 24, 95, 30),  # nylon guitar
    (4, 27, 90, 98),  # clean electric guitar
    (5, 33, 115, 64),  # fingered bass
    (6, 40, 95, 20),  # violin
    (7, 48, 100, 108),  # string ensemble 1
    (8, 52, 80, 50),  # choir aahs
    (10, 56, 95, 78),  # trumpet
    (11, 61, 90, 58),  # brass section
    (12, 65, 90, 90),  # alto sax
    (13, 73, 85, 36),  # flute
    (14, 89, 80, 64),  # warm pad
    (15, 80, 75, 100),  # square lead
]
DRUMS = 9

# A chord a bar: root and the notes of its triad (with the seventh for colour).
CHORDS = [
    (48, [60, 64, 67, 71]),  # C maj7
    (45, [57, 60, 64, 67]),  # A min7
    (41, [53, 57, 60, 64]),  # F maj7
    (43, [55, 59, 62, 65]),  # G7
    (48, [60, 64, 67, 72]),  # C
]


class Track:
    def __init__(self, rng):
        self.events = []  # (tick, order, message): note-offs before note-ons at the same tick
        self.rng = rng

    def note(self, channel, key, start, length, velocity):
        start = max(0, min(END - 1, start))
        stop = max(start + 1, min(END, start + length))
        velocity = max(1, min(127, velocity + self.rng.randint(-8, 8)))
        self.events.append((start, 1, mido.Message("note_on", channel=channel, note=key,
                                                    velocity=velocity)))
        self.events.append((stop, 0, mido.Message("note_off", channel=channel, note=key,
                                                   velocity=64)))

    def control(self, channel, tick, control, value, order=1):
        self.events.append((max(0, min(END, tick)), order, mido.Message(
            "control_change", channel=channel, control=control, value=max(0, min(127, value)))))

    def bend(self, channel, tick, pitch):
        self.events.append((max(0, min(END, tick)), 1, mido.Message(
            "pitchwheel", channel=channel, pitch=max(-8192, min(8191, pitch)))))

    def bend_curve(self, channel, start, length, depth, steps=16):
        """A bend up to depth and back to the centre, in steps."""
        for i in range(steps + 1):
            shape = 1 - abs(2 * i / steps - 1)
            self.bend(channel, start + length * i // steps, int(depth * shape))

    def midi_track(self):
        track = mido.MidiTrack()
        now = 0
        for tick, _, message in sorted(self.events, key=lambda e: (e[0], e[1])):
            track.append(message.copy(time=tick - now))
            now = tick
        track.append(mido.MetaMessage("end_of_track", time=END + TICKS // 2 - now))
        return track


def melody_notes(rng, chord, count, low, high):
    """count notes walking over the chord's notes and their neighbours in low..high."""
    pool = sorted({k + 12 * o for k in chord for o in range(-3, 4) if low <= k + 12 * o <= high})
    at = rng.randrange(len(pool))
    notes = []
    for _ in range(count):
        at = max(0, min(len(pool) - 1, at + rng.choice([-2, -1, -1, 1, 1, 2])))
        notes.append(pool[at] + rng.choice([0, 0, 0, 2, -1]))
    return notes


def melodic(rng, channel, program):
    t = Track(rng)
    for bar, (root, chord) in enumerate(CHORDS):
        b = bar * BAR
        if program == 0:  # piano: sixteenth arpeggios over chords, the pedal held through a bar
            t.control(channel, b, 64, 0)
            t.control(channel, b + 10, 64, 127)
            for beat in range(4):
                for k in chord:
                    t.note(channel, k - 12, b + beat * TICKS, TICKS - 20, 80)
            for i in range(16):
                t.note(channel, chord[i % 4] + 12 * (i // 8), b + i * TICKS // 4, TICKS // 4, 70)
        elif program == 4:  # electric piano: off-beat stabs
            for i in range(8):
                for k in chord:
                    t.note(channel, k, b + i * TICKS // 2 + TICKS // 4, TICKS // 3, 75)
        elif program in (19, 89):  # organ, pad: whole bars, overlapping the next
            for k in chord + [root + 12]:
                t.note(channel, k + (12 if program == 89 else 0), b, BAR + TICKS // 2, 85)
            if program == 89:
                for i in range(16):
                    t.control(channel, b + i * BAR // 16, 10, 64 + int(50 * ((i % 8) / 4 - 1)))
        elif program == 24:  # nylon guitar: eighth arpeggios left ringing
            for i in range(8):
                t.note(channel, chord[(i * 3) % 4] - 12 + 12 * (i % 2), b + i * TICKS // 2,
                       TICKS * 2, 85)
        elif program == 27:  # clean guitar: strums on each beat, a bend on the last one
            for beat in range(4):
                for n, k in enumerate(sorted([root] + chord + [chord[0] + 12])):
                    t.note(channel, k, b + beat * TICKS + 12 * n, TICKS - 30, 90)
            t.bend_curve(channel, b + 3 * TICKS, TICKS, 2048)
        elif program == 33:  # bass: eighths on root and fifth
            for i in range(8):
                t.note(channel, root - 12 + (7 if i % 4 == 2 else 0), b + i * TICKS // 2,
                       TICKS // 2 - 10, 100)
        elif program in (40, 73):  # violin, flute: fast runs, vibrato by the wheel
            per_beat = 4 if program == 73 else 2
            notes = melody_notes(rng, chord, 4 * per_beat, 67, 96)
            for i, k in enumerate(notes):
                t.note(channel, k, b + i * TICKS // per_beat, TICKS // per_beat + 40, 85)
            if program == 40:
                for i in range(32):
                    t.bend(channel, b + i * BAR // 32, 300 if i % 2 else -300)
        elif program == 48:  # strings: sustained chords swelling by expression
            for k in chord + [root]:
                t.note(channel, k, b, BAR, 90)
            for i in range(17):
                t.control(channel, b + i * BAR // 16, 11, 60 + int(67 * (1 - abs(i / 8 - 1))))
            t.control(channel, b + BAR - 240, 7, 100 + bar * 5)
        elif program == 52:  # choir: half-note chords
            for half in range(2):
                for k in chord[:3]:
                    t.note(channel, k + 12 * half, b + half * 2 * TICKS, 2 * TICKS + 60, 80)
        elif program in (56, 65, 80):  # trumpet, sax, lead: phrases with bent notes
            notes = melody_notes(rng, chord, 6, 60 if program == 65 else 64, 88)
            at = b
            for n, k in enumerate(notes):
                length = rng.choice([TICKS // 2, TICKS // 2, TICKS, TICKS // 4 * 3])
                t.note(channel, k, at, length + 30, 95)
                if n % 3 == 1:
                    t.bend(channel, at, -4096 if program == 65 else 0)
                    t.bend_curve(channel, at, length, 3000 if program == 80 else 1500, 8)
                at += length
            t.bend(channel, b + BAR - 1, 0)
        elif program == 61:  # brass section: stabs on two and four
            for beat in (1, 3):
                for k in chord[:3] + [root + 12]:
                    t.note(channel, k, b + beat * TICKS, TICKS // 3, 105)
    return t


def drums(rng):
    t = Track(rng)
    for bar in range(BARS):
        b = bar * BAR
        for i in range(16):
            at = b + i * TICKS // 4
            last = bar == BARS - 1 and i >= 8
            if last:  # a fill: toms down, then a crash on the last sixteenth
                t.note(DRUMS, [50, 48, 47, 45][i % 4], at, TICKS // 4, 110)
                if i == 15:
                    t.note(DRUMS, 49, at, TICKS, 120)
                    t.note(DRUMS, 36, at, TICKS, 120)
                continue
            if i % 4 == 2 and rng.random() < 0.5:
                t.note(DRUMS, 46, at, TICKS // 4, 90)  # open hi-hat, cut by the closed one
            else:
                t.note(DRUMS, 42, at, TICKS // 8, 70 + 20 * (i % 2 == 0))
            if i in (0, 8, 10) or rng.random() < 0.1:
                t.note(DRUMS, 36, at, TICKS // 4, 115)
            if i in (4, 12):
                t.note(DRUMS, 38, at, TICKS // 4, 110)
            elif rng.random() < 0.15:
                t.note(DRUMS, 38, at, TICKS // 4, 60)  # ghost note
            if i % 4 == 0:
                t.note(DRUMS, 51, at, TICKS // 2, 80)  # ride
            if i == 14 and bar % 2:
                t.note(DRUMS, 44, at, TICKS // 4, 80)  # pedal hi-hat
        t.note(DRUMS, 49 if bar % 2 == 0 else 57, b, BAR, 115)  # crash 1 or 2
        if bar == 2:
            t.note(DRUMS, 55, b + 2 * TICKS, TICKS, 100)  # splash
            t.note(DRUMS, 52, b + 3 * TICKS, TICKS, 100)  # chinese cymbal
    return t


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-busy-song.py OUT.mid")
    rng = random.Random(20240607)
    song = mido.MidiFile(type=1, ticks_per_beat=TICKS)
    tempo = mido.MidiTrack()
    tempo.append(mido.MetaMessage("set_tempo", tempo=500000, time=0))  # 120 beats a minute
    tempo.append(mido.MetaMessage("time_signature", numerator=4, denominator=4, time=0))
    tempo.append(mido.MetaMessage("end_of_track", time=END + TICKS // 2))
    song.tracks.append(tempo)
    for channel, program, volume, pan in INSTRUMENTS + [(DRUMS, 0, 120, 64)]:
        t = drums(rng) if channel == DRUMS else melodic(rng, channel, program)
        t.events.append((0, -1, mido.Message("program_change", channel=channel, program=program)))
        for control, value in ((7, volume), (10, pan), (11, 127), (64, 0)):
            t.control(channel, 0, control, value, order=-1)  # before the first notes
        song.tracks.append(t.midi_track())
    song.save(sys.argv[1])


if __name__ == "__main__":
    main()
