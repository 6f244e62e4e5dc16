#!/usr/bin/env python3
"""Draws the key map of the help file: which PC key plays which degree in C major.

    python3 resources/art/make_keymap.py [output-file]

The output defaults to resources/help/keymap.png. Only the Python standard library is
used; the lettering is the script's own 5 x 7 pixel alphabet, and the same run always
writes the same bytes.

The picture shows the four rows of playable keys staggered like the keyboard, each key
with its legend on a US keyboard (top left) and its degree in numbered notation (middle),
with one dot above for the high octave and one or two dots below for the lower ones.
Natural degrees are white keys, flats dark keys, and A (middle C) is yellow.
"""

import os
import struct
import sys
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))

# (legend, degree label, octave), one list per row from the top; row r starts r half keys in.
ROWS = [
    [('1', 'b5', 3), ('2', 'b6', 3), ('3', 'b7', 3), ('4', '7', 3), ('5', 'b2', 4),
     ('6', 'b3', 4), ('7', '3', 4), ('8', 'b5', 4), ('9', 'b6', 4), ('0', 'b7', 4),
     ('-', 'b5', 6), ('=', 'b6', 6)],
    [('Q', '5', 3), ('W', '6', 3), ('E', '7', 3), ('R', '1', 4), ('T', '2', 4), ('Y', '3', 4),
     ('U', '4', 4), ('I', '5', 4), ('O', '6', 4), ('P', '7', 4), ('[', '5', 6), (']', '6', 6)],
    [('A', '1', 5), ('S', '2', 5), ('D', '3', 5), ('F', '4', 5), ('G', '5', 5), ('H', '6', 5),
     ('J', '7', 5), ('K', '1', 6), ('L', '2', 6), (';', '3', 6), ("'", '4', 6)],
    [('Z', 'b2', 5), ('X', 'b3', 5), ('C', '3', 5), ('V', 'b5', 5), ('B', 'b6', 5),
     ('N', 'b7', 5), ('M', '7', 5), (',', 'b2', 6), ('.', 'b3', 6), ('/', '3', 6)],
]

# 5 x 7 glyphs, one string of five characters per pixel row.
GLYPHS = {
    '0': ['.###.', '#...#', '#..##', '#.#.#', '##..#', '#...#', '.###.'],
    '1': ['..#..', '.##..', '..#..', '..#..', '..#..', '..#..', '.###.'],
    '2': ['.###.', '#...#', '....#', '...#.', '..#..', '.#...', '#####'],
    '3': ['####.', '....#', '....#', '.###.', '....#', '....#', '####.'],
    '4': ['...#.', '..##.', '.#.#.', '#..#.', '#####', '...#.', '...#.'],
    '5': ['#####', '#....', '####.', '....#', '....#', '#...#', '.###.'],
    '6': ['..##.', '.#...', '#....', '####.', '#...#', '#...#', '.###.'],
    '7': ['#####', '....#', '...#.', '..#..', '.#...', '.#...', '.#...'],
    '8': ['.###.', '#...#', '#...#', '.###.', '#...#', '#...#', '.###.'],
    '9': ['.###.', '#...#', '#...#', '.####', '....#', '...#.', '.##..'],
    'A': ['.###.', '#...#', '#...#', '#####', '#...#', '#...#', '#...#'],
    'B': ['####.', '#...#', '#...#', '####.', '#...#', '#...#', '####.'],
    'C': ['.###.', '#...#', '#....', '#....', '#....', '#...#', '.###.'],
    'D': ['###..', '#..#.', '#...#', '#...#', '#...#', '#..#.', '###..'],
    'E': ['#####', '#....', '#....', '####.', '#....', '#....', '#####'],
    'F': ['#####', '#....', '#....', '####.', '#....', '#....', '#....'],
    'G': ['.###.', '#...#', '#....', '#.###', '#...#', '#...#', '.####'],
    'H': ['#...#', '#...#', '#...#', '#####', '#...#', '#...#', '#...#'],
    'I': ['.###.', '..#..', '..#..', '..#..', '..#..', '..#..', '.###.'],
    'J': ['..###', '...#.', '...#.', '...#.', '...#.', '#..#.', '.##..'],
    'K': ['#...#', '#..#.', '#.#..', '##...', '#.#..', '#..#.', '#...#'],
    'L': ['#....', '#....', '#....', '#....', '#....', '#....', '#####'],
    'M': ['#...#', '##.##', '#.#.#', '#.#.#', '#...#', '#...#', '#...#'],
    'N': ['#...#', '#...#', '##..#', '#.#.#', '#..##', '#...#', '#...#'],
    'O': ['.###.', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
    'P': ['####.', '#...#', '#...#', '####.', '#....', '#....', '#....'],
    'Q': ['.###.', '#...#', '#...#', '#...#', '#.#.#', '#..#.', '.##.#'],
    'R': ['####.', '#...#', '#...#', '####.', '#.#..', '#..#.', '#...#'],
    'S': ['.####', '#....', '#....', '.###.', '....#', '....#', '####.'],
    'T': ['#####', '..#..', '..#..', '..#..', '..#..', '..#..', '..#..'],
    'U': ['#...#', '#...#', '#...#', '#...#', '#...#', '#...#', '.###.'],
    'V': ['#...#', '#...#', '#...#', '#...#', '#...#', '.#.#.', '..#..'],
    'W': ['#...#', '#...#', '#...#', '#.#.#', '#.#.#', '#.#.#', '.#.#.'],
    'X': ['#...#', '#...#', '.#.#.', '..#..', '.#.#.', '#...#', '#...#'],
    'Y': ['#...#', '#...#', '.#.#.', '..#..', '..#..', '..#..', '..#..'],
    'Z': ['#####', '....#', '...#.', '..#..', '.#...', '#....', '#####'],
    'b': ['#....', '#....', '#.##.', '##..#', '#...#', '#...#', '####.'],
    '-': ['.....', '.....', '.....', '#####', '.....', '.....', '.....'],
    '=': ['.....', '.....', '#####', '.....', '#####', '.....', '.....'],
    '[': ['.###.', '.#...', '.#...', '.#...', '.#...', '.#...', '.###.'],
    ']': ['.###.', '...#.', '...#.', '...#.', '...#.', '...#.', '.###.'],
    ';': ['.....', '..##.', '..##.', '.....', '..##.', '..##.', '.##..'],
    "'": ['..##.', '..##.', '.##..', '.....', '.....', '.....', '.....'],
    ',': ['.....', '.....', '.....', '.....', '..##.', '..##.', '.##..'],
    '.': ['.....', '.....', '.....', '.....', '.....', '.##..', '.##..'],
    '/': ['.....', '....#', '...#.', '..#..', '.#...', '#....', '.....'],
}

HALF = 30          # half a key, the stagger between rows
KEY_W, KEY_H = 2 * HALF - 4, 76
ROW_STEP = KEY_H + 4
MARGIN = 8
WIDTH = MARGIN * 2 + 26 * HALF
HEIGHT = MARGIN * 2 + 4 * ROW_STEP - 4

BACKGROUND = (238, 232, 216)  # the program's window background
BORDER = (70, 70, 70)
NATURAL, FLAT, MIDDLE_C = (255, 255, 255), (64, 64, 80), (255, 236, 140)
DARK_TEXT, LIGHT_TEXT = (0, 0, 0), (255, 255, 255)
LEGEND_ON_NATURAL, LEGEND_ON_FLAT = (150, 40, 40), (255, 190, 120)


def draw():
    pixels = [[BACKGROUND] * WIDTH for _ in range(HEIGHT)]

    def fill(x0, y0, w, h, colour):
        for y in range(y0, y0 + h):
            row = pixels[y]
            for x in range(x0, x0 + w):
                row[x] = colour

    def text(s, x0, y0, scale, colour):
        for glyph in s:
            for gy, line in enumerate(GLYPHS[glyph]):
                for gx, bit in enumerate(line):
                    if bit == '#':
                        fill(x0 + gx * scale, y0 + gy * scale, scale, scale, colour)
            x0 += 6 * scale

    def text_width(s, scale):
        return len(s) * 6 * scale - scale

    for r, row in enumerate(ROWS):
        for i, (legend, label, octave) in enumerate(row):
            x, y = MARGIN + (r + 2 * i) * HALF, MARGIN + r * ROW_STEP
            flat = label.startswith('b')
            face = MIDDLE_C if legend == 'A' else FLAT if flat else NATURAL
            ink = LIGHT_TEXT if flat else DARK_TEXT
            fill(x, y, KEY_W, KEY_H, BORDER)
            fill(x + 2, y + 2, KEY_W - 4, KEY_H - 4, face)
            text(legend, x + 5, y + 5, 2, LEGEND_ON_FLAT if flat else LEGEND_ON_NATURAL)
            lx, ly = x + (KEY_W - text_width(label, 3)) // 2, y + 30
            text(label, lx, ly, 3, ink)
            # Octave dots centred on the degree digit (the last glyph of the label).
            dx = lx + text_width(label, 3) - 15 + 5
            if octave == 6:
                fill(dx, ly - 8, 5, 5, ink)
            for n in range(5 - octave if octave < 5 else 0):
                fill(dx, ly + 25 + 8 * n, 5, 5, ink)
    return pixels


def png(pixels):
    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))
    raw = b''.join(b'\0' + bytes(c for p in row for c in p) for row in pixels)
    header = struct.pack('>IIBBBBB', len(pixels[0]), len(pixels), 8, 2, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(raw, 9))
            + chunk(b'IEND', b''))


def build():
    return png(draw())


def main(argv):
    target = argv[1] if len(argv) > 1 else os.path.join(HERE, '..', 'help', 'keymap.png')
    with open(target, 'wb') as f:
        f.write(build())


if __name__ == '__main__':
    main(sys.argv)
