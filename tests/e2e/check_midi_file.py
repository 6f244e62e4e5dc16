#!/usr/bin/python3
"""Reads an exported MIDI file with mido (an independent reader) and checks that it is a format 0
file whose note-ons, in order, are the given notes, each followed by its note-off.

    check_midi_file.py FILE NOTE...
"""

import sys

import mido


def main(argv):
    path, notes = argv[1], [int(n) for n in argv[2:]]
    song = mido.MidiFile(path)
    events = [m for m in song.tracks[0] if m.type in ("note_on", "note_off")]
    # The closing silent note (1, velocity 0) is part of every export.
    played = [m.note for m in events if m.type == "note_on" and m.velocity > 0]
    released = [m.note for m in events if m.type == "note_off"]
    print(f"format {song.type}, {len(song.tracks)} track(s), {song.ticks_per_beat} ticks per beat")
    print(f"note-ons {played}, note-offs {released}")
    ok = (song.type == 0 and song.ticks_per_beat == 192 and played == notes and
          released == notes + [1] and song.length > 0)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
