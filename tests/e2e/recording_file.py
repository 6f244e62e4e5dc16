#!/usr/bin/env python3
"""Recording files read independently of the program, for the end-to-end tests.

    recording_file.py compare PATH LOG   the capture log plays the file: notes in order, on time
    recording_file.py same A B           two recording files hold the same recording
"""

import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "midi_capture"))
import midi_log  # noqa: E402

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


def note_messages(log):
    """(ms, status, channel, note) of every note-on and note-off in a capture log."""
    decoded = [(r.ms, *midi_log.decode(r.message)) for r in midi_log.read_log(log) if r.kind == "data"]
    return [m[:4] for m in decoded if m[1] in (0x80, 0x90)]


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


def compare(path, log):
    want, first_delay = expected_notes(path), read(path)[2][0][0]
    got = note_messages(log) if os.path.exists(log) else []
    late = [g[0] - got[0][0] - w[0] for w, g in zip(want, got)]
    opened = [r.ms for r in midi_log.read_log(log) if r.kind == "open"] if got else []
    wait = got[0][0] - opened[0] - first_delay if got and opened else None
    print(f"{len(want)} note messages expected, {len(got)} captured; playing began {wait} ms after "
          f"the device opened and the first delay; at most {max(map(abs, late), default=0)} ms off")
    # The start-up timer waits 500 ms; each note within 25 ms of its time in the file.
    ok = [w[1:] for w in want] == [g[1:] for g in got] and wait is not None and 450 <= wait <= 1500
    return 0 if ok and all(abs(x) <= 25 for x in late) else 1


def main(argv):
    if argv[1] == "compare":
        return compare(argv[2], argv[3])
    if argv[1] == "same":
        return 0 if read(argv[2]) == read(argv[3]) else 1
    print(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
