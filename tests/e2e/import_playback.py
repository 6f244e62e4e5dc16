#!/usr/bin/python3
"""A song for the import test, written and read with mido (independent of the tool), and the check
that the captured playback of its imported recording sounds its notes at its times.

    import_playback.py write SONG.mid
    import_playback.py compare SONG.mid LOG
"""

import os
import sys

import mido

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "midi_capture"))
import midi_log  # noqa: E402


def write(path):
    """Format 1: a conductor track whose tempo doubles after two seconds, a melody with a chord
    and a note above the keys' reach without Shift, a bass below it without Ctrl."""
    song = mido.MidiFile(type=1, ticks_per_beat=480)
    conductor = mido.MidiTrack([mido.MetaMessage("set_tempo", tempo=500000, time=0),
                                mido.MetaMessage("set_tempo", tempo=250000, time=1920)])
    melody, bass = mido.MidiTrack(), mido.MidiTrack()
    at = 0
    for start, length, notes in [(0, 480, (60, 64, 67)), (480, 480, (72,)), (960, 960, (84,)),
                                 (1920, 480, (60,)), (2400, 480, (62,)), (2880, 480, (64, 67))]:
        for i, n in enumerate(notes):
            melody.append(mido.Message("note_on", note=n, velocity=90, time=start - at if i == 0 else 0))
        at = start
        for i, n in enumerate(notes):
            melody.append(mido.Message("note_on", note=n, velocity=0, time=length if i == 0 else 0))
        at = start + length
    bass += [mido.Message("note_on", channel=1, note=36, velocity=80, time=0),
             mido.Message("note_off", channel=1, note=36, time=1920)]
    song.tracks += [conductor, melody, bass]
    song.save(path)


def expected(path):
    """(ms, status, note) of the song, a moment's note-offs before its note-ons."""
    out, t = [], 0.0
    for message in mido.MidiFile(path):  # merged, with times in seconds at the song's tempos
        t += message.time
        if message.type in ("note_on", "note_off"):
            on = message.type == "note_on" and message.velocity > 0
            out.append((round(t * 1000), 0x90 if on else 0x80, message.note))
    return sorted(out, key=lambda e: (e[0], e[1] == 0x90, e[2]))


def compare(path, log):
    want, got, silenced = expected(path), [], None
    for record in midi_log.read_log(log):
        if record.kind != "data":
            continue
        status, _, data1, _ = midi_log.decode(record.message)
        if status == 0xB0 and data1 == 123 and silenced is None:
            silenced = record.ms  # the end of the pass: All Notes Off
        elif status in (0x80, 0x90):
            # The end-of-pass command can be handled before the last posted event, whose note
            # All Notes Off has then already ended.
            ms = min(record.ms, silenced) if status == 0x80 and silenced is not None else record.ms
            got.append((ms, status, data1))
    print(f"expected {[w[1:] for w in want]}")
    print(f"captured {[g[1:] for g in got]}")
    ok = [w[1:] for w in want] == [g[1:] for g in got]
    if ok:
        late = [(g[0] - got[0][0]) - (w[0] - want[0][0]) for w, g in zip(want, got)]
        print(f"lateness against the song (ms): {late}")
        ok = all(abs(x) <= 40 for x in late)  # a chord spread 15 ms, and Wine's timer
    return 0 if ok else 1


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "write":
        write(sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == "compare":
        sys.exit(compare(sys.argv[2], sys.argv[3]))
    else:
        print(__doc__)
        sys.exit(2)
