#!/usr/bin/env python3
"""Compares the MIDI messages a capture log holds with the ones a test expects.

    check_capture.py LOG EXPECTED...   each EXPECTED is "on CH NOTE VEL", "off CH NOTE",
                                       "program CH P", "silence" (All Notes Off on 16 channels)

Prints one line per check and "<name>: N passed, M failed" at the end; exit 1 on any failure.
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "midi_capture"))
import midi_log  # noqa: E402


def expand(words):
    """The expected messages as (status, channel, data1, data2) tuples."""
    out = []
    for word in words:
        kind, *numbers = word.split()
        n = [int(x) for x in numbers]
        if kind == "on":
            out.append((0x90, n[0], n[1], n[2]))
        elif kind == "off":
            out.append((0x80, n[0], n[1], 0))
        elif kind == "program":
            out.append((0xC0, n[0], n[1], 0))
        elif kind == "silence":
            out.extend((0xB0, channel, 123, 0) for channel in range(16))
        else:
            raise ValueError(f"unknown expectation {word!r}")
    return out


def main(argv):
    log, expected = argv[1], expand(argv[2:])
    records = [r for r in midi_log.read_log(log) if r.kind == "data"]
    got = [midi_log.decode(r.message) for r in records]
    passed = failed = 0
    for i, want in enumerate(expected):
        have = got[i] if i < len(got) else None
        ok = have == want
        passed += ok
        failed += not ok
        print(f"{'ok  ' if ok else 'FAIL'} message {i}: expected {want}, captured {have}")
    if len(got) > len(expected):
        failed += 1
        print(f"FAIL {len(got) - len(expected)} more messages than expected: {got[len(expected):]}")
    times = [r.ms for r in records]
    if times != sorted(times):
        failed += 1
        print("FAIL capture times go backwards")
    print(f"capture: {passed} passed, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
