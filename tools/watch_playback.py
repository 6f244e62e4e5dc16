#!/usr/bin/env python3
"""Follows the capture log while the program plays a recording by itself, takes a screenshot
while the most keys are down, and returns when the recording has played.

    python3 tools/watch_playback.py CAPTURE_LOG SCREENSHOT [RECORDING]

Used by tools/run.sh on Xvfb. Without a recording (or one it cannot read) it takes the
screenshot eight seconds after start, when the splash has given way to the main window.
"""

import os
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
sys.path.insert(0, os.path.join(ROOT, "tools", "midi_capture"))
import midi_log  # noqa: E402
import recording_reader  # noqa: E402

START_UP_S = 5.5 + 10  # the splash, the half second before playing, and room for a slow start


def chord_moment(notes):
    """(how many note messages have gone out, seconds to wait then) for the screenshot: the first
    moment when the most notes sound and stay down for a while."""
    down, best = set(), None
    for i, (t, status, channel, note) in enumerate(notes):
        if status == 0x90:
            down.add((channel, note))
        else:
            down.discard((channel, note))
        hold = (notes[i + 1][0] - t) if i + 1 < len(notes) else 0
        if hold >= 200 and (best is None or len(down) > best[0]):
            best = (len(down), i + 1, min(hold / 2000, 0.25))
    return (best[1], best[2]) if best else (len(notes), 0.0)


def screenshot(path, what):
    subprocess.run(["import", "-window", "root", path], check=False)
    print(f"screenshot {what}")


def main(argv):
    log, shot = argv[1], argv[2]
    try:
        notes = recording_reader.expected_notes(argv[3]) if len(argv) > 3 else []
    except (OSError, AssertionError, KeyError, IndexError, TypeError, ValueError):
        notes = []
    if not notes:
        time.sleep(8)
        screenshot(shot, "of the main window")
        return 0
    after, wait = chord_moment(notes)
    deadline = time.monotonic() + START_UP_S + notes[-1][0] / 1000 + 5
    shot_taken = False
    sent = 0
    while time.monotonic() < deadline:
        try:
            sent = len(midi_log.note_messages(log)) if os.path.exists(log) else 0
        except ValueError:
            pass  # a line half written; read it again next time
        if not shot_taken and sent >= after:
            time.sleep(wait)
            screenshot(shot, "while keys are down")
            shot_taken = True
        if sent >= len(notes):
            time.sleep(0.5)
            return 0
        time.sleep(0.05)
    if not shot_taken:
        screenshot(shot, "at the end of the wait (the recording did not play through)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
