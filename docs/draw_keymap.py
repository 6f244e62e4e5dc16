#!/usr/bin/env python3
"""Draws the key map of the README: which PC key plays which degree of the scale.

    python3 docs/draw_keymap.py          writes docs/keymap.png (drawn by ImageMagick's convert)
    python3 docs/draw_keymap.py --text   prints the same map as text, for the README

The four rows are staggered by half a key, as on the program's on-screen keyboard. Degrees are
written in numbered notation ("1" is the key's tonic, "b" a flat); a dot below the number means an
octave lower, two dots two octaves lower, a dot above an octave higher.
"""

import os
import subprocess
import sys

# The keys of each row from left to right (US legends), with the degree and octave each plays, from
# the one table of the help file's key map. Octave 5 holds middle C: in C major A plays note 60.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "art"))
from make_keymap import ROWS as KEY_ROWS  # noqa: E402

ROWS = [("".join(key[0] for key in row), [key[1] for key in row], [key[2] for key in row])
        for row in KEY_ROWS]

HALF = 38            # half a key, in pixels
KEY_W, KEY_H = 72, 74
MARGIN, TOP = 24, 62
WIDTH = MARGIN * 2 + 25 * HALF
HEIGHT = TOP + 4 * (KEY_H + 6) + 118
BACKGROUND = "#eee8d8"  # the program's window background


def keys():
    """(row, left pixel, key legend, degree, octave) of every key."""
    for row, (legends, degrees, octaves) in enumerate(ROWS):
        for i, (legend, degree, octave) in enumerate(zip(legends, degrees, octaves)):
            yield row, MARGIN + (row + 2 * i) * HALF, legend, degree, octave


def quoted(text):
    return "'" + text.replace("\\", "\\\\").replace("'", "\\'") + "'"


def mvg():
    """The drawing as ImageMagick MVG commands."""
    out = ["stroke-width 2", "text-anchor start", "font-size 26", "fill '#1a1a2e'", "stroke none",
           "text %d,%d %s" % (MARGIN, 38, quoted("Which key plays which note (C major: A plays middle C)"))]
    for row, x, legend, degree, octave in keys():
        y = TOP + row * (KEY_H + 6)
        flat = degree.startswith("b")
        face, ink = ("#34344a", "#ffffff") if flat else ("#fbf9f3", "#1a1a2e")
        edge = "#c0392b" if legend == "A" else "#6b6b7a"
        out += ["stroke-width %d" % (4 if legend == "A" else 2), "stroke '%s'" % edge, "fill '%s'" % face,
                "roundrectangle %d,%d %d,%d 8,8" % (x, y, x + KEY_W, y + KEY_H), "stroke none"]
        out += ["text-anchor start", "font-size 17", "fill '%s'" % ("#aab4ff" if flat else "#3456b0"),
                "text %d,%d %s" % (x + 7, y + 20, quoted(legend))]
        cx, cy = x + KEY_W // 2 + 6, y + 52
        out += ["text-anchor middle", "font-size 28", "fill '%s'" % ink, "text %d,%d %s" % (cx, cy, quoted(degree))]
        dot_x = cx + (5 if flat else 0)
        dots = {3: [cy + 8, cy + 16], 4: [cy + 8], 5: [], 6: [cy - 32]}[octave]
        for dy in dots:
            out.append("circle %d,%d %d,%d" % (dot_x, dy, dot_x + 3, dy))
    legend_top = TOP + 4 * (KEY_H + 6) + 24
    lines = [
        "1 2 3 4 5 6 7 = do re mi fa sol la ti;  b = flat (the dark keys are the sharps and flats)",
        "no dot: the middle octave; a dot below: an octave lower, two dots: two lower; a dot above: an octave higher",
        "Shift + keys: the chord an octave higher   Ctrl + keys: an octave lower   Esc: silence",
        "Alt + letter chooses the key (Alt+C C major, Alt+D D major, ... the menu 调式 lists them)",
    ]
    out += ["text-anchor start", "font-size 19", "fill '#1a1a2e'"]
    for i, line in enumerate(lines):
        out.append("text %d,%d %s" % (MARGIN, legend_top + 24 * i, quoted(line)))
    return "\n".join(out) + "\n"


def text_map():
    """The map as monospaced text: three characters a half key, octave marks , and '."""
    marks = {3: ",,", 4: ",", 5: "", 6: "'"}
    lines = []
    for row, (legends, degrees, octaves) in enumerate(ROWS):
        indent = " " * (3 * row)
        lines.append(indent + "".join(k.ljust(6) for k in legends).rstrip())
        lines.append(indent + "".join((d + marks[o]).ljust(6) for d, o in zip(degrees, octaves)).rstrip())
    return "\n".join(lines)


def main(argv):
    if argv[1:] == ["--text"]:
        print(text_map())
        return 0
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "keymap.png")
    # The legend names a menu in Chinese: a CJK face (fonts-wqy-microhei) draws all of the text.
    font = subprocess.run(["fc-match", "-f", "%{file}", "WenQuanYi Micro Hei"], check=True,
                          capture_output=True, text=True).stdout
    subprocess.run(["convert", "-size", "%dx%d" % (WIDTH, HEIGHT), "xc:" + BACKGROUND, "-font", font,
                    "-draw", mvg(), "-strip", "-define", "png:exclude-chunks=date,time", out], check=True)
    print("wrote", out)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
