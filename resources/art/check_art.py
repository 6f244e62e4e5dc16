#!/usr/bin/env python3
"""Checks the artwork files the program embeds.

    python3 resources/art/check_art.py [resources-directory]

Reads every file's headers and pixels and checks what the program relies on:
sizes, bit depths, cell layout, the shared background colour, the 16-colour
toolbar, readable key caps, the icon directory and the cursor's hot spot. It
then runs the generator in memory and checks that the files on disk are exactly
what it draws now, so hand-edited or stale artwork is caught.

Prints one line per problem and exits with status 1 if there is any.
"""

import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

VGA = {
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
    (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
    (255, 0, 255), (0, 255, 255), (255, 255, 255),
}
SILVER = (192, 192, 192)

problems = []


def problem(msg):
    problems.append(msg)


def luminance(c):
    """WCAG relative luminance of an sRGB colour."""
    def lin(v):
        v /= 255.0
        return v / 12.92 if v <= 0.03928 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (lin(v) for v in c)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)), reverse=True)
    return (la + 0.05) / (lb + 0.05)


# ---------------------------------------------------------------------------
# Readers
# ---------------------------------------------------------------------------

class Bitmap:
    """A BI_RGB .bmp file: header fields and pixels as rows of (r, g, b), top row first."""

    def __init__(self, name, data):
        self.name = name
        if len(data) < 54 or data[:2] != b'BM':
            raise ValueError('%s: not a BMP file' % name)
        _, bf_size, _, _, off = struct.unpack_from('<2sIHHI', data, 0)
        (size, w, h, planes, bpp, comp, size_image, _, _, clr_used,
         _) = struct.unpack_from('<IiiHHIIiiII', data, 14)
        if bf_size != len(data):
            problem('%s: file header says %d bytes, file has %d' % (name, bf_size, len(data)))
        if size != 40:
            raise ValueError('%s: info header is %d bytes, expected 40' % (name, size))
        if planes != 1:
            problem('%s: %d planes' % (name, planes))
        if comp != 0:
            raise ValueError('%s: compression %d, expected BI_RGB' % (name, comp))
        if h <= 0:
            raise ValueError('%s: height %d, expected a bottom-up bitmap' % (name, h))
        self.w, self.h, self.bpp = w, h, bpp
        self.palette = []
        if bpp <= 8:
            n = clr_used or (1 << bpp)
            if n > (1 << bpp):
                problem('%s: %d colour table entries for %d bpp' % (name, n, bpp))
            for i in range(n):
                b, g, r, _ = data[54 + 4 * i:58 + 4 * i]
                self.palette.append((r, g, b))
            expected_off = 54 + 4 * n
        else:
            expected_off = 54
        if off != expected_off:
            problem('%s: pixel data at %d, expected %d' % (name, off, expected_off))
        stride = (w * bpp + 31) // 32 * 4
        if size_image not in (0, stride * h):
            problem('%s: biSizeImage %d, expected %d' % (name, size_image, stride * h))
        if len(data) < off + stride * h:
            raise ValueError('%s: pixel data truncated' % name)
        self.indices = None
        rows = []
        for y in range(h):
            line = data[off + (h - 1 - y) * stride:off + (h - y) * stride]
            if bpp == 24:
                rows.append([(line[3 * x + 2], line[3 * x + 1], line[3 * x]) for x in range(w)])
            elif bpp == 8:
                rows.append(list(line[:w]))
            else:
                raise ValueError('%s: %d bpp not handled' % (name, bpp))
        if bpp == 8:
            self.indices = rows
            bad = {i for row in rows for i in row if i >= len(self.palette)}
            if bad:
                problem('%s: pixel indices %s beyond the colour table' % (name, sorted(bad)))
                rows = [[(0, 0, 0)] * w for _ in range(h)]
            else:
                rows = [[self.palette[i] for i in row] for row in rows]
        self.rows = rows

    def px(self, x, y):
        return self.rows[y][x]


def load_bitmap(directory, name):
    path = os.path.join(directory, name)
    try:
        with open(path, 'rb') as f:
            return Bitmap(name, f.read())
    except (OSError, ValueError) as e:
        problem(str(e))
        return None


def expect_size(bmp, w, h, bpp):
    if (bmp.w, bmp.h, bmp.bpp) != (w, h, bpp):
        problem('%s: %d x %d at %d bpp, expected %d x %d at %d bpp' % (bmp.name, bmp.w, bmp.h, bmp.bpp,
                                                                      w, h, bpp))
        return False
    return True


def colours_in(bmp, x0, y0, w, h):
    return {bmp.px(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w)}


# ---------------------------------------------------------------------------
# Checks per file
# ---------------------------------------------------------------------------

def check_splash(d):
    bmp = load_bitmap(d, 'splash.bmp')
    if bmp is None or not expect_size(bmp, 200, 200, 24):
        return
    if len(colours_in(bmp, 0, 0, 200, 200)) < 200:
        problem('splash.bmp: hardly any colours; is it a picture at all?')


def check_instruments(d):
    bmp = load_bitmap(d, 'instruments.bmp')
    if bmp is None or not expect_size(bmp, 2565, 141, 24):
        return
    bg = bmp.px(0, 0)
    if luminance(bg) < 0.6:
        problem('instruments.bmp: background %s is too dark for a window background' % (bg,))
    if contrast(bg, (255, 0, 0)) < 3.0:
        problem('instruments.bmp: red text would be hard to read on the background %s' % (bg,))
    cells = []
    for n in range(15):
        x0 = 171 * n
        border = [(x0 + x, y) for x in range(171) for y in (0, 140)] + \
                 [(x0 + x, y) for x in (0, 170) for y in range(141)]
        off = [p for p in border if bmp.px(*p) != bg]
        if off:
            problem('instruments.bmp: picture %d leaves the background colour at its edge, e.g. %s'
                    % (n, off[0]))
        drawn = sum(1 for y in range(141) for x in range(x0, x0 + 171) if bmp.px(x, y) != bg)
        if drawn < 171 * 141 // 10:
            problem('instruments.bmp: picture %d is nearly empty (%d pixels drawn)' % (n, drawn))
        cells.append(tuple(tuple(bmp.rows[y][x0:x0 + 171]) for y in range(141)))
    if len(set(cells)) != 15:
        problem('instruments.bmp: some pictures are identical')


def check_toolbar(d):
    bmp = load_bitmap(d, 'toolbar.bmp')
    if bmp is None or not expect_size(bmp, 480, 32, 8):
        return
    used = {c for row in bmp.rows for c in row}
    extra = used - VGA
    if extra:
        problem('toolbar.bmp: colours outside the 16 VGA colours: %s' % sorted(extra))
    for i in range(15):
        x0 = 32 * i
        for x, y in ((x0, 0), (x0 + 31, 0), (x0, 31), (x0 + 31, 31)):
            if bmp.px(x, y) != SILVER:
                problem('toolbar.bmp: icon %d corner (%d, %d) is %s, not the toolbar silver'
                        % (i, x, y, bmp.px(x, y)))
        if i < 14 and colours_in(bmp, x0, 0, 32, 32) <= {SILVER}:
            problem('toolbar.bmp: icon %d is blank' % i)


def check_keys(d):
    bmp = load_bitmap(d, 'keys.bmp')
    if bmp is None or not expect_size(bmp, 152, 39, 24):
        return
    # Each cap must carry a black label in its middle: take the middle 14 x 14 pixels.
    hue_tests = [
        ('up', lambda r, g, b: max(r, g, b) - min(r, g, b) <= 16),
        ('down', lambda r, g, b: b > r + 20 and b > g + 10),
        ('down, octave up', lambda r, g, b: r > g + 20 and r > b + 20),
        ('down, octave down', lambda r, g, b: g > r + 20 and g > b + 20),
    ]
    for i, (what, is_hue) in enumerate(hue_tests):
        x0 = 38 * i
        middle = colours_in(bmp, x0 + 12, 12, 14, 14)
        worst = min(contrast(c, (0, 0, 0)) for c in middle)
        if worst < 7.0:
            problem('keys.bmp: key cap %d (%s) is too dark in the middle for a black label '
                    '(contrast %.1f)' % (i, what, worst))
        r, g, b = (sum(c[k] for c in middle) / len(middle) for k in range(3))
        if not is_hue(r, g, b):
            problem('keys.bmp: key cap %d should be the "%s" colour, its middle is %.0f, %.0f, %.0f'
                    % (i, what, r, g, b))
        edge = bmp.px(x0 + 19, 37)
        if contrast(edge, (0, 0, 0)) > contrast(bmp.px(x0 + 19, 19), (0, 0, 0)):
            problem('keys.bmp: key cap %d has no darker lower edge' % i)


def read_dir(name, data, kind):
    """Entries of an .ico (kind 1) or .cur (kind 2) directory."""
    if len(data) < 6:
        raise ValueError('%s: too short' % name)
    reserved, typ, count = struct.unpack_from('<HHH', data, 0)
    if reserved != 0 or typ != kind:
        raise ValueError('%s: directory type %d, expected %d' % (name, typ, kind))
    entries = []
    for i in range(count):
        w, h, colours, res, a, b, size, off = struct.unpack_from('<BBBBHHII', data, 6 + 16 * i)
        if off + size > len(data) or off < 6 + 16 * count:
            raise ValueError('%s: image %d lies outside the file' % (name, i))
        entries.append(dict(w=w or 256, h=h or 256, colours=colours, res=res, a=a, b=b, size=size, off=off))
    spans = sorted((e['off'], e['off'] + e['size']) for e in entries)
    for (a0, a1), (b0, _) in zip(spans, spans[1:]):
        if b0 < a1:
            raise ValueError('%s: images overlap' % name)
    return entries


def read_dib(name, data, e):
    """Header, colour table, XOR rows and AND rows (top row first) of one icon/cursor image."""
    size, w, h2, planes, bpp, comp = struct.unpack_from('<IiiHHI', data, e['off'])
    if size != 40 or comp != 0 or planes != 1:
        raise ValueError('%s: image header size %d, compression %d, planes %d' % (name, size, comp, planes))
    if w != e['w'] or h2 != 2 * e['h']:
        raise ValueError('%s: image is %d x %d/2, directory says %d x %d' % (name, w, h2, e['w'], e['h']))
    h = h2 // 2
    n_colours = (1 << bpp) if bpp <= 8 else 0
    clr_used = struct.unpack_from('<I', data, e['off'] + 32)[0]
    if bpp <= 8 and clr_used:
        n_colours = clr_used
    table_at = e['off'] + 40
    table = [tuple(data[table_at + 4 * i:table_at + 4 * i + 3][::-1]) for i in range(n_colours)]
    xor_stride = (w * bpp + 31) // 32 * 4
    and_stride = (w + 31) // 32 * 4
    xor_at = table_at + 4 * n_colours
    and_at = xor_at + xor_stride * h
    end = and_at + and_stride * h
    if end - e['off'] != e['size']:
        raise ValueError('%s: %d x %d image needs %d bytes, directory says %d'
                         % (name, w, h, end - e['off'], e['size']))
    xor, andm = [], []
    for y in range(h):
        line = data[xor_at + (h - 1 - y) * xor_stride:xor_at + (h - y) * xor_stride]
        mline = data[and_at + (h - 1 - y) * and_stride:and_at + (h - y) * and_stride]
        andm.append([(mline[x >> 3] >> (7 - (x & 7))) & 1 for x in range(w)])
        if bpp == 24:
            xor.append([(line[3 * x + 2], line[3 * x + 1], line[3 * x]) for x in range(w)])
        elif bpp == 32:
            xor.append([(line[4 * x + 2], line[4 * x + 1], line[4 * x]) for x in range(w)])
        elif bpp == 1:
            xor.append([(line[x >> 3] >> (7 - (x & 7))) & 1 for x in range(w)])
        elif bpp in (4, 8):
            per = 8 // bpp
            xor.append([table[(line[x // per] >> (8 - bpp * (x % per + 1))) & ((1 << bpp) - 1)]
                        for x in range(w)])
        else:
            raise ValueError('%s: %d bpp image' % (name, bpp))
    return bpp, table, xor, andm


def check_icon(d):
    name = 'tonvira.ico'
    try:
        with open(os.path.join(d, name), 'rb') as f:
            data = f.read()
        entries = read_dir(name, data, 1)
        sizes = sorted((e['w'], e['h']) for e in entries)
        if sizes != [(16, 16), (32, 32), (48, 48)]:
            problem('%s: sizes %s, expected 16 x 16, 32 x 32 and 48 x 48' % (name, sizes))
        for e in entries:
            bpp, _, xor, andm = read_dib(name, data, e)
            if e['b'] != bpp or e['a'] not in (0, 1):
                problem('%s: directory says %d bpp and %d planes, image has %d bpp'
                        % (name, e['b'], e['a'], bpp))
            if bpp not in (4, 8, 24):
                problem('%s: %d bpp; 4, 8 or 24 bpp with an AND mask expected' % (name, bpp))
            opaque = sum(1 for row in andm for v in row if v == 0)
            if opaque < e['w'] * e['h'] // 2:
                problem('%s: the %d x %d image is mostly transparent' % (name, e['w'], e['h']))
            # Transparent pixels must be black in the colour image, or they would invert the
            # desktop behind them.
            for y, row in enumerate(andm):
                for x, v in enumerate(row):
                    if v and xor[y][x] != (0, 0, 0):
                        problem('%s: %d x %d pixel (%d, %d) is transparent but not black'
                                % (name, e['w'], e['h'], x, y))
                        break
    except (OSError, ValueError, struct.error) as ex:
        problem(str(ex))


def check_cursor(d):
    name = 'play.cur'
    try:
        with open(os.path.join(d, name), 'rb') as f:
            data = f.read()
        entries = read_dir(name, data, 2)
        if len(entries) != 1:
            problem('%s: %d images, expected one' % (name, len(entries)))
        e = entries[0]
        if (e['w'], e['h']) != (32, 32):
            problem('%s: %d x %d, expected 32 x 32' % (name, e['w'], e['h']))
        if (e['a'], e['b']) != (10, 2):
            problem('%s: hot spot (%d, %d), expected (10, 2)' % (name, e['a'], e['b']))
        bpp, table, xor, andm = read_dib(name, data, e)
        if bpp != 1:
            problem('%s: %d bpp, expected a monochrome cursor' % (name, bpp))
        elif table[:2] != [(0, 0, 0), (255, 255, 255)]:
            problem('%s: colour table %s, expected black and white' % (name, table))
        hx, hy = e['a'], e['b']
        if hy < len(andm) and hx < len(andm[0]) and andm[hy][hx] != 0:
            problem('%s: the hot spot (%d, %d) is a transparent pixel' % (name, hx, hy))
        shown = sum(1 for row in andm for v in row if v == 0)
        whites = sum(1 for y in range(len(xor)) for x in range(len(xor[0])) if andm[y][x] == 0 and xor[y][x])
        if shown < 60 or whites < 30 or whites == shown:
            problem('%s: expected a black-outlined white shape (%d pixels shown, %d white)'
                    % (name, shown, whites))
    except (OSError, ValueError, struct.error, IndexError) as ex:
        problem(str(ex))


def check_up_to_date(d):
    sys.dont_write_bytecode = True  # leave no __pycache__ in the source tree
    sys.path.insert(0, HERE)
    import make_art
    for name, data in make_art.build().items():
        try:
            with open(os.path.join(d, name), 'rb') as f:
                on_disk = f.read()
        except OSError as ex:
            problem(str(ex))
            continue
        if on_disk != data:
            problem('%s differs from what make_art.py draws; run python3 resources/art/make_art.py' % name)


def main(argv):
    d = argv[1] if len(argv) > 1 else os.path.dirname(HERE)
    for check in (check_splash, check_instruments, check_toolbar, check_keys, check_icon, check_cursor,
                  check_up_to_date):
        check(d)
    for p in problems:
        print(p)
    if problems:
        print('%d problem(s) in the artwork in %s' % (len(problems), d))
        return 1
    print('artwork in %s: all checks passed' % d)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
