#!/usr/bin/env python3
"""Reads recording files (.qvi) independently of the program, and the notes one should sound;
for tools/watch_playback.py, tools/make-demo.sh, tools/check_release.py and the end-to-end tests.

    python3 recording_reader.py PATH   prints the notes one pass of the recording sounds
"""

import struct
import sys

# Octave and semitone of each scan code that plays; the note is 12 x octave + semitone + tonic.
KEYS = {
    2: (3, 6), 3: (3, 8), 4: (3, 10), 5: (3, 11), 6: (4, 1), 7: (4, 3), 8: (4, 4), 9: (4, 6),
    10: (4, 8), 11: (4, 10), 12: (6, 6), 13: (6, 8), 16: (3, 7), 17: (3, 9), 18: (3, 11),
    19: (4, 0), 20: (4, 2), 21: (4, 4), 22: (4, 5), 23: (4, 7), 24: (4, 9), 25: (4, 11),
    26: (6, 7), 27: (6, 9), 30: (5, 0), 31: (5, 2), 32: (5, 4), 33: (5, 5), 34: (5, 7),
    35: (5, 9), 36: (5, 11), 37: (6, 0), 38: (6, 2), 39: (6, 4), 40: (6, 5), 44: (5, 1),
    45: (5, 3), 46: (5, 4), 47: (5, 6), 48: (5, 8), 49: (5, 10), 50: (5, 11), 51: (6, 1),
    52: (6, 3), 53: (6, 4),
}
TONIC = {1297: 0, 1298: 2, 1299: 4, 1300: 5, 1301: 7, 1302: 9, 1303: -1, 1304: 6, 1305: 1,
         1312: -2, 1313: 3, 1314: -4, 1315: 3, 1316: 5, 1317: 7, 1318: -4, 1319: -2, 1320: 0,
         1321: 2, 1328: 9, 1329: 4, 1330: -1, 1331: 6, 1332: 1}
PERIOD_MS = 5


def read(path):
    """(key mode, auto bass word, [(delay, message, keyData, shift)]) of a recording file."""
    with open(path, "rb") as f:
        raw = f.read()
    assert raw[:4] == b"RIFF" and raw[8:12] == b"QV  ", "not a recording file"
    at, fmt, data = 12, None, None
    while at + 8 <= len(raw):
        tag, size = raw[at:at + 4], struct.unpack("<I", raw[at + 4:at + 8])[0]
        if tag == b"fmt ":
            fmt = struct.unpack("<6I", raw[at + 8:at + 32])
        elif tag == b"data":
            data = raw[at + 8:at + 8 + size]
        at += 8 + size + (size & 1)
    events = [struct.unpack("<IIIi", data[i:i + 16]) for i in range(0, len(data), 16)]
    assert fmt[0] == len(events)
    return fmt[1], fmt[2], events


def expected_notes(path):
    """(ideal ms from the first event, status, channel, note) for one pass of the file."""
    key_mode, bass, events = read(path)
    out, t = [], 0
    for i, (delay, message, key_data, shift) in enumerate(events):
        t += max(delay, PERIOD_MS) if i else 0
        octave, semitone = KEYS[(key_data >> 16) & 0xFF]
        note = 12 * (octave + shift) + semitone + TONIC[key_mode]
        status = 0x80 if message == 257 else 0x90
        out.append((t, status, 0, note))
        if bass == 1:
            out.append((t, status, 15, note - 12))
    return out


if __name__ == "__main__":
    for note in expected_notes(sys.argv[1]):
        print(*note)
