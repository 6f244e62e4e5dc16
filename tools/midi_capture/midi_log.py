#!/usr/bin/env python3
"""Reads the log that winetonvcap.drv writes (TONVIRA_CAPTURE_LOG).

Each line is "<ms> <device> <kind> [<message as 8 hex digits>]", kind one of open, open-failed,
close, reset and data; only data lines carry a message.

    python3 midi_log.py capture.log              prints the log, one event a line
    python3 midi_log.py capture.log --smf out.mid  also writes its messages as a MIDI file
"""

import struct
import sys
from typing import Iterable, List, NamedTuple, Optional, Tuple

KINDS = ("open", "open-failed", "close", "reset", "data")


class Record(NamedTuple):
    ms: int
    device: int
    kind: str
    message: Optional[int]  # the packed short message of a data line, else None


def parse_line(line: str) -> Record:
    """One log line as a Record; ValueError when it is not a well-formed line."""
    fields = line.split()
    if len(fields) < 3 or fields[2] not in KINDS:
        raise ValueError(f"not a capture log line: {line!r}")
    if len(fields) != (4 if fields[2] == "data" else 3):
        raise ValueError(f"wrong number of fields: {line!r}")
    message = None
    if len(fields) == 4:
        if len(fields[3]) != 8:
            raise ValueError(f"message is not 8 hex digits: {line!r}")
        message = int(fields[3], 16)
    return Record(int(fields[0]), int(fields[1]), fields[2], message)


def parse(lines: Iterable[str]) -> List[Record]:
    """Every non-blank line, in order."""
    return [parse_line(line) for line in lines if line.strip()]


def read_log(path: str) -> List[Record]:
    with open(path, encoding="ascii") as log:
        return parse(log)


def decode(message: int) -> Tuple[int, int, int, int]:
    """A packed short message as (status, channel, data1, data2). A channel message gives its
    high nibble (0x80..0xE0) and channel 0..15; a system message its whole status byte
    (0xF0..0xFF) and channel 0. ValueError for a running-status message, which has none."""
    first = message & 0xFF
    if first < 0x80:
        raise ValueError(f"no status byte in {message:08x}")
    data1 = (message >> 8) & 0x7F
    data2 = (message >> 16) & 0x7F
    if first >= 0xF0:
        return first, 0, data1, data2
    return first & 0xF0, first & 0x0F, data1, data2


def note_messages(path: str) -> List[Tuple[int, int, int, int]]:
    """(ms, status, channel, note) of every note-on and note-off in a log."""
    decoded = [(r.ms, *decode(r.message)) for r in read_log(path) if r.kind == "data"]
    return [m[:4] for m in decoded if m[1] in (0x80, 0x90)]


_NAMES = {0x80: "note-off", 0x90: "note-on", 0xA0: "aftertouch", 0xB0: "control",
          0xC0: "program", 0xD0: "pressure", 0xE0: "pitch-bend"}


def describe(message: int) -> str:
    """A message in words, channels counted from 1: "note-on ch1 60 vel127"."""
    try:
        status, channel, data1, data2 = decode(message)
    except ValueError:
        return f"running-status {message:08x}"
    ch = f"ch{channel + 1}"
    if status in (0x80, 0x90):
        return f"{_NAMES[status]} {ch} {data1} vel{data2}"
    if status in (0xA0, 0xB0):
        return f"{_NAMES[status]} {ch} {data1} {data2}"
    if status in (0xC0, 0xD0):
        return f"{_NAMES[status]} {ch} {data1}"
    if status == 0xE0:
        return f"{_NAMES[status]} {ch} {data1 | data2 << 7}"
    return f"system {status:02x} {data1} {data2}"


def _message_bytes(message: int) -> bytes:
    status = decode(message)[0]
    length = 2 if status in (0xC0, 0xD0) else 3
    return message.to_bytes(4, "little")[:length]


def _varlen(value: int) -> bytes:
    out = [value & 0x7F]
    value >>= 7
    while value:
        out.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(out))


def write_smf(records: Iterable[Record], path: str) -> int:
    """Writes the channel messages of the data records as a format 0 Standard MIDI File in which
    a tick is a millisecond (500 ticks a quarter at 500000 us a quarter), the first message at
    tick 0. System and running-status messages are left out. Returns how many went in."""
    track = bytearray(b"\x00\xff\x51\x03" + (500000).to_bytes(3, "big"))
    start = previous = None
    count = 0
    for record in records:
        if record.kind != "data" or record.message is None:
            continue
        if (record.message & 0xFF) < 0x80 or (record.message & 0xFF) >= 0xF0:
            continue
        if start is None:
            start = previous = record.ms
        tick = max(record.ms, previous)  # a later line never goes back in the file
        track += _varlen(tick - previous) + _message_bytes(record.message)
        previous = tick
        count += 1
    track += b"\x00\xff\x2f\x00"
    with open(path, "wb") as smf:
        smf.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, 500))
        smf.write(b"MTrk" + struct.pack(">I", len(track)) + track)
    return count


def main(argv: List[str]) -> int:
    if len(argv) not in (2, 4) or (len(argv) == 4 and argv[2] != "--smf"):
        print(__doc__.strip(), file=sys.stderr)
        return 1
    records = read_log(argv[1])
    for record in records:
        text = f"{record.ms} dev{record.device} {record.kind}"
        if record.message is not None:
            text = f"{record.ms} dev{record.device} {describe(record.message)}"
        print(text)
    if len(argv) == 4:
        count = write_smf(records, argv[3])
        print(f"wrote {count} messages to {argv[3]}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
