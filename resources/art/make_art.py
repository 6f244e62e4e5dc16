#!/usr/bin/env python3
"""Draws Tonvira's artwork and writes it as the resource files the program embeds.

    python3 resources/art/make_art.py [output-directory]

The output directory defaults to resources/ (the parent of this script's folder).
Only the Python standard library is used. Everything is drawn here with a small
anti-aliased polygon rasteriser (filled polygons, ellipses, strokes, gradients);
no fonts, no bitmaps from elsewhere, no randomness, no timestamps: the same run
always produces the same bytes.

Files written:
    splash.bmp       200 x 200, 24 bpp   splash screen and About box picture
    instruments.bmp  2565 x 141, 24 bpp  fifteen 171 x 141 instrument pictures
    toolbar.bmp      480 x 32, 8 bpp     fifteen 32 x 32 toolbar icons, 16 VGA colours
    keys.bmp         152 x 39, 24 bpp    key caps: up, down, down+octave, down-octave
    tonvira.ico      48 x 48, 32 x 32 and 16 x 16, 24 bpp with AND mask
    play.cur         32 x 32 monochrome cursor, hot spot (10, 2)
"""

import math
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Colours
# ---------------------------------------------------------------------------

# Window background of the whole program: pixel (0, 0) of instruments.bmp.
BACKGROUND = (238, 232, 216)

# The sixteen colours of the standard VGA palette, in the Windows order.
VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER, GREY, RED, LIME, \
    YELLOW, BLUE, FUCHSIA, AQUA, WHITE = VGA


def mix(a, b, t):
    """Colour a moved a fraction t of the way towards b."""
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def darker(c, f):
    return mix(c, (0, 0, 0), f)


def lighter(c, f):
    return mix(c, (255, 255, 255), f)


# ---------------------------------------------------------------------------
# Geometry helpers (all in the caller's local coordinates)
# ---------------------------------------------------------------------------

def cubic(p0, p1, p2, p3, n=16):
    """Points of a cubic Bezier curve, p0 included, p3 included."""
    pts = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        a, b, c, d = u * u * u, 3 * u * u * t, 3 * u * t * t, t * t * t
        pts.append((a * p0[0] + b * p1[0] + c * p2[0] + d * p3[0],
                    a * p0[1] + b * p1[1] + c * p2[1] + d * p3[1]))
    return pts


def quad(p0, p1, p2, n=12):
    """Points of a quadratic Bezier curve, both ends included."""
    pts = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        pts.append((u * u * p0[0] + 2 * u * t * p1[0] + t * t * p2[0],
                    u * u * p0[1] + 2 * u * t * p1[1] + t * t * p2[1]))
    return pts


def path(*pieces):
    """Joins point lists, dropping a point that repeats the previous one."""
    out = []
    for piece in pieces:
        for p in piece:
            if not out or abs(out[-1][0] - p[0]) > 1e-9 or abs(out[-1][1] - p[1]) > 1e-9:
                out.append(p)
    return out


def arc(cx, cy, rx, ry, a0, a1, n=None):
    """Points on an elliptical arc from angle a0 to a1 (degrees, y down, 0 = +x)."""
    if n is None:
        n = max(4, int(abs(a1 - a0) / 8))
    pts = []
    for i in range(n + 1):
        a = math.radians(a0 + (a1 - a0) * i / n)
        pts.append((cx + rx * math.cos(a), cy + ry * math.sin(a)))
    return pts


def ellipse_pts(cx, cy, rx, ry, rot=0.0, n=None):
    if n is None:
        n = max(12, min(96, int((rx + ry) * 1.6)))
    c, s = math.cos(math.radians(rot)), math.sin(math.radians(rot))
    pts = []
    for i in range(n):
        a = 2 * math.pi * i / n
        x, y = rx * math.cos(a), ry * math.sin(a)
        pts.append((cx + x * c - y * s, cy + x * s + y * c))
    return pts


def rrect_pts(x0, y0, x1, y1, r):
    r = min(r, (x1 - x0) / 2, (y1 - y0) / 2)
    if r <= 0:
        return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    n = max(3, int(r * 1.5))
    return path(arc(x1 - r, y0 + r, r, r, -90, 0, n), arc(x1 - r, y1 - r, r, r, 0, 90, n),
                arc(x0 + r, y1 - r, r, r, 90, 180, n), arc(x0 + r, y0 + r, r, r, 180, 270, n))


def lerp_pt(a, b, t):
    return (a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t)


def smooth(pts, closed=True, n=8):
    """Catmull-Rom curve through the points."""
    out = []
    m = len(pts)
    segs = m if closed else m - 1
    for i in range(segs):
        p0 = pts[(i - 1) % m] if closed or i > 0 else pts[0]
        p1 = pts[i]
        p2 = pts[(i + 1) % m]
        p3 = pts[(i + 2) % m] if closed or i + 2 < m else pts[-1]
        for k in range(n):
            t = k / n
            t2, t3 = t * t, t * t * t
            out.append(tuple(0.5 * (2 * p1[j] + (-p0[j] + p2[j]) * t + (2 * p0[j] - 5 * p1[j] + 4 * p2[j] - p3[j]) * t2
                                    + (-p0[j] + 3 * p1[j] - 3 * p2[j] + p3[j]) * t3) for j in (0, 1)))
    if not closed:
        out.append(pts[-1])
    return out


def offset_polyline(pts, half_widths):
    """Outline of a ribbon of varying half width around an open polyline."""
    left, right = [], []
    n = len(pts)
    for i in range(n):
        if i == 0:
            dx, dy = pts[1][0] - pts[0][0], pts[1][1] - pts[0][1]
        elif i == n - 1:
            dx, dy = pts[-1][0] - pts[-2][0], pts[-1][1] - pts[-2][1]
        else:
            dx, dy = pts[i + 1][0] - pts[i - 1][0], pts[i + 1][1] - pts[i - 1][1]
        ln = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / ln, dx / ln
        hw = half_widths(i / (n - 1)) if callable(half_widths) else half_widths
        left.append((pts[i][0] + nx * hw, pts[i][1] + ny * hw))
        right.append((pts[i][0] - nx * hw, pts[i][1] - ny * hw))
    return left + right[::-1]


def signed_area(pts):
    a = 0.0
    for i in range(len(pts)):
        x0, y0 = pts[i]
        x1, y1 = pts[(i + 1) % len(pts)]
        a += x0 * y1 - x1 * y0
    return a / 2


# ---------------------------------------------------------------------------
# Paints
# ---------------------------------------------------------------------------

class Linear:
    """Linear gradient between device points p0 and p1 with colour stops [(t, colour)]."""

    def __init__(self, p0, p1, stops):
        self.x0, self.y0 = p0
        dx, dy = p1[0] - p0[0], p1[1] - p0[1]
        d2 = dx * dx + dy * dy or 1.0
        self.kx, self.ky = dx / d2, dy / d2
        self.stops = stops

    def __call__(self, x, y):
        return stop_colour(self.stops, (x - self.x0) * self.kx + (y - self.y0) * self.ky)


class Radial:
    """Radial gradient around a device point; t = distance / radius (elliptical if ry given)."""

    def __init__(self, c, rx, ry, stops):
        self.cx, self.cy = c
        self.irx, self.iry = 1.0 / rx, 1.0 / ry
        self.stops = stops

    def __call__(self, x, y):
        return stop_colour(self.stops, math.hypot((x - self.cx) * self.irx, (y - self.cy) * self.iry))


def stop_colour(stops, t):
    if t <= stops[0][0]:
        return stops[0][1]
    for i in range(1, len(stops)):
        if t <= stops[i][0]:
            t0, c0 = stops[i - 1]
            t1, c1 = stops[i]
            return mix(c0, c1, (t - t0) / ((t1 - t0) or 1.0))
    return stops[-1][1]


# ---------------------------------------------------------------------------
# Canvas with an anti-aliased scanline rasteriser
# ---------------------------------------------------------------------------

SUBROWS = 8  # vertical samples per pixel; horizontal coverage is computed exactly


class Canvas:
    def __init__(self, w, h, bg=(0, 0, 0), aa=True):
        self.w, self.h = w, h
        n = w * h
        self.r = [float(bg[0])] * n
        self.g = [float(bg[1])] * n
        self.b = [float(bg[2])] * n
        self.aa = aa
        self.m = (1.0, 0.0, 0.0, 1.0, 0.0, 0.0)  # x' = a x + c y + e, y' = b x + d y + f
        self.clipmask = None
        self.stack = []

    # -- transform -----------------------------------------------------------
    def save(self):
        self.stack.append((self.m, self.clipmask))

    def restore(self):
        self.m, self.clipmask = self.stack.pop()

    def _concat(self, a, b, c, d, e, f):
        A, B, C, D, E, F = self.m
        self.m = (A * a + C * b, B * a + D * b, A * c + C * d, B * c + D * d,
                  A * e + C * f + E, B * e + D * f + F)

    def translate(self, x, y):
        self._concat(1, 0, 0, 1, x, y)

    def scale(self, sx, sy=None):
        self._concat(sx, 0, 0, sx if sy is None else sy, 0, 0)

    def rotate(self, deg, cx=0.0, cy=0.0):
        c, s = math.cos(math.radians(deg)), math.sin(math.radians(deg))
        self.translate(cx, cy)
        self._concat(c, s, -s, c, 0, 0)
        self.translate(-cx, -cy)

    def tp(self, p):
        a, b, c, d, e, f = self.m
        return (a * p[0] + c * p[1] + e, b * p[0] + d * p[1] + f)

    def unit(self):
        a, b, c, d, _, _ = self.m
        return math.sqrt(abs(a * d - b * c))

    # -- paints in local coordinates ----------------------------------------------
    def linear(self, p0, p1, stops):
        return Linear(self.tp(p0), self.tp(p1), stops)

    def radial(self, c, rx, stops, ry=None):
        u = self.unit()
        return Radial(self.tp(c), rx * u, (rx if ry is None else ry) * u, stops)

    # -- coverage -------------------------------------------------------------------
    def _coverage(self, contours, evenodd=False):
        """Returns (x0, y0, width, rows of coverage) for device-space contours."""
        edges = []
        xmin = ymin = float('inf')
        xmax = ymax = float('-inf')
        for c in contours:
            n = len(c)
            if n < 3:
                continue
            for i in range(n):
                x0, y0 = c[i]
                x1, y1 = c[(i + 1) % n]
                xmin = min(xmin, x0)
                xmax = max(xmax, x0)
                ymin = min(ymin, y0)
                ymax = max(ymax, y0)
                if y0 == y1:
                    continue
                d = 1
                if y0 > y1:
                    x0, y0, x1, y1, d = x1, y1, x0, y0, -1
                edges.append((y0, y1, x0, (x1 - x0) / (y1 - y0), d))
        if not edges:
            return None
        px0 = max(0, int(math.floor(xmin)))
        px1 = min(self.w, int(math.ceil(xmax)) + 1)
        py0 = max(0, int(math.floor(ymin)))
        py1 = min(self.h, int(math.ceil(ymax)) + 1)
        if px0 >= px1 or py0 >= py1:
            return None
        W = px1 - px0
        edges.sort()
        rows = []
        nxt = 0
        active = []
        if self.aa:
            subs = [(s + 0.5) / SUBROWS for s in range(SUBROWS)]
            wgt = 1.0 / SUBROWS
        else:
            subs = [0.5]
            wgt = 1.0
        for py in range(py0, py1):
            acc = [0.0] * (W + 2)
            diff = [0.0] * (W + 2)
            touched = False
            for off in subs:
                sy = py + off
                while nxt < len(edges) and edges[nxt][0] <= sy:
                    active.append(edges[nxt])
                    nxt += 1
                if not active:
                    continue
                active = [e for e in active if e[1] > sy]
                xs = [(e[2] + (sy - e[0]) * e[3], e[4]) for e in active if e[0] <= sy]
                if len(xs) < 2:
                    continue
                xs.sort()
                wind = 0
                for i in range(len(xs) - 1):
                    wind += xs[i][1]
                    inside = (wind & 1) if evenodd else wind != 0
                    if not inside:
                        continue
                    a = max(xs[i][0], px0) - px0
                    b = min(xs[i + 1][0], px1) - px0
                    if b <= a:
                        continue
                    touched = True
                    if self.aa:
                        ia, ib = int(a), int(b)
                        if ia == ib:
                            acc[ia] += (b - a) * wgt
                        else:
                            acc[ia] += (ia + 1 - a) * wgt
                            diff[ia + 1] += wgt
                            diff[ib] -= wgt
                            acc[ib] += (b - ib) * wgt
                    else:
                        ia = int(math.ceil(a - 0.5))
                        ib = int(math.ceil(b - 0.5))
                        if ib > ia:
                            diff[ia] += 1.0
                            diff[ib] -= 1.0
            if not touched:
                rows.append(None)
                continue
            run = 0.0
            row = [0.0] * W
            for i in range(W):
                run += diff[i]
                v = run + acc[i]
                row[i] = 1.0 if v > 1.0 else v
            rows.append(row)
        return px0, py0, W, rows

    def _dev(self, contours):
        return [[self.tp(p) for p in c] for c in contours]

    # -- painting ---------------------------------------------------------------------
    def fill_dev(self, contours, paint, alpha=1.0, evenodd=False):
        cov = self._coverage(contours, evenodd)
        if cov is None:
            return
        px0, py0, W, rows = cov
        solid = not callable(paint)
        if solid:
            pr, pg, pb = paint
        R, G, B, clip, w = self.r, self.g, self.b, self.clipmask, self.w
        for j, row in enumerate(rows):
            if row is None:
                continue
            y = py0 + j
            base = y * w + px0
            for i in range(W):
                a = row[i]
                if a <= 0.0:
                    continue
                k = base + i
                if clip is not None:
                    a *= clip[k]
                    if a <= 0.0:
                        continue
                a *= alpha
                if not solid:
                    pr, pg, pb = paint(px0 + i + 0.5, y + 0.5)
                R[k] += (pr - R[k]) * a
                G[k] += (pg - G[k]) * a
                B[k] += (pb - B[k]) * a

    def fill(self, contours, paint, *, alpha=1.0, evenodd=False):
        """Fills one contour (list of points) or several (list of lists)."""
        if contours and not isinstance(contours[0][0], (list, tuple)):
            contours = [contours]
        self.fill_dev(self._dev(contours), paint, alpha, evenodd)

    def clip(self, contours, evenodd=False):
        """Restricts later painting to the inside of the contours (until restore)."""
        if contours and not isinstance(contours[0][0], (list, tuple)):
            contours = [contours]
        mask = [0.0] * (self.w * self.h)
        cov = self._coverage(self._dev(contours), evenodd)
        if cov is not None:
            px0, py0, W, rows = cov
            for j, row in enumerate(rows):
                if row is None:
                    continue
                base = (py0 + j) * self.w + px0
                mask[base:base + W] = row
        if self.clipmask is not None:
            mask = [a * b for a, b in zip(mask, self.clipmask)]
        self.clipmask = mask

    # -- shapes --------------------------------------------------------------------------
    def stroke_contours(self, pts, width, closed=False, caps=True):
        """Device-space contours of a stroke with round joins (and round caps)."""
        dpts = [self.tp(p) for p in pts]
        hw = width * self.unit() / 2
        out = []
        n = len(dpts)
        segs = list(range(n if closed else n - 1))
        circ_n = max(8, min(40, int(hw * 6)))
        for i in segs:
            x0, y0 = dpts[i]
            x1, y1 = dpts[(i + 1) % n]
            dx, dy = x1 - x0, y1 - y0
            ln = math.hypot(dx, dy)
            if ln < 1e-9:
                continue
            nx, ny = -dy / ln * hw, dx / ln * hw
            q = [(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)]
            out.append(q)
        joints = range(n) if (closed or caps) else range(1, n - 1)
        if hw > 0.35:
            for i in joints:
                x, y = dpts[i]
                out.append([(x + hw * math.cos(2 * math.pi * k / circ_n),
                             y + hw * math.sin(2 * math.pi * k / circ_n)) for k in range(circ_n)])
        return [c if signed_area(c) > 0 else c[::-1] for c in out]

    def stroke(self, pts, width, paint, alpha=1.0, closed=False, caps=True):
        self.fill_dev(self.stroke_contours(pts, width, closed, caps), paint, alpha)

    def line(self, p0, p1, width, paint, alpha=1.0, caps=True):
        self.stroke([p0, p1], width, paint, alpha, caps=caps)

    def shape(self, pts, paint, outline=None, width=1.0, alpha=1.0):
        """Filled contour with an optional outline stroke along its edge."""
        self.fill(pts, paint, alpha=alpha)
        if outline is not None:
            self.stroke(pts, width, outline, alpha, closed=True)

    def ellipse(self, cx, cy, rx, ry, paint, outline=None, width=1.0, rot=0.0, alpha=1.0):
        n = max(12, min(120, int((rx + ry) * self.unit() * 1.6)))
        self.shape(ellipse_pts(cx, cy, rx, ry, rot, n), paint, outline, width, alpha)

    def circle(self, cx, cy, r, paint, outline=None, width=1.0, alpha=1.0):
        self.ellipse(cx, cy, r, r, paint, outline, width, 0.0, alpha)

    def rect(self, x0, y0, x1, y1, paint, outline=None, width=1.0, alpha=1.0):
        self.shape([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], paint, outline, width, alpha)

    def rrect(self, x0, y0, x1, y1, r, paint, outline=None, width=1.0, alpha=1.0):
        self.shape(rrect_pts(x0, y0, x1, y1, r), paint, outline, width, alpha)

    # -- pixels --------------------------------------------------------------------------
    def pixel(self, x, y):
        k = y * self.w + x
        return (clamp8(self.r[k]), clamp8(self.g[k]), clamp8(self.b[k]))

    def blit(self, other, x0, y0):
        for y in range(other.h):
            s = y * other.w
            d = (y0 + y) * self.w + x0
            self.r[d:d + other.w] = other.r[s:s + other.w]
            self.g[d:d + other.w] = other.g[s:s + other.w]
            self.b[d:d + other.w] = other.b[s:s + other.w]

    def rgb_rows(self):
        """Rows top to bottom, each a list of (r, g, b) byte triples."""
        return [[self.pixel(x, y) for x in range(self.w)] for y in range(self.h)]


def clamp8(v):
    v = int(v + 0.5)
    return 0 if v < 0 else 255 if v > 255 else v


# ---------------------------------------------------------------------------
# File writers
# ---------------------------------------------------------------------------

PELS_PER_METRE = 2835  # 72 dpi


def _row_pad(nbytes):
    return (4 - nbytes % 4) % 4


def bmp24_bytes(rows):
    """A bottom-up 24-bit BI_RGB .bmp file from rows of (r, g, b), top row first."""
    h, w = len(rows), len(rows[0])
    pad = b'\0' * _row_pad(w * 3)
    data = bytearray()
    for row in reversed(rows):
        for r, g, b in row:
            data += bytes((b, g, r))
        data += pad
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(data),
                       PELS_PER_METRE, PELS_PER_METRE, 0, 0)
    head = struct.pack('<2sIHHI', b'BM', 14 + len(info) + len(data), 0, 0, 14 + len(info))
    return head + info + bytes(data)


def bmp8_bytes(index_rows, palette):
    """A bottom-up 8-bit BI_RGB .bmp file from rows of palette indices."""
    h, w = len(index_rows), len(index_rows[0])
    pad = b'\0' * _row_pad(w)
    data = bytearray()
    for row in reversed(index_rows):
        data += bytes(row) + pad
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    info = struct.pack('<IiiHHIIiiII', 40, w, h, 1, 8, 0, len(data),
                       PELS_PER_METRE, PELS_PER_METRE, len(palette), len(palette))
    off = 14 + len(info) + len(table)
    head = struct.pack('<2sIHHI', b'BM', off + len(data), 0, 0, off)
    return head + info + table + bytes(data)


def _mask_bits(mask_rows):
    """1-bit rows, bottom-up, each padded to 32 bits; mask_rows holds 0/1 per pixel."""
    w = len(mask_rows[0])
    stride = (w + 31) // 32 * 4
    out = bytearray()
    for row in reversed(mask_rows):
        line = bytearray(stride)
        for x, v in enumerate(row):
            if v:
                line[x >> 3] |= 0x80 >> (x & 7)
        out += line
    return bytes(out)


def ico_bytes(images):
    """A classic .ico: images is a list of (rgb rows, and-mask rows); 24 bpp with AND mask."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rows, mask in images:
        h, w = len(rows), len(rows[0])
        pad = b'\0' * _row_pad(w * 3)
        xor = bytearray()
        for row in reversed(rows):
            for r, g, b in row:
                xor += bytes((b, g, r))
            xor += pad
        andm = _mask_bits(mask)
        info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 24, 0, len(xor) + len(andm), 0, 0, 0, 0)
        blob = info + bytes(xor) + andm
        entries.append(struct.pack('<BBBBHHII', w & 0xFF, h & 0xFF, 0, 0, 1, 24, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack('<HHH', 0, 1, len(images)) + b''.join(entries) + b''.join(blobs)


def cur_bytes(xor_rows, and_rows, hotspot):
    """A classic monochrome .cur. Pixel = (AND, XOR): (0,0) black, (0,1) white,
    (1,0) transparent, (1,1) inverted screen."""
    h, w = len(xor_rows), len(xor_rows[0])
    xor = _mask_bits(xor_rows)
    andm = _mask_bits(and_rows)
    table = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    info = struct.pack('<IiiHHIIiiII', 40, w, 2 * h, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 2)
    blob = info + table + xor + andm
    entry = struct.pack('<BBBBHHII', w & 0xFF, h & 0xFF, 2, 0, hotspot[0], hotspot[1], len(blob), 6 + 16)
    return struct.pack('<HHH', 0, 2, 1) + entry + blob


# ---------------------------------------------------------------------------
# Key caps
# ---------------------------------------------------------------------------

KEY_W, KEY_H = 38, 39

# (top face light, top face dark, skirt light, skirt dark, rim) for up, down,
# down an octave higher, down an octave lower.
KEY_COLOURS = [
    ((246, 246, 244), (222, 222, 218), (206, 206, 202), (146, 146, 142), (84, 84, 82)),
    ((214, 230, 255), (182, 206, 250), (128, 166, 238), (58, 96, 190), (26, 46, 116)),
    ((255, 216, 212), (250, 184, 178), (236, 128, 118), (182, 58, 52), (110, 24, 22)),
    ((216, 246, 210), (182, 230, 176), (118, 200, 110), (52, 140, 52), (24, 82, 26)),
]


def draw_key(cv, x, colours, pressed):
    face_hi, face_lo, skirt_hi, skirt_lo, rim = colours
    cv.save()
    cv.translate(x, 0)
    # Shadow on the window, then the rim and the sloping sides of the cap.
    cv.rrect(1.0, 1.5, 38.0, 39.0, 6, darker(BACKGROUND, 0.18), alpha=0.6)
    cv.rrect(0.5, 0.5, 37.0, 38.0, 6, rim)
    cv.rrect(1.4, 1.4, 36.1, 37.1, 5.2, cv.linear((0, 1.4), (0, 37), [
        (0.0, lighter(skirt_hi, 0.35)), (0.35, skirt_hi), (1.0, skirt_lo)]))
    # Left and right sides a touch darker than the top side.
    cv.fill([(1.4, 6), (6, 5), (6, 32), (1.4, 34)], darker(skirt_hi, 0.06), alpha=0.5)
    cv.fill([(36.1, 6), (32, 5), (32, 32), (36.1, 34)], darker(skirt_lo, 0.05), alpha=0.6)
    # The top face: dished, lit from above.
    dy = 1.0 if pressed else 0.0
    top, bottom = 3.2 + dy, 31.0 + dy
    cv.rrect(4.2, top - 0.6, 33.3, bottom + 0.8, 5, darker(skirt_lo, 0.15), alpha=0.5)
    cv.rrect(4.5, top, 33.0, bottom, 4.6, cv.linear((0, top), (0, bottom), [
        (0.0, lighter(face_hi, 0.5)), (0.12, face_hi), (1.0, face_lo)]))
    cv.ellipse(18.8, top + 11, 12.5, 9.5, lighter(face_hi, 0.5), alpha=0.35)
    cv.restore()


def make_keys():
    cv = Canvas(4 * KEY_W, KEY_H, BACKGROUND)
    for i, colours in enumerate(KEY_COLOURS):
        draw_key(cv, i * KEY_W, colours, i > 0)
    return cv


# ---------------------------------------------------------------------------
# Lettering: a rounded stroke alphabet for the name "Tonvira"
# ---------------------------------------------------------------------------
# Glyphs are polylines on a grid where the cap height is 1 and the x-height 0.62;
# y grows downwards, the baseline is y = 1. Each glyph has an advance width.

XH = 0.38  # top of the lower-case letters (1 - x-height)


GLYPHS = {
    'T': (0.74, [[(0.02, 0.0), (0.72, 0.0)], [(0.37, 0.0), (0.37, 1.0)]]),
    'o': (0.62, [ellipse_pts(0.31, (1 + XH) / 2, 0.27, (1 - XH) / 2, 0, 40) + ['close']]),
    'n': (0.58, [[(0.06, XH), (0.06, 1.0)],
                 path(cubic((0.06, XH + 0.2), (0.12, XH - 0.02), (0.5, XH - 0.06), (0.52, XH + 0.22)),
                      [(0.52, 1.0)])]),
    'v': (0.58, [[(0.02, XH), (0.29, 1.0), (0.56, XH)]]),
    'i': (0.16, [[(0.08, XH), (0.08, 1.0)], [(0.08, 0.1), 'dot']]),
    'r': (0.4, [[(0.06, XH), (0.06, 1.0)],
                cubic((0.06, XH + 0.22), (0.12, XH), (0.28, XH - 0.03), (0.4, XH + 0.02))]),
    'a': (0.62, [ellipse_pts(0.28, (1 + XH) / 2 + 0.01, 0.25, (1 - XH) / 2 - 0.01, 0, 40) + ['close'],
                 [(0.55, XH), (0.55, 1.0)]]),
}


def text_strokes(text, size, spacing=0.12):
    """Strokes of text at a cap height of size: list of (points, closed, is_dot), and width."""
    out = []
    x = 0.0
    for ch in text:
        adv, strokes = GLYPHS[ch]
        for s in strokes:
            closed = s[-1] == 'close'
            dot = s[-1] == 'dot'
            pts = [p for p in s if isinstance(p, tuple)]
            out.append(([((x + px) * size, py * size) for px, py in pts], closed, dot))
        x += adv + spacing
    return out, (x - spacing) * size


def draw_text(cv, text, x, y, size, weight, paint, spacing=0.12, alpha=1.0):
    strokes, _ = text_strokes(text, size, spacing)
    contours = []
    for pts, closed, dot in strokes:
        pts = [(x + px, y + py) for px, py in pts]
        if dot:
            cx, cy = pts[0]
            contours.append([cv.tp(p) for p in ellipse_pts(cx, cy, weight * 0.62, weight * 0.62, 0, 24)])
        else:
            contours += cv.stroke_contours(pts, weight, closed)
    contours = [c if signed_area(c) > 0 else c[::-1] for c in contours]
    cv.fill_dev(contours, paint, alpha)


def text_width(text, size, spacing=0.12):
    return text_strokes(text, size, spacing)[1]


# ---------------------------------------------------------------------------
# Musical notes, used on the splash, the icon and several instrument pictures
# ---------------------------------------------------------------------------

def note_head(cv, x, y, s, paint, outline=None):
    cv.ellipse(x, y, 0.66 * s, 0.46 * s, paint, outline, 0.12 * s if outline else 1.0, rot=-24)


def draw_note(cv, x, y, s, paint, flag=True, outline=None, stem=0.15):
    """A quarter or eighth note whose head (height about s) is centred on (x, y)."""
    sx = x + 0.56 * s
    top = y - 3.1 * s
    note_head(cv, x, y, s, paint, outline)
    cv.fill([(sx - stem * s, y - 0.15 * s), (sx, y - 0.15 * s), (sx, top), (sx - stem * s, top)], paint)
    if flag:
        flag_pts = path(cubic((sx, top), (sx + 0.1 * s, top + 0.9 * s), (sx + 1.2 * s, top + 1.1 * s),
                              (sx + 0.75 * s, top + 2.3 * s)),
                        cubic((sx + 0.75 * s, top + 2.3 * s), (sx + 0.95 * s, top + 1.4 * s),
                              (sx + 0.3 * s, top + 1.2 * s), (sx - 0.05 * s, top + 1.05 * s)))
        cv.fill(flag_pts, paint)


def draw_beamed(cv, x0, y0, x1, y1, s, paint, rise=0.0, stem=0.15):
    """Two eighth notes joined by a beam; heads at (x0, y0) and (x1, y1)."""
    for x, y in ((x0, y0), (x1, y1)):
        note_head(cv, x, y, s, paint)
    sx0, sx1 = x0 + 0.56 * s, x1 + 0.56 * s
    t0, t1 = y0 - 3.1 * s, y1 - 3.1 * s - rise
    sw = stem * s
    for sx, y, t in ((sx0, y0, t0), (sx1, y1, t1)):
        cv.fill([(sx - sw, y - 0.15 * s), (sx, y - 0.15 * s), (sx, t), (sx - sw, t)], paint)
    cv.fill([(sx0 - sw, t0), (sx1, t1), (sx1, t1 + 0.6 * s), (sx0 - sw, t0 + 0.6 * s)], paint)


# ---------------------------------------------------------------------------
# Piano keyboard (front view), for the splash and the icon
# ---------------------------------------------------------------------------

BLACK_KEY_AFTER = {0, 1, 3, 4, 5}  # a black key follows C, D, F, G and A


def draw_keyboard(cv, x0, y0, x1, y1, n_white, first=0, pressed=(), black_len=0.62,
                  key_lo=(214, 214, 206)):
    kw = (x1 - x0) / n_white
    cv.rect(x0, y0, x1, y1, (70, 70, 74))
    press = (206, 222, 255)
    for i in range(n_white):
        a = x0 + i * kw
        top_c = (255, 255, 252) if i not in pressed else press
        lo = key_lo if i not in pressed else (168, 194, 246)
        cv.fill(rrect_pts(a + 0.35, y0 - 3, a + kw - 0.35, y1, min(2.0, kw * 0.18)),
                cv.linear((0, y0), (0, y1), [(0.0, top_c), (0.75, mix(top_c, lo, 0.5)), (1.0, lo)]))
        cv.fill([(a + 0.35, y1 - (y1 - y0) * 0.06), (a + kw - 0.35, y1 - (y1 - y0) * 0.06),
                 (a + kw - 0.35, y1), (a + 0.35, y1)], darker(lo, 0.12), alpha=0.7)
    bw = kw * 0.58
    bl = (y1 - y0) * black_len
    for i in range(n_white - 1):
        if (first + i) % 7 not in BLACK_KEY_AFTER:
            continue
        c = x0 + (i + 1) * kw
        cv.fill([(c - bw / 2 + 0.8, y0), (c + bw / 2 + 0.8, y0), (c + bw / 2 + 1.2, y0 + bl + 1.2),
                 (c - bw / 2 + 1.2, y0 + bl + 1.2)], (0, 0, 0), alpha=0.25)
        cv.rrect(c - bw / 2, y0 - 2, c + bw / 2, y0 + bl, min(1.5, bw * 0.2),
                 cv.linear((c - bw / 2, 0), (c + bw / 2, 0), [(0, (20, 20, 24)), (0.5, (44, 44, 50)),
                                                               (1, (12, 12, 14))]))
        cv.fill([(c - bw / 2 + bw * 0.14, y0 + bl - bw * 0.5), (c + bw / 2 - bw * 0.14, y0 + bl - bw * 0.5),
                 (c + bw / 2 - bw * 0.05, y0 + bl - 0.3), (c - bw / 2 + bw * 0.05, y0 + bl - 0.3)],
                (96, 96, 106), alpha=0.8)


# ---------------------------------------------------------------------------
# Splash
# ---------------------------------------------------------------------------

NIGHT_TOP = (20, 30, 74)
NIGHT_BOTTOM = (62, 34, 100)
GOLD = (246, 206, 112)


def make_splash():
    S = 200
    cv = Canvas(S, S)
    cv.rect(0, 0, S, S, cv.linear((0, 0), (0, S), [(0, NIGHT_TOP), (1, NIGHT_BOTTOM)]))
    for k in range(14):  # a soft glow behind the name
        f = 1 - k / 14
        cv.ellipse(100, 98, 40 + 80 * f, 26 + 52 * f, (110, 110, 196), alpha=0.07)
    # A few small stars.
    for x, y, r in ((22, 18, 1.1), (58, 30, 0.8), (170, 22, 1.2), (140, 12, 0.7), (186, 64, 0.8),
                    (12, 70, 0.7), (96, 14, 0.9), (120, 40, 0.6)):
        cv.circle(x, y, r, (255, 246, 220), alpha=0.9)
        cv.circle(x, y, r * 2.6, (255, 246, 220), alpha=0.18)
    # A swinging stave with notes on it.
    def stave_y(x, k):
        return 46 + k * 5.2 + 7 * math.sin((x - 10) / 200 * 2 * math.pi * 0.9)
    for k in range(5):
        cv.stroke([(x, stave_y(x, k)) for x in range(-2, S + 4, 4)], 0.9, (222, 196, 140), alpha=0.6)
    gold = cv.linear((0, 20), (0, 80), [(0, (255, 232, 160)), (1, (226, 170, 70))])
    draw_note(cv, 34, stave_y(34, 3) , 5.2, gold)
    draw_beamed(cv, 70, stave_y(70, 2) - 2.6, 90, stave_y(90, 1) - 2.6, 5.2, gold, rise=1.5)
    draw_note(cv, 126, stave_y(126, 2), 5.2, gold, flag=False)
    draw_note(cv, 160, stave_y(160, 1) - 2.6, 5.2, gold)
    # The name.
    size, weight = 31, 5.4
    w = text_width('Tonvira', size)
    tx, ty = (S - w) / 2, 96
    draw_text(cv, 'Tonvira', tx + 1.6, ty + 2.2, size, weight, (8, 8, 30), alpha=0.55)
    draw_text(cv, 'Tonvira', tx, ty, size, weight,
              cv.linear((0, ty), (0, ty + size), [(0, (255, 255, 255)), (0.55, (255, 242, 204)),
                                                   (1, GOLD)]))
    # The keyboard along the bottom.
    cv.rect(0, 140, S, 152, cv.linear((0, 140), (0, 152), [(0, (52, 40, 44)), (0.4, (26, 18, 20)),
                                                            (1, (8, 6, 8))]))
    cv.line((0, 140.5), (S, 140.5), 1.0, (120, 100, 110), caps=False)
    cv.rect(0, 151, S, 153, (150, 26, 36))
    draw_keyboard(cv, -4, 153, S + 4, 203, 15, first=0, pressed=(9,))
    cv.stroke([(0.5, 0.5), (S - 0.5, 0.5), (S - 0.5, S - 0.5), (0.5, S - 0.5)], 1.0, (10, 12, 36),
              closed=True, caps=False)
    return cv


# ---------------------------------------------------------------------------
# Instrument pictures (171 x 141 each, drawn on the window background colour)
# ---------------------------------------------------------------------------

CELL_W, CELL_H = 171, 141
N_INSTRUMENTS = 15

WOOD = (176, 104, 48)
WOOD_DARK = (110, 58, 24)
WOOD_LIGHT = (224, 160, 92)
BRASS = (230, 184, 72)
BRASS_DARK = (150, 104, 26)
BRASS_LIGHT = (255, 240, 170)
STEEL = (200, 204, 212)
STEEL_DARK = (112, 116, 128)


def floor_shadow(cv, cx, cy, rx, ry):
    for k in range(6):
        f = 1 - k / 6
        cv.ellipse(cx, cy, rx * (0.55 + 0.45 * f), ry * (0.55 + 0.45 * f), darker(BACKGROUND, 0.35),
                   alpha=0.07)


def brass_paint(cv, p0, p1):
    """Polished brass across the direction p0 -> p1 (edge, highlight, edge)."""
    return cv.linear(p0, p1, [(0, BRASS_DARK), (0.3, BRASS), (0.45, BRASS_LIGHT), (0.6, BRASS),
                              (1, BRASS_DARK)])


def steel_paint(cv, p0, p1):
    return cv.linear(p0, p1, [(0, STEEL_DARK), (0.35, STEEL), (0.5, (250, 252, 255)), (0.65, STEEL),
                              (1, STEEL_DARK)])


def tube(cv, pts, width, paint_fn, outline):
    """A tube along a polyline, shaded across its direction in every segment."""
    cv.stroke(pts, width + 1.0, outline)
    for i in range(len(pts) - 1):
        (x0, y0), (x1, y1) = pts[i], pts[i + 1]
        dx, dy = x1 - x0, y1 - y0
        ln = math.hypot(dx, dy) or 1.0
        nx, ny = -dy / ln * width / 2, dx / ln * width / 2
        mx, my = (x0 + x1) / 2, (y0 + y1) / 2
        paint = paint_fn(cv, (mx + nx, my + ny), (mx - nx, my - ny))
        cv.stroke([pts[i], pts[i + 1]], width, paint)


# -- 0: grand piano -----------------------------------------------------------------

def draw_piano(cv):
    LX, VX, VY, WR, HR, LEG = 122, 16, 30, 80, 12, 33
    X0, Y0 = 28, 86

    def P(u, v, z=0.0):
        return (X0 + u * LX + v * VX, Y0 - v * VY - z)

    plan = path([(0.0, 0.0), (0.18, 0.0)],
                cubic((0.18, 0.0), (0.42, 0.0), (0.55, 0.42), (0.78, 0.58)),
                cubic((0.78, 0.58), (0.92, 0.67), (1.02, 0.88), (0.93, 1.0)),
                [(0.0, 1.0)])
    top = [P(u, v) for u, v in plan]
    floor_y = P(0, 0, -HR - LEG)[1]
    floor_shadow(cv, 88, floor_y - 2, 76, 9)

    black = (22, 20, 24)
    gloss = cv.linear((0, Y0 - 40), (0, Y0 + 10), [(0, (70, 70, 80)), (0.5, (30, 30, 36)), (1, black)])

    def leg(u, v):
        x, y = P(u, v, -HR + 1)
        yb = y + LEG
        cv.fill([(x - 3.5, y), (x + 3.5, y), (x + 2.3, yb - 3), (x - 2.3, yb - 3)],
                cv.linear((x - 3.5, 0), (x + 3.5, 0), [(0, (60, 60, 68)), (0.4, (26, 26, 30)), (1, black)]))
        cv.rect(x - 3.6, y + 2, x + 3.6, y + 4.5, (50, 50, 58))
        cv.ellipse(x, yb - 2, 3.2, 2.2, brass_paint(cv, (x - 3, 0), (x + 3, 0)), BRASS_DARK, 0.6)

    leg(0.05, 0.92)
    leg(0.84, 0.74)
    # Pedal lyre.
    lx, ly = P(0.14, 0.5, -HR)
    cv.fill([(lx - 4, ly), (lx + 4, ly), (lx + 3, ly + LEG - 8), (lx - 3, ly + LEG - 8)], black)
    cv.fill([(lx - 2.2, ly + 3), (lx + 2.2, ly + 3), (lx + 1.6, ly + LEG - 10), (lx - 1.6, ly + LEG - 10)],
            (58, 56, 64))
    cv.rrect(lx - 8, ly + LEG - 9, lx + 8, ly + LEG - 5, 1.5, black)
    for dx in (-5, 0, 5):
        cv.fill([(lx + dx - 1.4, ly + LEG - 6), (lx + dx + 1.4, ly + LEG - 6), (lx + dx + 2.6, ly + LEG - 2.5),
                 (lx + dx - 0.6, ly + LEG - 2.5)], BRASS)
    # The case: swept rim under the top outline.
    rim = [[(x, y + HR) for x, y in top]]
    for i in range(len(top)):
        (x0, y0), (x1, y1) = top[i], top[(i + 1) % len(top)]
        rim.append([(x0, y0), (x1, y1), (x1, y1 + HR), (x0, y0 + HR)])
    rim = [c if signed_area(c) > 0 else c[::-1] for c in rim]
    cv.fill(rim, cv.linear((0, Y0 - 10), (0, Y0 + HR), [(0, (58, 58, 66)), (0.45, (34, 34, 40)),
                                                        (1, black)]))
    # A shine running along the bentside.
    shine = [P(u, v, -HR * 0.4) for u, v in plan[1:30]]
    cv.stroke(shine, 1.4, (150, 150, 164), alpha=0.6)
    leg(0.05, 0.06)
    # Keyboard, sitting a little below the rim top, in front of the case.
    kz = -4.0
    k0, k1 = 0.035, 0.965
    cv.fill([P(-0.15, k0 - 0.02, kz - 6), P(0, k0 - 0.02, kz - 6), P(0, k0 - 0.02, kz + 4),
             P(-0.15, k0 - 0.02, kz + 4)], black)
    cv.fill([P(-0.15, k0, kz), P(-0.15, k1, kz), P(-0.15, k1, kz - 5), P(-0.15, k0, kz - 5)], black)
    cv.fill([P(-0.15, k0, kz), P(0.0, k0, kz), P(0.0, k1, kz), P(-0.15, k1, kz)],
            cv.linear(P(-0.15, 0, kz), P(0, 0, kz), [(0, (255, 255, 250)), (1, (214, 212, 202))]))
    n_white = 13
    for i in range(1, n_white):
        v = k0 + (k1 - k0) * i / n_white
        cv.line(P(-0.15, v, kz), P(-0.005, v, kz), 0.5, (120, 116, 110), caps=False)
    for i in range(n_white):
        if i % 7 in BLACK_KEY_AFTER and i < n_white - 1:
            v = k0 + (k1 - k0) * (i + 1) / n_white
            dv = (k1 - k0) / n_white * 0.32
            cv.fill([P(-0.075, v - dv, kz + 1.5), P(0.0, v - dv, kz + 1.5), P(0.0, v + dv, kz + 1.5),
                     P(-0.075, v + dv, kz + 1.5)], (24, 24, 28))
    # Key slip and cheek blocks.
    cv.fill([P(-0.16, k0 - 0.035, 0), P(0.0, k0 - 0.035, 0), P(0.0, k0 - 0.035, -HR),
             P(-0.16, k0 - 0.035, -HR)], (40, 40, 46))
    cv.fill([P(-0.16, k0 - 0.035, 0), P(0.0, k0 - 0.035, 0), P(0.0, k0, 0), P(-0.16, k0, 0)],
            (88, 88, 98))
    cv.fill([P(-0.16, k0 - 0.035, -HR + 2), P(-0.16, k1 + 0.02, -HR + 2), P(-0.16, k1 + 0.02, -HR),
             P(-0.16, k0 - 0.035, -HR)], (16, 16, 18))
    # Inside the case: the iron frame and the strings.
    cv.fill(top, (40, 30, 26))
    inner = [P(u, v) for u, v in plan]
    cx, cy = P(0.45, 0.5)
    inner = [(cx + (x - cx) * 0.9, cy + (y - cy) * 0.86) for x, y in inner]
    cv.fill(inner, cv.linear(P(0, 1), P(0.6, 0), [(0, (200, 150, 60)), (0.6, (236, 196, 110)),
                                                  (1, (190, 140, 52))]))
    cv.save()
    cv.clip(inner)
    for k in range(16):
        v = 0.1 + k * 0.055
        cv.line(P(0.08, v, 0.5), P(1.0, v, 0.5), 0.5, (250, 240, 220), alpha=0.8)
    cv.restore()
    cv.stroke(top, 1.6, (14, 14, 16), closed=True)
    # Music desk.
    cv.fill([P(0.07, 0.22, 0), P(0.07, 0.78, 0), P(0.02, 0.78, 14), P(0.02, 0.22, 14)],
            cv.linear(P(0, 0.2, 0), P(0, 0.8, 0), [(0, (40, 40, 48)), (1, (14, 14, 16))]))
    # The lid, propped open along the straight side.
    th = math.radians(40)

    def L(u, v):
        d = (1 - v) * WR
        return P(u, 1 - (1 - v) * math.cos(th), d * math.sin(th))

    lid = [L(u, v) for u, v in plan]
    stick_base = P(0.46, 0.3, 0)
    stick_top = L(0.46, 0.42)
    cv.line(stick_base, stick_top, 2.0, (30, 30, 34))
    cv.line(stick_base, stick_top, 0.6, (120, 120, 130))
    cv.fill(lid, cv.linear(L(0.2, 0), L(0.7, 1), [(0, (84, 84, 96)), (0.35, (36, 36, 42)),
                                                  (0.6, (60, 60, 70)), (1, (20, 20, 24))]))
    cv.stroke(lid, 1.4, black, closed=True)
    cv.stroke([L(u, v) for u, v in plan[2:26]], 0.9, (170, 170, 184), alpha=0.5)


# -- 1: chromatic percussion (glockenspiel) ------------------------------------------

RAINBOW = [(226, 52, 48), (242, 130, 36), (246, 200, 40), (92, 184, 62), (38, 168, 160),
           (50, 120, 214), (92, 80, 196), (160, 72, 180)]


def mallet(cv, p0, p1, head_r, head_colour):
    cv.line(p0, p1, 3.0, WOOD_DARK)
    cv.line(p0, p1, 2.0, WOOD_LIGHT)
    x, y = p1
    cv.circle(x, y, head_r, cv.radial((x - head_r * 0.35, y - head_r * 0.4), head_r * 1.3,
                                      [(0, lighter(head_colour, 0.6)), (0.45, head_colour),
                                       (1, darker(head_colour, 0.4))]),
              darker(head_colour, 0.55), 0.8)


def draw_glockenspiel(cv):
    floor_shadow(cv, 86, 118, 74, 10)
    n = len(RAINBOW)
    x0, pitch, bw = 18, 17.0, 13.0
    cy = 62

    def bar_len(i):
        return 86 - i * 5.2

    # Two rails under the ends of the bars.
    top_rail = [(x0 - 6, cy - bar_len(0) / 2 + 6), (x0 + pitch * n, cy - bar_len(n - 1) / 2 + 6)]
    bot_rail = [(x0 - 6, cy + bar_len(0) / 2 - 6), (x0 + pitch * n, cy + bar_len(n - 1) / 2 - 6)]
    for (a, b) in (top_rail, bot_rail):
        cv.shape([(a[0], a[1] - 4.5), (b[0], b[1] - 4.5), (b[0], b[1] + 7), (a[0], a[1] + 7)],
                cv.linear((0, a[1] - 4), (0, a[1] + 7), [(0, WOOD_LIGHT), (0.4, WOOD), (1, WOOD_DARK)]),
                WOOD_DARK, 0.8)
        cv.fill([(b[0], b[1] - 4.5), (b[0] + 4, b[1] - 2.5), (b[0] + 4, b[1] + 8), (b[0], b[1] + 7)],
                WOOD_DARK)
    for i, col in enumerate(RAINBOW):
        x = x0 + i * pitch
        ln = bar_len(i)
        y0, y1 = cy - ln / 2, cy + ln / 2
        cv.rrect(x + 1.5, y0 + 2.5, x + bw + 1.5, y1 + 3.5, 2.5, (0, 0, 0), alpha=0.2)
        cv.rrect(x, y0, x + bw, y1 + 2.5, 2.5, darker(col, 0.45))
        cv.rrect(x, y0, x + bw, y1, 2.5, cv.linear((x, 0), (x + bw, 0), [
            (0, darker(col, 0.1)), (0.3, lighter(col, 0.45)), (0.55, col), (1, darker(col, 0.25))]),
            darker(col, 0.5), 0.7)
        for yy in (cy - ln / 2 + 6, cy + ln / 2 - 6):
            cv.circle(x + bw / 2, yy, 1.7, (236, 236, 240), STEEL_DARK, 0.6)
    mallet(cv, (58, 134), (100, 88), 6.5, (214, 40, 52))
    mallet(cv, (150, 132), (128, 84), 6.5, (214, 40, 52))


# -- 2: pipe organ ----------------------------------------------------------------

def organ_pipe(cv, x, top, shelf, w, foot=10.0):
    """A metal flue pipe, centred on x, its foot standing on the shelf."""
    body_bottom = shelf - foot
    paint = steel_paint(cv, (x - w / 2, 0), (x + w / 2, 0))
    cv.fill([(x - w / 2, body_bottom), (x + w / 2, body_bottom), (x + w * 0.12, shelf),
             (x - w * 0.12, shelf)], paint)
    cv.stroke([(x - w / 2, body_bottom), (x - w * 0.12, shelf), (x + w * 0.12, shelf),
               (x + w / 2, body_bottom)], 0.6, STEEL_DARK)
    cv.rect(x - w / 2, top, x + w / 2, body_bottom + 0.3, paint, STEEL_DARK, 0.6)
    cv.ellipse(x, top, w / 2, w * 0.16, (84, 88, 100), STEEL_DARK, 0.5)
    mw = w * 0.62
    mh = min(5.0, w * 0.55)
    cv.fill(path([(x - mw / 2, body_bottom + 0.2), (x + mw / 2, body_bottom + 0.2)],
                 quad((x + mw / 2, body_bottom - mh * 0.6), (x, body_bottom - mh * 1.4),
                      (x - mw / 2, body_bottom - mh * 0.6), 8)), (36, 36, 44))
    cv.fill(quad((x - mw / 2, body_bottom - mh * 0.6), (x, body_bottom - mh * 1.4),
                 (x + mw / 2, body_bottom - mh * 0.6), 8) +
            quad((x + mw / 2, body_bottom - mh * 0.3), (x, body_bottom - mh * 1.1),
                 (x - mw / 2, body_bottom - mh * 0.3), 8), (236, 238, 244), alpha=0.8)


def draw_organ(cv):
    floor_shadow(cv, 86, 130, 72, 8)
    wood = cv.linear((20, 0), (151, 0), [(0, WOOD_DARK), (0.15, WOOD), (0.5, WOOD_LIGHT), (0.85, WOOD),
                                         (1, WOOD_DARK)])
    shelf = 84
    # Case: back panel with an arched top, towers at the sides.
    back = path([(30, shelf), (30, 40)], cubic((30, 40), (40, 18), (131, 18), (141, 40)), [(141, shelf)])
    cv.shape(back, cv.linear((0, 20), (0, shelf), [(0, (92, 46, 22)), (1, (60, 28, 12))]), WOOD_DARK, 1)
    for x0 in (18, 133):
        cv.rect(x0, 26, x0 + 20, shelf, wood, WOOD_DARK, 1)
        cv.shape([(x0 - 2, 26), (x0 + 22, 26), (x0 + 18, 20), (x0 + 2, 20)], WOOD_LIGHT, WOOD_DARK, 1)
        cv.fill([(x0 + 3, 20), (x0 + 17, 20), (x0 + 10, 9)], WOOD, )
        cv.stroke([(x0 + 3, 20), (x0 + 10, 9), (x0 + 17, 20)], 1, WOOD_DARK)
    # Pipes: two towers and a centre in a gentle V on each side.
    heights = [52, 56, 52, 40, 34, 30, 34, 40, 60, 40, 34, 30, 34, 40, 52, 56, 52]
    xs = [22 + 6.3 * i for i in range(3)] + [44.5 + 7.6 * i for i in range(5)] + [85.5] + \
         [96.2 + 7.6 * i for i in range(5)] + [136.4 + 6.3 * i for i in range(3)]
    order = sorted(range(len(xs)), key=lambda i: heights[i])
    for i in order:
        w = 6.8 if i == 8 else 6.2 if i in (3, 4, 5, 6, 7, 9, 10, 11, 12, 13) else 5.6
        organ_pipe(cv, xs[i], shelf - 10 - heights[i], shelf, w)
    # Impost and console.
    cv.rect(14, shelf, 157, shelf + 6, cv.linear((0, shelf), (0, shelf + 6), [(0, WOOD_LIGHT), (1, WOOD)]),
            WOOD_DARK, 1)
    cv.rect(22, shelf + 6, 149, 130, wood, WOOD_DARK, 1)
    cv.rect(40, shelf + 11, 131, shelf + 23, (48, 24, 10))
    draw_keyboard(cv, 42, shelf + 13, 129, shelf + 18, 20, first=0, black_len=0.6)
    draw_keyboard(cv, 42, shelf + 18.5, 129, shelf + 23, 20, first=0, black_len=0.6)
    for i in range(4):
        x = 28 + i * 2.8
        cv.circle(x, shelf + 14 + (i % 2) * 4, 1.1, (250, 246, 230), WOOD_DARK, 0.4)
        cv.circle(143 - i * 2.8, shelf + 14 + (i % 2) * 4, 1.1, (250, 246, 230), WOOD_DARK, 0.4)
    for x0 in (34, 66, 98):
        cv.rrect(x0 + 1, shelf + 28, x0 + 37, 125, 2, darker(WOOD, 0.15), WOOD_DARK, 0.7)


# -- 3: acoustic guitar ----------------------------------------------------------------

def mirror_outline(right_half):
    """Closes a right-hand half outline (top centre to bottom centre) by mirroring it."""
    left = [(-x, y) for x, y in reversed(right_half)]
    return path(right_half, left)


def guitar_body():
    return mirror_outline(path(cubic((0, -21), (14, -21), (24, -12), (24, 0)),
                               cubic((24, 0), (24, 10), (17, 13), (17.5, 21)),
                               cubic((17.5, 21), (18, 27), (31, 30), (31, 45)),
                               cubic((31, 45), (31, 61), (17, 70), (0, 70))))


def fretboard(cv, y_top, y_bottom, w_top, w_bottom, frets, board=(52, 30, 22), dots=(3, 5, 7, 9)):
    cv.fill([(-w_top / 2, y_top), (w_top / 2, y_top), (w_bottom / 2, y_bottom), (-w_bottom / 2, y_bottom)],
            board)
    ys = []
    y = y_top
    spacing = (y_bottom - y_top) / sum(0.944 ** k for k in range(frets))
    for k in range(frets):
        y += spacing * 0.944 ** k
        ys.append(y)
        t = (y - y_top) / (y_bottom - y_top)
        hw = (w_top + (w_bottom - w_top) * t) / 2
        cv.line((-hw, y), (hw, y), 0.55, (214, 214, 220), caps=False)
    prev = y_top
    for k, y in enumerate(ys):
        if k + 1 in dots:
            cv.circle(0, (prev + y) / 2, 0.9, (236, 232, 220))
        prev = y


def draw_guitar(cv):
    floor_shadow(cv, 78, 130, 66, 7)
    cv.save()
    cv.translate(84, 71)
    cv.rotate(52)
    cv.scale(0.93)
    cv.translate(0, 19)
    body = guitar_body()
    # Sides, then the top with a sunburst finish and cream binding.
    cv.fill([(x + 2.6, y + 2.0) for x, y in body], (96, 50, 20))
    cv.fill(body, cv.radial((0, 24), 40, [(0, (250, 210, 130)), (0.55, (226, 160, 72)),
                                          (0.85, (164, 84, 30)), (1, (96, 40, 14))], ry=52))
    cv.stroke(body, 1.6, (246, 232, 200), closed=True)
    cv.stroke(body, 0.6, (70, 34, 12), closed=True)
    # Sound hole with rosette, pickguard, bridge.
    cv.shape(path(cubic((8, 3), (16, 6), (19, 20), (13, 25)), cubic((13, 25), (9, 27), (6, 22), (7, 16))),
             (84, 36, 18), alpha=0.75)
    cv.circle(0, 11, 11.5, (120, 64, 24), alpha=0.4)
    cv.circle(0, 11, 10.5, (246, 232, 200), (90, 46, 18), 0.5)
    cv.circle(0, 11, 9.2, (60, 110, 70), alpha=0.9)
    cv.circle(0, 11, 8.4, (30, 16, 10))
    cv.rrect(-11, 46, 11, 51, 1.5, (60, 30, 16))
    cv.line((-6.5, 47.5), (6.5, 47.5), 0.9, (250, 246, 230))
    for k in range(6):
        cv.circle(-5 + k * 2, 49.5, 0.55, (250, 246, 230))
    # Neck and head.
    cv.fill([(-4.4, -18), (4.4, -18), (3.6, -88), (-3.6, -88)], (170, 108, 52))
    fretboard(cv, -88, -16, 7.2, 8.8, 14)
    head = path([(-3.8, -88), (-5.8, -104)], quad((-5.8, -104), (0, -110), (5.8, -104), 6), [(3.8, -88)])
    cv.shape(head, cv.linear((-6, 0), (6, 0), [(0, (60, 30, 14)), (0.5, (120, 66, 30)), (1, (60, 30, 14))]),
             (40, 20, 10), 0.5)
    cv.line((-3.8, -88.2), (3.8, -88.2), 1.0, (246, 240, 220), caps=False)
    for k in range(3):
        y = -91.5 - k * 5.2
        for side in (-1, 1):
            cv.line((side * 5.5, y), (side * 7.6, y), 1.2, STEEL_DARK)
            cv.ellipse(side * 8.8, y, 1.5, 2.0, (240, 236, 226), STEEL_DARK, 0.5)
            cv.circle(side * 3.2, y, 0.9, STEEL, STEEL_DARK, 0.3)
    for k in range(6):
        x0 = -2.6 + k * 1.04
        x1 = -5 + k * 2
        cv.line((x0, -88), (x1, 47.5), 0.32 + 0.06 * (5 - k), (236, 232, 222), alpha=0.95)
    cv.restore()


# -- 4: electric bass ------------------------------------------------------------------

def draw_bass(cv):
    floor_shadow(cv, 92, 130, 66, 7)
    cv.save()
    cv.translate(90, 70)
    cv.rotate(-54)
    cv.scale(0.74)
    cv.translate(0, 42)
    body = smooth([(7, -10), (14, -22), (20, -30), (25, -24), (27, -6), (23, 14), (30, 30), (32, 46),
                   (22, 60), (0, 64), (-22, 60), (-33, 46), (-31, 28), (-24, 12), (-28, -4), (-24, -16),
                   (-15, -17), (-7, -9)], n=6)
    red = (196, 28, 36)
    cv.fill([(x + 2.4, y + 2.0) for x, y in body], (70, 10, 14))
    cv.fill(body, cv.radial((-6, 24), 44, [(0, (240, 90, 80)), (0.5, red), (1, (110, 10, 18))]))
    cv.stroke(body, 0.7, (60, 6, 10), closed=True)
    guard = smooth([(6, -10), (12, -18), (17, -14), (14, 2), (8, 12), (12, 26), (4, 34), (-14, 34), (-22, 26),
                    (-20, 12), (-24, -2), (-18, -12), (-8, -8)], n=6)
    cv.fill([(x + 0.6, y + 0.6) for x, y in guard], (0, 0, 0), alpha=0.25)
    cv.shape(guard, (246, 244, 236), (150, 150, 150), 0.5)
    # Pickups, bridge, knobs.
    cv.rrect(-12, 12, 1, 18, 2, (24, 24, 26))
    cv.rrect(-2, 18, 11, 24, 2, (24, 24, 26))
    for x in (-9, -5.5, -2):
        cv.circle(x, 15, 0.7, (110, 110, 116))
    for x in (1.5, 5, 8.5):
        cv.circle(x, 21, 0.7, (110, 110, 116))
    cv.rrect(-9, 48, 9, 56, 1.5, steel_paint(cv, (0, 48), (0, 56)), STEEL_DARK, 0.5)
    for x in (-4.5, -1.5, 1.5, 4.5):
        cv.rect(x - 0.9, 49, x + 0.9, 52, (150, 154, 164))
    for (x, y) in ((20, 36), (14, 45)):
        cv.circle(x, y, 3.6, (30, 30, 32), (10, 10, 10), 0.4)
        cv.circle(x - 0.8, y - 0.8, 1.4, (110, 110, 118))
    # Neck, frets and the four-in-line head.
    cv.fill([(-5, -2), (5, -2), (4.2, -118), (-4.2, -118)], (230, 188, 116))
    fretboard(cv, -118, -6, 8, 9.6, 20, board=(64, 36, 24), dots=(3, 5, 7, 9, 12, 15, 17))
    head = smooth([(-4.2, -118), (-5.6, -130), (-8.6, -150), (-5, -157), (1, -156), (3.6, -148), (6, -136),
                   (4.2, -118)], closed=False, n=6)
    cv.shape(head, cv.linear((-8, 0), (6, 0), [(0, (206, 160, 90)), (0.5, (240, 204, 136)), (1, (200, 150, 84))]),
             (150, 100, 50), 0.6)
    cv.line((-4.2, -118.2), (4.2, -118.2), 1.1, (246, 240, 220), caps=False)
    for k in range(4):
        y = -123 - k * 8
        cv.circle(-3.2 + k * 0.5, y, 1.5, STEEL, STEEL_DARK, 0.4)
        cv.line((-4.5, y), (-11, y), 2.2, STEEL_DARK)
        cv.ellipse(-12.5, y, 2.4, 3.0, steel_paint(cv, (-15, 0), (-10, 0)), STEEL_DARK, 0.5)
    for k in range(4):
        x_nut = -2.4 + k * 1.6
        x_br = -4.5 + k * 3
        y_top = -123 - (3 - k) * 8
        cv.line((-3.2 + (3 - k) * 0.5, y_top), (x_nut, -118), 0.5 + 0.12 * (3 - k), (226, 226, 230))
        cv.line((x_nut, -118), (x_br, 51), 0.5 + 0.12 * (3 - k), (226, 226, 230))
    cv.restore()


# -- 5: violin ---------------------------------------------------------------------------

def violin_outline():
    right = smooth([(0, -30), (9, -29.5), (15.5, -25), (17, -16), (14.5, -8.5), (12.6, -6.2), (10.2, -2),
                    (10.2, 6), (13, 10.8), (15.4, 12.2), (20, 19), (20.6, 30), (16.5, 40), (9, 45.5),
                    (0, 47)], closed=False, n=5)
    return mirror_outline(right)


def draw_violin_body(cv, varnish=(190, 84, 26), with_chinrest=True):
    """A violin-family body, neck up, centred near (0, 8); 77 units long without the neck."""
    body = violin_outline()
    cv.fill([(x + 1.8, y + 1.6) for x, y in body], darker(varnish, 0.6))
    cv.fill(body, cv.radial((-3, 4), 30, [(0, lighter(varnish, 0.45)), (0.55, varnish),
                                          (1, darker(varnish, 0.5))], ry=44))
    cv.stroke(body, 0.8, darker(varnish, 0.7), closed=True)
    cv.stroke([(x * 0.9, 8 + (y - 8) * 0.94) for x, y in body], 0.45, darker(varnish, 0.65), closed=True)
    # f-holes.
    for side in (-1, 1):
        f = smooth([(side * 6.5, -5), (side * 8.6, -1), (side * 7.2, 6), (side * 8.6, 13)], closed=False, n=6)
        cv.stroke(f, 1.0, (30, 12, 4))
        cv.circle(f[0][0], f[0][1], 1.0, (30, 12, 4))
        cv.circle(f[-1][0], f[-1][1], 1.0, (30, 12, 4))
    if with_chinrest:
        cv.ellipse(-8, 41, 5.5, 3.4, (50, 26, 16), (20, 10, 6), 0.5, rot=-25)
    # Tailpiece and bridge.
    cv.shape([(-4, 24), (4, 24), (2.6, 44), (-2.6, 44)], cv.linear((-4, 0), (4, 0), [
        (0, (20, 16, 14)), (0.5, (70, 60, 56)), (1, (20, 16, 14))]))
    cv.shape([(-7, 5), (7, 5), (6, 8.4), (-6, 8.4)], (236, 208, 150), (140, 100, 50), 0.5)


def draw_violin_neck(cv, varnish=(190, 84, 26), length=1.0):
    L = length
    cv.fill([(-3.2, -28), (3.2, -28), (2.6, -30 - 36 * L), (-2.6, -30 - 36 * L)], darker(varnish, 0.1))
    # Pegbox, pegs and scroll.
    top = -30 - 36 * L
    cv.shape([(-2.8, top), (2.8, top), (2.4, top - 14), (-2.4, top - 14)], darker(varnish, 0.2),
             darker(varnish, 0.6), 0.5)
    for k, side in enumerate((-1, 1, -1, 1)):
        y = top - 3 - k * 3.2
        cv.line((side * 2.4, y), (side * 6.5, y - 0.5), 1.6, (30, 20, 16))
        cv.ellipse(side * 7.2, y - 0.6, 1.6, 1.2, (30, 20, 16))
    cv.circle(0, top - 17, 4.0, darker(varnish, 0.15), darker(varnish, 0.6), 0.5)
    cv.stroke(arc(0, top - 17, 2.4, 2.4, 0, 300, 16) + arc(0.4, top - 17, 1.1, 1.1, 300, 540, 10), 0.5,
              darker(varnish, 0.65), caps=False)
    # Fingerboard and strings.
    cv.fill([(-3.4, -4), (3.4, -4), (2.3, top + 0.5), (-2.3, top + 0.5)],
            cv.linear((-3, 0), (3, 0), [(0, (10, 10, 10)), (0.5, (54, 52, 52)), (1, (10, 10, 10))]))
    cv.line((-2.6, top), (2.6, top), 0.9, (236, 226, 200), caps=False)
    for k in range(4):
        cv.line((-1.8 + k * 1.2, top), (-2.7 + k * 1.8, 24.5), 0.35, (240, 236, 226), alpha=0.8)


def draw_bow(cv, p0, p1):
    """A bow from its frog at p0 to its tip at p1."""
    dx, dy = p1[0] - p0[0], p1[1] - p0[1]
    ln = math.hypot(dx, dy)
    ux, uy = dx / ln, dy / ln
    nx, ny = -uy, ux
    hair0 = (p0[0] + nx * 3.4 + ux * 6, p0[1] + ny * 3.4 + uy * 6)
    hair1 = (p1[0] + nx * 2.2 - ux * 3, p1[1] + ny * 2.2 - uy * 3)
    cv.line(hair0, hair1, 1.3, (246, 240, 222))
    cv.line(p0, p1, 2.3, (84, 40, 20))
    cv.line((p0[0] - nx * 0.3, p0[1] - ny * 0.3), (p1[0] - nx * 0.3, p1[1] - ny * 0.3), 0.8, (170, 100, 54))
    cv.fill([p1, (p1[0] + nx * 3, p1[1] + ny * 3), (p1[0] + nx * 2.4 - ux * 3.4, p1[1] + ny * 2.4 - uy * 3.4),
             (p1[0] - ux * 2, p1[1] - uy * 2)], (236, 230, 214))
    f0 = (p0[0] + ux * 3, p0[1] + uy * 3)
    cv.fill([f0, (f0[0] + ux * 11, f0[1] + uy * 11), (f0[0] + ux * 9 + nx * 4.4, f0[1] + uy * 9 + ny * 4.4),
             (f0[0] + ux * 1 + nx * 4.4, f0[1] + uy * 1 + ny * 4.4)], (24, 20, 18))
    cv.circle(f0[0] + ux * 5 + nx * 2.2, f0[1] + uy * 5 + ny * 2.2, 1.1, (240, 236, 224))
    cv.line(p0, (p0[0] + ux * 3, p0[1] + uy * 3), 2.2, STEEL)


def draw_violin(cv):
    floor_shadow(cv, 84, 130, 66, 7)
    draw_bow(cv, (26, 22), (156, 118))
    cv.save()
    cv.translate(84, 72)
    cv.rotate(40)
    cv.scale(1.08)
    cv.translate(0, 8)
    draw_violin_body(cv)
    draw_violin_neck(cv)
    cv.restore()


# -- 6: ensemble (cello, violin and a music stand) ---------------------------------------

def draw_music_stand(cv, x, y_desk, y_floor):
    cv.line((x, y_desk + 20), (x, y_floor - 8), 2.2, (40, 40, 44))
    for dx in (-12, 0, 12):
        cv.line((x, y_floor - 10), (x + dx, y_floor), 1.8, (40, 40, 44))
    desk = [(x - 20, y_desk), (x + 20, y_desk - 4), (x + 22, y_desk + 22), (x - 22, y_desk + 26)]
    cv.shape(desk, (52, 52, 58), (20, 20, 24), 0.8)
    page = [(x - 17, y_desk - 4), (x + 17, y_desk - 8), (x + 18.5, y_desk + 18), (x - 18.5, y_desk + 22)]
    cv.shape(page, (252, 250, 242), (170, 166, 150), 0.5)
    for row in range(2):
        for k in range(5):
            y0 = y_desk - 1.5 + row * 12 + k * 1.6
            cv.line((x - 15, y0), (x + 15.5, y0 - 3.5), 0.35, (90, 90, 96), caps=False)
        for j, (nx, step) in enumerate(((-11, 2), (-5, 0), (1, 3), (7, 1), (12, 2))):
            hx = x + nx
            hy = y_desk - 1.5 + row * 12 + (4 - step) * 0.8 - (nx + 15) * 0.116 + 1.6
            note_head(cv, hx, hy, 1.3, (30, 30, 34))
            cv.line((hx + 0.75, hy), (hx + 0.75, hy - 4.2), 0.3, (30, 30, 34), caps=False)
    cv.fill([(x - 22, y_desk + 26), (x + 22, y_desk + 22), (x + 22, y_desk + 24), (x - 22, y_desk + 28)],
            (30, 30, 34))


def draw_ensemble(cv):
    floor_shadow(cv, 86, 131, 72, 6)
    draw_music_stand(cv, 134, 34, 132)
    # Cello standing on its spike.
    cello = (150, 64, 22)
    cv.save()
    cv.translate(56, 84)
    cv.rotate(-8)
    cv.scale(0.86)
    cv.line((0, 46), (0, 56), 1.6, STEEL_DARK)
    draw_violin_body(cv, cello, with_chinrest=False)
    draw_violin_neck(cv, cello, length=0.9)
    cv.restore()
    draw_bow(cv, (18, 40), (92, 130))
    # Violin lying across in front.
    cv.save()
    cv.translate(100, 96)
    cv.rotate(62)
    cv.scale(0.56)
    cv.translate(0, 8)
    draw_violin_body(cv, (206, 104, 36))
    draw_violin_neck(cv, (206, 104, 36))
    cv.restore()


# -- 7: trumpet ---------------------------------------------------------------------

def bell_flare(cv, x0, x1, y, r0, r1, sharp=3.0):
    """A bell flaring to the right (x1 > x0) or left, radius r0 at x0 to r1 at x1."""
    n = 24
    top, bottom = [], []
    for i in range(n + 1):
        t = i / n
        r = r0 + (r1 - r0) * t ** sharp
        x = x0 + (x1 - x0) * t
        top.append((x, y - r))
        bottom.append((x, y + r))
    outline = top + bottom[::-1]
    cv.fill(outline, cv.linear((0, y - r1), (0, y + r1), [(0, BRASS_DARK), (0.22, BRASS), (0.36, BRASS_LIGHT),
                                                         (0.5, BRASS), (1, BRASS_DARK)]))
    cv.stroke(outline, 0.7, darker(BRASS_DARK, 0.3), closed=True)
    cv.ellipse(x1, y, 2.6, r1, cv.linear((x1 - 3, 0), (x1 + 3, 0), [(0, BRASS_LIGHT), (1, BRASS_DARK)]),
               darker(BRASS_DARK, 0.3), 0.7)
    cv.ellipse(x1 + 0.6, y, 1.3, r1 - 2.5, (120, 80, 20), alpha=0.8)


def brass_tube(cv, pts, width):
    tube(cv, pts, width, brass_paint, darker(BRASS_DARK, 0.3))


def u_bend(x, y0, y1, bulge, n=10):
    """Half circle joining (x, y0) to (x, y1), bulging by bulge in x."""
    r = (y1 - y0) / 2
    return [(x + bulge * math.sin(math.pi * i / n), y0 + r - r * math.cos(math.pi * i / n)) for i in range(n + 1)]


def draw_trumpet(cv):
    floor_shadow(cv, 86, 122, 70, 7)
    cv.save()
    cv.translate(2, 10)
    w = 5.0
    # Main tuning slide (front, low) and the lead pipe.
    brass_tube(cv, [(96, 74), (118, 74)] + u_bend(118, 60, 74, 9)[::-1] + [(20, 60)], w - 0.6)
    # Bell section: from the valves back to the bell bend, then forward to the bell.
    brass_tube(cv, [(64, 76), (36, 76)] + u_bend(36, 46, 76, -14)[::-1] + [(36, 46), (112, 46)], w)
    bell_flare(cv, 110, 162, 46, w / 2, 21, 3.2)
    # Valve slides below the valves.
    brass_tube(cv, [(72, 82), (72, 94), (84, 94), (84, 82)], 3.4)
    # Mouthpiece.
    cv.fill([(4, 55), (8, 57.5), (18, 58.6), (18, 61.4), (8, 62.5), (4, 65)],
            steel_paint(cv, (0, 55), (0, 65)))
    cv.stroke([(4, 55), (8, 57.5), (18, 58.6), (18, 61.4), (8, 62.5), (4, 65)], 0.6, STEEL_DARK, closed=True)
    cv.rect(18, 57.6, 24, 62.4, brass_paint(cv, (0, 57.6), (0, 62.4)), BRASS_DARK, 0.5)
    # Three piston valves.
    for x in (66, 78, 90):
        vp = brass_paint(cv, (x - 4.5, 0), (x + 4.5, 0))
        cv.rect(x - 4.5, 40, x + 4.5, 84, vp, darker(BRASS_DARK, 0.3), 0.7)
        cv.rect(x - 5.5, 80, x + 5.5, 85.5, vp, darker(BRASS_DARK, 0.3), 0.7)
        cv.rect(x - 5.5, 37, x + 5.5, 41.5, vp, darker(BRASS_DARK, 0.3), 0.7)
        cv.rect(x - 1.2, 28, x + 1.2, 37, steel_paint(cv, (x - 1.2, 0), (x + 1.2, 0)), STEEL_DARK, 0.4)
        cv.ellipse(x, 27, 4.8, 2.2, cv.linear((0, 25), (0, 29), [(0, (255, 252, 240)), (1, (206, 196, 170))]),
                   (120, 110, 90), 0.6)
    # Finger hook and water key.
    cv.stroke(arc(54, 50, 3, 3, 180, 360, 8), 1.4, BRASS_DARK)
    cv.circle(128, 67, 1.6, STEEL, STEEL_DARK, 0.5)
    cv.restore()


# -- 8: saxophone ---------------------------------------------------------------------------

def ribbon(cv, pts, hw, paint_fn, outline=None, width=0.7):
    """A ribbon of half width hw(t) along pts, shaded across its direction piece by piece."""
    shape = offset_polyline(pts, hw)
    n = len(pts)
    left, right = shape[:n], shape[n:][::-1]
    cv.fill(shape, paint_fn(cv, left[n // 2], right[n // 2]))
    for i in range(n - 1):
        j = min(n - 1, i + 2)
        lm, rm = lerp_pt(left[i], left[i + 1], 0.5), lerp_pt(right[i], right[i + 1], 0.5)
        cv.fill([left[i], left[j], right[j], right[i]], paint_fn(cv, lm, rm))
    if outline is not None:
        cv.stroke(shape, width, outline, closed=True)
    return left, right


def draw_saxophone(cv):
    floor_shadow(cv, 90, 128, 50, 6)
    cv.save()
    cv.translate(4, 2)
    line = smooth([(70, 30), (71, 52), (74, 76), (78, 96), (85, 110), (98, 115), (109, 108), (113, 94),
                   (114, 78), (117, 62)], closed=False, n=8)

    def hw(t):
        return 3.6 + 6.4 * t + 15 * max(0.0, (t - 0.86) / 0.14) ** 2.6

    outline = darker(BRASS_DARK, 0.3)
    left, right = ribbon(cv, line, hw, brass_paint, outline)
    # The bell opening.
    ex, ey = line[-1]
    r = hw(1.0)
    rot = math.degrees(math.atan2(line[-1][1] - line[-2][1], line[-1][0] - line[-2][0])) + 90
    r += 1.2
    cv.ellipse(ex, ey, r, r * 0.32, cv.linear((ex - r, 0), (ex + r, 0), [(0, BRASS_LIGHT), (0.5, BRASS),
                                                                          (1, BRASS_DARK)]), outline, 0.8, rot=rot)
    cv.ellipse(ex + 0.4, ey + 0.4, r - 2.6, r * 0.32 - 1.8, (96, 60, 12), rot=rot)
    cv.ellipse(ex + 1.5, ey + 1.2, r - 6, r * 0.32 - 3.6, (70, 40, 8), rot=rot)
    # Neck and mouthpiece.
    neck = cubic((70.5, 32), (70, 16), (60, 14), (46, 19), 14)
    ribbon(cv, neck, lambda t: 3.0 - 1.0 * t, brass_paint, outline, 0.6)
    cv.line((66, 17), (58, 15.5), 1.0, BRASS_DARK)
    mp = [(47, 17.2), (36, 19), (33.5, 21.2), (36, 22.6), (47.6, 21.4)]
    cv.shape(mp, cv.linear((0, 17), (0, 23), [(0, (70, 70, 74)), (0.4, (24, 24, 26)), (1, (6, 6, 6))]),
             (0, 0, 0), 0.5)
    cv.shape([(42.5, 17.6), (45, 17.3), (45.4, 21.8), (42.9, 22.1)], steel_paint(cv, (43, 17), (45, 22)),
             STEEL_DARK, 0.4)
    # Key rods down the side and the key cups on the bow and the bell.
    cv.stroke([(p[0] + 0.6, p[1]) for p in right[3:40]], 0.8, darker(BRASS_DARK, 0.2))
    for i in (5, 11, 17, 23, 29, 35, 47, 53):
        x, y = right[i]
        cv.circle(x - 0.4, y, 2.7 + i * 0.02, brass_paint(cv, (x - 3, y - 3), (x + 3, y + 3)), outline, 0.6)
    for i, k in ((5, 0), (10, 0), (15, 0), (23, 1), (28, 1), (33, 1)):
        x = (left[i][0] + right[i][0]) / 2 - 1.0
        y = (left[i][1] + right[i][1]) / 2
        cv.circle(x, y, 3.0, brass_paint(cv, (x - 3, y - 3), (x + 3, y + 3)), outline, 0.6)
        cv.circle(x, y, 1.7, cv.radial((x - 0.6, y - 0.6), 2.2, [(0, (255, 255, 255)), (1, (214, 206, 196))]))
    for i in (48, 54, 60):
        x, y = left[i]
        cv.ellipse(x + 1.5, y - 0.5, 2.2, 3.0, brass_paint(cv, (x, y - 3), (x + 3, y + 3)), outline, 0.5)
    cv.restore()


# -- 9: flute ----------------------------------------------------------------------------

def silver_key(cv, x, y, r, open_hole=True):
    cv.circle(x, y, r, cv.linear((x - r, y - r), (x + r, y + r), [(0, (255, 255, 255)), (0.5, STEEL),
                                                                   (1, STEEL_DARK)]), STEEL_DARK, 0.5)
    cv.circle(x, y, r * 0.62, steel_paint(cv, (x + r, y - r), (x - r, y + r)))
    if open_hole:
        cv.circle(x, y, r * 0.3, (40, 40, 48))


def draw_flute(cv):
    floor_shadow(cv, 86, 122, 72, 7)
    notes = (92, 140, 210)
    draw_note(cv, 40, 38, 4.6, notes)
    draw_beamed(cv, 58, 28, 72, 24, 4.2, notes, rise=1)
    cv.save()
    cv.translate(12, 104)
    cv.rotate(-24)
    r = 5.4
    cv.rrect(0, -r - 0.7, 164, r + 0.7, 1.5, (84, 88, 100))
    cv.rrect(0.6, -r, 163.4, r, 1.2, steel_paint(cv, (0, -r), (0, r)))
    for x in (4, 42, 130, 163):
        cv.rect(x - 1.5, -r - 0.8, x + 1.5, r + 0.8, steel_paint(cv, (0, -r - 1), (0, r + 1)), STEEL_DARK, 0.4)
    cv.rrect(-2.5, -r + 0.4, 3, r - 0.4, 1.5, steel_paint(cv, (0, -r), (0, r)), STEEL_DARK, 0.5)
    # Lip plate with the embouchure hole.
    cv.ellipse(22, -0.6, 8.4, 5.4, cv.radial((20.5, -2), 7, [(0, (255, 255, 255)), (1, STEEL)]), STEEL_DARK, 0.6)
    cv.ellipse(22.5, -0.9, 3.4, 2.0, (30, 30, 38))
    # Key rod and keys.
    cv.line((50, 3.9), (156, 3.9), 1.1, (96, 100, 112))
    for x in (52, 90, 124, 152):
        cv.rect(x - 0.8, 3, x + 0.8, 5.8, (96, 100, 112))
    for x in (57, 66.5, 76):
        silver_key(cv, x, -0.6, 4.4)
    silver_key(cv, 81, -2.6, 2.8, open_hole=False)
    for x in (89, 98.5, 108, 118):
        silver_key(cv, x, -0.6, 4.4, open_hole=x != 118)
    for x in (138, 146, 154):
        silver_key(cv, x, -0.4, 3.9, open_hole=False)
    cv.restore()


# -- 10: synthesizer --------------------------------------------------------------------

def knob(cv, x, y, r, angle, cap=(40, 40, 44)):
    cv.circle(x + 0.6, y + 0.8, r + 0.6, (0, 0, 0), alpha=0.35)
    cv.circle(x, y, r, cv.linear((x, y - r), (x, y + r), [(0, (120, 120, 128)), (1, (20, 20, 24))]))
    cv.circle(x, y, r * 0.74, cv.radial((x - r * 0.3, y - r * 0.35), r, [(0, lighter(cap, 0.4)), (1, cap)]))
    a = math.radians(angle)
    cv.line((x + math.cos(a) * r * 0.2, y + math.sin(a) * r * 0.2),
            (x + math.cos(a) * r * 0.7, y + math.sin(a) * r * 0.7), 0.9, (250, 250, 250))


def draw_synth(cv):
    floor_shadow(cv, 86, 124, 80, 6)
    wood = cv.linear((0, 34), (0, 122), [(0, WOOD_LIGHT), (0.5, WOOD), (1, WOOD_DARK)])
    cv.rrect(10, 38, 161, 120, 2, (28, 28, 32))
    panel = cv.linear((0, 40), (0, 78), [(0, (84, 86, 98)), (1, (44, 46, 54))])
    cv.rect(14, 40, 157, 78, panel)
    cv.line((14, 40.5), (157, 40.5), 1, (130, 132, 146), caps=False)
    cv.rect(14, 78, 157, 116, (22, 22, 26))
    for x0 in (5, 156):
        cv.rrect(x0, 34, x0 + 10, 122, 2.5, wood, WOOD_DARK, 0.8)
        cv.line((x0 + 2.5, 38), (x0 + 2.5, 118), 1, WOOD_LIGHT, alpha=0.6)
    # Knobs on the left half of the panel.
    for row, y in enumerate((50, 66)):
        for k, x in enumerate((22, 34, 46, 58)):
            knob(cv, x, y, 4.6, -220 + (k * 57 + row * 90) % 260,
                 cap=((190, 60, 40) if (row, k) == (0, 0) else (44, 44, 50)))
    # Display with a waveform.
    cv.rrect(70, 44, 108, 60, 1.5, (20, 20, 24))
    cv.rect(72, 46, 106, 58, cv.linear((0, 46), (0, 58), [(0, (150, 230, 210)), (1, (70, 170, 150))]))
    cv.stroke([(72 + i * 0.5, 52 - 3.5 * math.sin(i * 0.5 / 34 * 4 * math.pi) * (1 - i / 160))
               for i in range(69)], 0.8, (16, 70, 60))
    for k, c in enumerate(((220, 60, 50), (240, 150, 40), (240, 210, 60), (90, 190, 90), (70, 150, 220))):
        x = 71 + k * 7.6
        cv.rrect(x, 64, x + 5.4, 70, 1, darker(c, 0.45))
        cv.rrect(x + 0.5, 64.4, x + 4.9, 69, 1, cv.linear((0, 64), (0, 69), [(0, lighter(c, 0.4)), (1, c)]))
    # Faders on the right.
    for k in range(5):
        x = 118 + k * 7.4
        cv.rrect(x - 1, 45, x + 1, 72, 1, (12, 12, 14))
        y = 52 + (k * 7) % 16
        cv.rrect(x - 3, y - 2, x + 3, y + 2, 1, cv.linear((0, y - 2), (0, y + 2), [(0, (240, 240, 240)),
                                                                                  (1, (160, 160, 166))]))
        cv.line((x - 3, y), (x + 3, y), 0.6, (40, 40, 44), caps=False)
    # Pitch and modulation wheels, then the keys.
    for x in (20, 28):
        cv.rrect(x - 3.2, 84, x + 3.2, 110, 1.5, (10, 10, 12))
        cv.rrect(x - 2.4, 85, x + 2.4, 109, 1.5, cv.linear((0, 85), (0, 109), [
            (0, (40, 40, 44)), (0.5, (130, 130, 140)), (1, (40, 40, 44))]))
        for k in range(7):
            cv.line((x - 2.4, 88 + k * 3.2), (x + 2.4, 88 + k * 3.2), 0.5, (20, 20, 22), caps=False)
    draw_keyboard(cv, 35, 81, 155, 114, 21, first=0, black_len=0.6)
    cv.rect(14, 114, 157, 118, (38, 38, 44))


# -- 11: sitar ------------------------------------------------------------------------------

def draw_sitar(cv):
    floor_shadow(cv, 74, 131, 64, 7)
    cv.save()
    cv.translate(84, 71)
    cv.rotate(52)
    cv.scale(0.85)
    cv.translate(0, 36)
    gourd_c = (176, 84, 34)
    neck_c = (128, 60, 26)
    cream = (246, 232, 196)
    # Upper resonator behind the top of the neck.
    cv.circle(1.5, -102, 12, darker(gourd_c, 0.55))
    cv.circle(0, -104, 12, cv.radial((-4, -108), 16, [(0, lighter(gourd_c, 0.35)), (1, darker(gourd_c, 0.35))]),
              darker(gourd_c, 0.6), 0.8)
    # Main gourd and its soundboard.
    cv.ellipse(3, 35, 30, 33, darker(gourd_c, 0.6))
    cv.ellipse(0, 32, 30, 33, cv.radial((-9, 20), 40, [(0, lighter(gourd_c, 0.45)), (0.6, gourd_c),
                                                  (1, darker(gourd_c, 0.45))]), darker(gourd_c, 0.6), 0.8)
    cv.stroke(ellipse_pts(0, 32, 26.5, 29.5, 0, 64), 1.2, cream, closed=True)
    for k in range(26):
        a = 2 * math.pi * k / 26
        cv.circle(24 * math.cos(a), 32 + 27 * math.sin(a), 0.9, cream)
    cv.ellipse(0, 26, 19, 20, cv.linear((-19, 0), (19, 0), [(0, (200, 130, 66)), (0.5, (236, 180, 108)),
                                                            (1, (190, 120, 60))]), darker(gourd_c, 0.4), 0.6)
    for k in range(3):
        cv.stroke(arc(0, 26, 14 - k * 4, 15 - k * 4, 200, 340, 16), 0.6, (140, 70, 30), alpha=0.6)
    cv.rrect(-8, 38, 8, 41.5, 1, cream, (120, 90, 60), 0.5)
    cv.rrect(-3, 52, 3, 58, 1.5, cream, (120, 90, 60), 0.5)
    # Neck joint, neck with inlaid edges and curved frets.
    cv.shape(path(quad((-7, -4), (-9, 4), (-15, 7), 6), quad((15, 7), (9, 4), (7, -4), 6)), neck_c,
             darker(neck_c, 0.5), 0.6)
    cv.fill([(-7, 6), (7, 6), (6, -120), (-6, -120)], cv.linear((-7, 0), (7, 0), [
        (0, darker(neck_c, 0.3)), (0.5, neck_c), (1, darker(neck_c, 0.35))]))
    cv.line((-6.0, 4), (-5.3, -118), 0.9, cream, caps=False)
    cv.line((6.0, 4), (5.3, -118), 0.9, cream, caps=False)
    for k in range(17):
        y = -2 - k * 6.8
        cv.stroke(quad((-5.4, y + 1.6), (0, y - 2.8), (5.4, y + 1.6), 8), 0.8, (226, 226, 234))
    # Head and pegs.
    head = smooth([(-6, -120), (-8, -128), (-6, -136), (0, -140), (6, -136), (8, -128), (6, -120)],
                  closed=False, n=5)
    cv.shape(head, neck_c, darker(neck_c, 0.5), 0.6)
    for k, (side, y) in enumerate(((-1, -124), (1, -128), (-1, -132), (1, -120))):
        cv.line((side * 6, y), (side * 14, y - 1), 1.8, (60, 30, 14))
        cv.ellipse(side * 15, y - 1, 2.0, 1.6, cream, (90, 60, 30), 0.4)
    for k in range(9):
        y = -30 - k * 9
        cv.line((7, y), (10.5, y - 0.5), 1.0, (60, 30, 14))
        cv.circle(11, y - 0.5, 1.0, cream)
    for k in range(5):
        x = -2.6 + k * 1.3
        cv.line((x, -119), (-4 + k * 2, 55), 0.35, (240, 236, 222))
    cv.restore()


# -- 12: steel drum --------------------------------------------------------------------

def draw_steel_drum(cv):
    cx, cy, rx, ry, depth = 84, 58, 62, 24, 40
    floor_shadow(cv, 86, 126, 74, 8)
    # Stand legs behind and in front.
    for (x0, x1) in ((46, 36), (124, 136)):
        cv.line((x0, cy + depth), (x1, 128), 2.2, (50, 50, 56))
    cv.line((cx, cy + depth + ry * 0.6), (cx, 126), 2.2, (60, 60, 66))
    skirt = path([(cx - rx, cy), (cx - rx, cy + depth)], arc(cx, cy + depth, rx, ry, 180, 0, 40),
                 [(cx + rx, cy)])
    red = (200, 36, 44)
    cv.fill(skirt, cv.linear((cx - rx, 0), (cx + rx, 0), [(0, darker(red, 0.5)), (0.25, red),
                                                          (0.4, lighter(red, 0.45)), (0.55, red),
                                                          (1, darker(red, 0.55))]))
    cv.stroke(skirt, 0.8, darker(red, 0.6), closed=True)
    band = path(arc(cx, cy + depth * 0.45, rx, ry, 180, 0, 40),
                arc(cx, cy + depth * 0.45 + 4, rx, ry, 0, 180, 40))
    cv.fill(band, steel_paint(cv, (cx - rx, 0), (cx + rx, 0)))
    # Chrome rim and the sunken playing surface with its note areas.
    cv.ellipse(cx, cy, rx, ry, steel_paint(cv, (cx - rx, 0), (cx + rx, 0)), STEEL_DARK, 0.8)
    cv.ellipse(cx, cy + 1.2, rx - 3.5, ry - 2.2, cv.radial((cx, cy + 6), rx, [(0, (150, 154, 166)),
                                                                              (0.7, (214, 218, 226)),
                                                                              (1, (244, 246, 250))],
                                                      ry=ry * 1.3))
    def note(a, r, size):
        x = cx + math.cos(math.radians(a)) * (rx - 3.5) * r
        y = cy + 1.2 + math.sin(math.radians(a)) * (ry - 2.2) * r
        rot = math.degrees(math.atan2(math.sin(math.radians(a)) * ry, math.cos(math.radians(a)) * rx))
        cv.ellipse(x, y, size, size * 0.42, cv.radial((x - 1, y - 1), size,
                   [(0, (250, 252, 255)), (1, (176, 180, 192))]), (110, 114, 126), 0.5, rot=rot + 90)
    for k in range(12):
        note(k * 30 + 15, 0.78, 6.8)
    for k in range(7):
        note(k * 360 / 7 + 30, 0.45, 4.6)
    cv.ellipse(cx, cy + 1.2, 4.5, 2.0, cv.radial((cx - 1, cy), 4, [(0, (250, 252, 255)), (1, (176, 180, 192))]),
               (110, 114, 126), 0.5)
    # Two sticks with rubber tips.
    for (x0, y0, x1, y1) in ((22, 104, 96, 64), (152, 112, 104, 70)):
        cv.line((x0, y0), (x1, y1), 2.6, (190, 150, 96))
        cv.line((x0, y0), (x1, y1), 1.0, (230, 200, 150))
        cv.circle(x1, y1, 4.2, cv.radial((x1 - 1.5, y1 - 1.5), 5, [(0, (250, 120, 110)), (1, (170, 20, 30))]),
                  (110, 10, 20), 0.6)


# -- 13: sound effects (telephone, bird, helicopter) ------------------------------------------

def draw_bird(cv, x, y, s, body=(64, 136, 222), belly=(236, 244, 250)):
    """A small songbird facing right; (x, y) is the middle of its body."""
    dark = darker(body, 0.5)
    cv.fill([(x - 9 * s, y + 1 * s), (x - 22 * s, y + 10 * s), (x - 20 * s, y + 13 * s),
             (x - 7 * s, y + 6 * s)], darker(body, 0.2))
    cv.ellipse(x, y, 12 * s, 9 * s, body, dark, 0.7, rot=-12)
    cv.ellipse(x + 2 * s, y + 3.5 * s, 8.5 * s, 5 * s, belly, rot=-20)
    cv.circle(x + 9 * s, y - 7 * s, 7 * s, body, dark, 0.7)
    cv.ellipse(x + 2.5 * s, y - 3.8 * s, 5 * s, 3.2 * s, body, rot=-12)
    cv.fill([(x + 14.5 * s, y - 9 * s), (x + 21.5 * s, y - 8.5 * s), (x + 15 * s, y - 5 * s)],
            (246, 170, 40))
    cv.fill([(x + 15 * s, y - 7 * s), (x + 20 * s, y - 6 * s), (x + 15 * s, y - 5 * s)], (214, 120, 20))
    cv.circle(x + 11 * s, y - 8.5 * s, 1.5 * s, (20, 20, 26))
    cv.circle(x + 11.4 * s, y - 9 * s, 0.5 * s, (255, 255, 255))
    cv.ellipse(x - 3 * s, y - 0.5 * s, 8 * s, 4.5 * s, darker(body, 0.25), dark, 0.6, rot=-20)
    cv.stroke([(x - 9 * s, y + 2.5 * s), (x - 4 * s, y + 1 * s)], 0.6, dark)


def draw_telephone(cv, x, y, s):
    """An old rotary desk telephone; (x, y) is the middle of its base."""
    red = (206, 40, 44)
    dark = darker(red, 0.55)
    base = path([(x - 30 * s, y + 14 * s), (x - 26 * s, y - 4 * s)],
                cubic((x - 26 * s, y - 4 * s), (x - 22 * s, y - 22 * s), (x + 22 * s, y - 22 * s),
                      (x + 26 * s, y - 4 * s)), [(x + 30 * s, y + 14 * s)])
    cv.fill(base, cv.linear((x - 30 * s, 0), (x + 30 * s, 0), [(0, darker(red, 0.3)), (0.35, lighter(red, 0.3)),
                                                              (1, darker(red, 0.4))]))
    cv.stroke(base, 0.8, dark, closed=True)
    cv.rrect(x - 32 * s, y + 12 * s, x + 32 * s, y + 17 * s, 2 * s, darker(red, 0.25), dark, 0.7)
    # Dial.
    cv.circle(x, y, 12 * s, (246, 244, 236), (150, 140, 130), 0.7)
    for k in range(10):
        a = math.radians(-60 + k * 27)
        cv.circle(x + 8.2 * s * math.cos(a), y + 8.2 * s * math.sin(a), 2.0 * s, (60, 56, 56))
    cv.circle(x, y, 4 * s, red, dark, 0.5)
    # Handset resting in the cradle.
    hs = path(cubic((x - 30 * s, y - 24 * s), (x - 18 * s, y - 30 * s), (x + 18 * s, y - 30 * s),
                    (x + 30 * s, y - 24 * s)),
              [(x + 33 * s, y - 16 * s), (x + 20 * s, y - 15 * s), (x + 17 * s, y - 21 * s)],
              cubic((x + 17 * s, y - 21 * s), (x + 6 * s, y - 23 * s), (x - 6 * s, y - 23 * s),
                    (x - 17 * s, y - 21 * s)),
              [(x - 20 * s, y - 15 * s), (x - 33 * s, y - 16 * s)])
    cv.fill([(px + 1.5, py + 1.5) for px, py in hs], (0, 0, 0), alpha=0.25)
    cv.fill(hs, cv.linear((0, y - 30 * s), (0, y - 15 * s), [(0, lighter(red, 0.35)), (1, darker(red, 0.25))]))
    cv.stroke(hs, 0.8, dark, closed=True)
    # Curly cord.
    cord = [(x - 31 * s + math.sin(t * 0.9) * 2.2 * s - t * 0.9 * s, y - 12 * s + t * 2.2 * s)
            for t in [i * 0.25 for i in range(48)]]
    cv.stroke(cord, 1.1, dark)


def draw_helicopter(cv, x, y, s, c=(90, 118, 100)):
    dark = darker(c, 0.5)
    cv.line((x - 6 * s, y), (x - 26 * s, y - 3 * s), 3 * s, c)
    cv.fill([(x - 26 * s, y - 3 * s), (x - 30 * s, y - 10 * s), (x - 27 * s, y - 10 * s), (x - 22 * s, y - 4 * s)], c)
    cv.ellipse(x, y, 10 * s, 6.5 * s, c, dark, 0.6)
    cv.ellipse(x + 4 * s, y - 1.5 * s, 5 * s, 3.5 * s, (190, 226, 240), dark, 0.5)
    cv.line((x, y - 6.5 * s), (x, y - 9 * s), 1.4 * s, dark)
    cv.line((x - 18 * s, y - 9.5 * s), (x + 18 * s, y - 8.5 * s), 1.2 * s, dark)
    for dx in (-5, 5):
        cv.line((x + dx * s, y + 6 * s), (x + dx * s, y + 9 * s), 0.9 * s, dark)
    cv.line((x - 10 * s, y + 9 * s), (x + 10 * s, y + 9 * s), 1.0 * s, dark)


def draw_effects(cv):
    floor_shadow(cv, 56, 126, 46, 6)
    # Branch with the singing bird.
    cv.stroke(smooth([(96, 70), (120, 66), (146, 68), (166, 62)], closed=False), 3.2, WOOD_DARK)
    cv.stroke(smooth([(142, 68), (152, 76), (160, 78)], closed=False), 2.0, WOOD_DARK)
    for (lx, ly, rot) in ((110, 62, -30), (158, 74, 20), (132, 72, 40)):
        cv.ellipse(lx, ly, 5, 2.4, (96, 160, 70), (50, 100, 40), 0.5, rot=rot)
    for dx in (-2, 2):
        cv.line((128 + dx, 58), (127 + dx * 1.4, 67), 1.0, (200, 120, 30))
    draw_bird(cv, 126, 48, 1.0)
    notes = (70, 110, 200)
    draw_note(cv, 146, 34, 3.8, notes)
    draw_note(cv, 157, 23, 3.0, notes)
    draw_helicopter(cv, 50, 28, 1.1)
    draw_telephone(cv, 56, 100, 1.05)
    for k in range(2):
        r = 9 + k * 5
        cv.stroke(arc(24, 70, r - 2, r - 2, 200, 250, 8), 1.2, (214, 60, 60))
        cv.stroke(arc(88, 70, r - 2, r - 2, -70, -20, 8), 1.2, (214, 60, 60))


# -- 14: drum kit -------------------------------------------------------------------------

KIT_RED = (186, 30, 40)


def drum(cv, cx, top, rx, ry, h, shell=KIT_RED, head=(246, 244, 236)):
    """A drum seen from the front and a little above; top is the centre of its upper head."""
    body = path([(cx - rx, top)], arc(cx, top + h, rx, ry, 180, 0, 30), [(cx + rx, top)])
    cv.fill(body, cv.linear((cx - rx, 0), (cx + rx, 0), [(0, darker(shell, 0.5)), (0.3, shell),
                                                         (0.42, lighter(shell, 0.5)), (0.55, shell),
                                                         (1, darker(shell, 0.55))]))
    hoop = steel_paint(cv, (cx - rx, 0), (cx + rx, 0))
    cv.stroke(arc(cx, top + h, rx, ry, 180, 0, 30), 2.0, hoop)
    for k in range(5):
        x = cx - rx * 0.8 + k * rx * 0.4
        yb = top + h + ry * math.sqrt(max(0.0, 1 - ((x - cx) / rx) ** 2))
        cv.line((x, top + ry * 0.6), (x, yb - 1), 0.8, STEEL, alpha=0.9)
        cv.rect(x - 1.1, top + h * 0.45, x + 1.1, top + h * 0.6, STEEL, STEEL_DARK, 0.4)
    cv.ellipse(cx, top, rx, ry, hoop, STEEL_DARK, 0.5)
    cv.ellipse(cx, top + 0.3, rx - 1.6, ry - 1.2, cv.linear((0, top - ry), (0, top + ry), [
        (0, head), (1, darker(head, 0.12))]))


def cymbal(cv, x, y, r, stand_to):
    cv.line((x, y), stand_to, 1.4, (60, 60, 66))
    cv.ellipse(x, y, r, r * 0.22, cv.linear((x - r, 0), (x + r, 0), [(0, (180, 130, 40)), (0.4, (250, 214, 120)),
                                                                     (1, (170, 120, 34))]), (130, 90, 20), 0.6)
    cv.ellipse(x, y - 0.6, r * 0.22, r * 0.1, (214, 170, 70), (130, 90, 20), 0.4)


def draw_drum_kit(cv):
    floor_shadow(cv, 86, 130, 80, 6)
    # Stands and cymbals at the back.
    cymbal(cv, 30, 30, 22, (26, 130))
    cymbal(cv, 144, 36, 21, (148, 130))
    for (a, b) in (((26, 130), (18, 130)), ((26, 130), (34, 130)), ((148, 130), (140, 130)),
                   ((148, 130), (156, 130))):
        cv.line((a[0], a[1] - 8), b, 1.2, (60, 60, 66))
    # Hi-hat at the far left.
    cv.line((14, 54), (14, 128), 1.4, (60, 60, 66))
    for dy in (0, 3):
        cv.ellipse(14, 54 + dy, 12, 2.6, cv.linear((2, 0), (26, 0), [(0, (180, 130, 40)), (0.4, (250, 214, 120)),
                                                                       (1, (170, 120, 34))]), (130, 90, 20), 0.5)
    # Rack toms, bass drum, snare and floor tom.
    drum(cv, 66, 46, 15, 5.5, 18)
    drum(cv, 106, 46, 15, 5.5, 18)
    cv.circle(86, 96, 33, cv.linear((53, 0), (119, 0), [(0, darker(KIT_RED, 0.5)), (0.4, KIT_RED),
                                                        (1, darker(KIT_RED, 0.5))]), darker(KIT_RED, 0.6), 0.8)
    cv.circle(86, 96, 29.5, steel_paint(cv, (56, 66), (116, 126)))
    cv.circle(86, 96, 27.5, cv.radial((78, 86), 34, [(0, (255, 255, 250)), (1, (222, 218, 206))]))
    cv.circle(86, 96, 14, (30, 30, 36))
    cv.circle(86, 96, 12.5, KIT_RED)
    draw_note(cv, 83, 101, 4.0, (255, 255, 255))
    for k in range(10):
        a = 2 * math.pi * k / 10
        cv.circle(86 + 31.2 * math.cos(a), 96 + 31.2 * math.sin(a), 1.3, STEEL, STEEL_DARK, 0.4)
    cv.line((28, 102), (24, 130), 1.4, (60, 60, 66))
    cv.line((40, 102), (46, 130), 1.4, (60, 60, 66))
    drum(cv, 34, 82, 17, 5.5, 12, shell=(200, 204, 212))
    cv.line((134, 110), (132, 130), 1.8, (60, 60, 66))
    cv.line((154, 110), (156, 130), 1.8, (60, 60, 66))
    drum(cv, 144, 76, 18, 6, 32)
    # Bass drum pedal.
    cv.fill([(78, 124), (94, 124), (92, 131), (80, 131)], (50, 50, 56))


INSTRUMENT_DRAWERS = [draw_piano, draw_glockenspiel, draw_organ, draw_guitar, draw_bass, draw_violin,
                      draw_ensemble, draw_trumpet, draw_saxophone, draw_flute, draw_synth, draw_sitar,
                      draw_steel_drum, draw_effects, draw_drum_kit]


def draw_instrument(i):
    cv = Canvas(CELL_W, CELL_H, BACKGROUND)
    INSTRUMENT_DRAWERS[i](cv)
    return cv



# ---------------------------------------------------------------------------
# Toolbar icons: 32 x 32, the sixteen VGA colours only, drawn without smoothing
# ---------------------------------------------------------------------------
# The program loads the strip into a 16-colour image list without a mask, so the
# icons keep to exact VGA colours and sit on the toolbar's silver. Each icon is
# drawn on a "nothing here" key colour; a one-pixel black outline is then put
# around everything drawn, and the rest becomes silver.

ICON = 32
N_ICONS = 15
ICON_KEY = (1, 2, 3)  # not a VGA colour; marks untouched pixels while drawing


def icon_canvas():
    return Canvas(ICON, ICON, ICON_KEY, aa=False)


def finish_icon(cv, outline=BLACK):
    """Outlines the drawing and returns its rows of palette indices."""
    px = [[cv.pixel(x, y) for x in range(ICON)] for y in range(ICON)]
    out = [row[:] for row in px]
    for y in range(ICON):
        for x in range(ICON):
            if px[y][x] != ICON_KEY:
                continue
            for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = x + dx, y + dy
                if 0 <= nx < ICON and 0 <= ny < ICON and px[ny][nx] != ICON_KEY:
                    out[y][x] = outline
                    break
            else:
                out[y][x] = SILVER
    return [[VGA.index(c) for c in row] for row in out]


def icon_piano(cv):
    cv.fill([(4, 13), (12, 3), (28, 8), (30, 12), (30, 13)], BLACK)
    cv.fill([(6, 12), (12, 5), (27, 9), (28, 12)], GREY)
    cv.fill([(12, 5), (27, 9), (26, 10), (12, 6)], WHITE)
    cv.fill([(5, 12), (29, 12), (29, 13), (5, 13)], YELLOW)
    cv.rect(3, 13, 31, 19, BLACK)
    cv.rect(10, 16, 30, 17, GREY)
    cv.rect(1, 13, 8, 17, WHITE)
    for x in (2, 4, 6):
        cv.rect(x, 13, x + 1, 15, BLACK)
    cv.rect(1, 17, 8, 18, BLACK)
    for x, y0, y1 in ((5, 19, 28), (26, 19, 27), (16, 19, 25)):
        cv.rect(x, y0, x + 2, y1, BLACK)
    cv.rect(14, 25, 20, 26, YELLOW)
    cv.rect(5, 28, 7, 29, YELLOW)
    cv.rect(26, 27, 28, 28, YELLOW)


def icon_dulcimer(cv):
    cv.translate(0, 2)
    cv.fill([(1, 26), (31, 26), (25, 3), (7, 3)], MAROON)
    inner = [(3, 24), (29, 24), (24, 5), (8, 5)]
    cv.fill(inner, OLIVE)
    cv.save()
    cv.clip(inner)
    for y in range(7, 24, 3):
        cv.rect(0, y, 32, y + 1, WHITE)
    cv.restore()
    cv.line((12, 5), (10, 24), 1.4, YELLOW, caps=False)
    cv.line((21, 5), (23, 24), 1.4, YELLOW, caps=False)
    for y in (11, 18):
        cv.rect(14, y, 18, y + 1, BLACK)
        cv.rect(15, y - 1, 17, y + 2, BLACK)


def icon_organ(cv):
    cv.rect(2, 21, 30, 30, MAROON)
    cv.rect(3, 22, 29, 23, OLIVE)
    cv.rect(5, 25, 27, 28, WHITE)
    for x in range(6, 27, 2):
        cv.rect(x, 25, x + 1, 27, BLACK)
    tops = [10, 8, 6, 2, 6, 8, 10]
    for i, top in enumerate(tops):
        x = 3 + i * 4
        cv.rect(x, top, x + 3, 21, WHITE)
        cv.rect(x + 2, top, x + 3, 21, GREY)
        cv.rect(x, 17, x + 3, 18, BLACK)
        cv.rect(x + 1, 16, x + 2, 17, BLACK)


def icon_guitar(cv):
    cv.save()
    cv.translate(12.5, 19)
    cv.rotate(42)
    cv.scale(0.88)
    cv.line((0, -4), (0, -19), 2.6, MAROON, caps=False)
    cv.fill([(-2, -18), (2, -18), (2.5, -24), (-2.5, -24)], BLACK)
    for y in (-19.5, -21.5):
        cv.rect(-4, y, -2, y + 1, WHITE)
        cv.rect(2, y, 4, y + 1, WHITE)
    cv.circle(0, 6, 8, OLIVE)
    cv.circle(0, -2.5, 6, OLIVE)
    cv.fill([(-5.5, -2), (5.5, -2), (6, 5), (-6, 5)], OLIVE)
    cv.circle(0, 6, 6.6, YELLOW)
    cv.circle(0, -2.5, 4.6, YELLOW)
    cv.fill([(-4, -2), (4, -2), (5, 4), (-5, 4)], YELLOW)
    cv.circle(0, 0.5, 2.6, BLACK)
    cv.rect(-3, 8, 3, 10, BLACK)
    cv.line((0, -18), (0, 8), 1.0, WHITE, caps=False)
    cv.restore()


def icon_bass(cv):
    cv.save()
    cv.translate(20, 19.5)
    cv.rotate(-42)
    cv.scale(0.86)
    cv.fill([(-1.6, 0), (1.6, 0), (1.3, -22), (-1.3, -22)], BLACK)
    cv.fill([(-1.5, -22), (1.5, -22), (0, -27), (-3, -27)], OLIVE)
    for y in (-23, -25):
        cv.rect(-5, y, -2, y + 1, WHITE)
    body = smooth([(3, -3), (6, -8), (8, -5), (7, 1), (9, 7), (6, 11), (0, 12), (-7, 11), (-9, 6), (-7, 1),
                   (-8, -4), (-5, -5), (-2, -2)], n=4)
    cv.fill(body, RED)
    cv.fill(smooth([(2, -2), (4, -3), (3, 2), (-2, 6), (-6, 5), (-6, 0), (-3, -2)], n=4), WHITE)
    cv.fill([(-1.6, -4), (1.6, -4), (1.6, 6), (-1.6, 6)], BLACK)
    cv.rect(-3, 1, 2, 3, BLACK)
    cv.rect(-2, 8, 3, 9, GREY)
    cv.restore()


def icon_violin(cv):
    cv.line((5, 6), (27, 27), 1.2, OLIVE)
    cv.save()
    cv.translate(14, 19.5)
    cv.rotate(40)
    cv.scale(0.92)
    body = smooth([(0, -9), (4.5, -8), (5, -4), (3, -1.5), (3, 1.5), (6, 4), (6, 9), (0, 11), (-6, 9),
                   (-6, 4), (-3, 1.5), (-3, -1.5), (-5, -4), (-4.5, -8)], n=4)
    cv.fill(body, MAROON)
    cv.fill([(-3, -6), (-1, -7), (-1, 8), (-4, 7), (-4.5, 3), (-2, 0)], RED)
    cv.fill([(-1, -20), (1, -20), (1, 4), (-1, 4)], BLACK)
    cv.rect(-2.5, 3, 2.5, 4.2, YELLOW)
    cv.fill([(-1.5, 6), (1.5, 6), (1, 10), (-1, 10)], BLACK)
    cv.circle(0, -21.5, 1.8, MAROON)
    cv.rect(-3, -18, -1, -17, BLACK)
    cv.rect(1, -16, 3, -15, BLACK)
    cv.restore()


def icon_orchestra_hit(cv):
    pts = []
    for k in range(24):
        r = 15 if k % 2 == 0 else 9
        if k % 4 == 2:
            r = 12.5
        a = math.radians(k * 15 - 90)
        pts.append((16 + r * math.cos(a), 16 + r * math.sin(a)))
    cv.fill(pts, YELLOW)
    inner = []
    for k in range(16):
        r = 9.5 if k % 2 == 0 else 6
        a = math.radians(k * 22.5 - 78)
        inner.append((16 + r * math.cos(a), 16 + r * math.sin(a)))
    cv.fill(inner, RED)
    cv.ellipse(14, 20, 3.2, 2.3, BLACK, rot=-24)
    cv.rect(16, 9, 17.5, 20, BLACK)
    cv.fill([(17.5, 9), (21, 13), (21, 15), (17.5, 12)], BLACK)


def icon_trombone(cv):
    # Slide: two long tubes joined at the far end, mouthpiece at the player's end.
    cv.rect(3, 21, 29, 23, YELLOW)
    cv.rect(3, 22, 29, 23, OLIVE)
    cv.rect(3, 26, 25, 28, YELLOW)
    cv.rect(3, 27, 25, 28, OLIVE)
    cv.rect(1, 21, 3, 28, YELLOW)
    cv.rect(1, 21, 2, 28, OLIVE)
    cv.rect(25, 25, 28, 29, OLIVE)
    cv.rect(28, 26, 31, 28, GREY)
    # Bell section, the crook back to the slide and the braces.
    cv.rect(10, 10, 29, 12, YELLOW)
    cv.rect(10, 11, 29, 12, OLIVE)
    cv.rect(27, 10, 29, 23, YELLOW)
    cv.rect(28, 10, 29, 23, OLIVE)
    cv.fill([(1, 2), (3, 2), (5, 5), (8, 8), (11, 10), (11, 12), (8, 14), (5, 17), (3, 20), (1, 20)], YELLOW)
    cv.fill([(11, 11.2), (11, 12), (8, 14), (5, 17), (3, 20), (1, 20), (1, 14), (4, 13)], OLIVE)
    cv.rect(1, 2, 2, 20, OLIVE)
    cv.rect(14, 12, 15, 21, OLIVE)
    cv.rect(21, 12, 22, 21, OLIVE)


def icon_sax(cv):
    line = smooth([(11, 6), (11, 14), (12, 21), (15, 27), (20, 28), (23, 24), (24, 17), (25, 13)],
                  closed=False, n=6)

    def hw(t):
        return 1.8 + 2.0 * t + 3.4 * max(0.0, (t - 0.8) / 0.2) ** 2

    shape = offset_polyline(line, hw)
    cv.fill(shape, YELLOW)
    n = len(line)
    cv.stroke(shape[n:], 1.0, OLIVE, caps=False)
    cv.fill([(19, 12), (31, 12), (30, 14), (20, 14)], OLIVE)
    cv.fill([(20, 13), (30, 13), (29, 14), (21, 14)], BLACK)
    cv.fill(path(cubic((10, 7), (10, 3), (7, 2), (3, 3)), [(3, 5)],
                 cubic((3, 5), (6, 4), (9, 5), (12, 8))), YELLOW)
    cv.rect(1, 3, 4, 5, BLACK)
    for y in (10, 13, 16, 20):
        cv.rect(10, y, 12, y + 2, WHITE)
    for (x, y) in ((16, 25), (20, 25), (22, 21)):
        cv.rect(x, y, x + 2, y + 2, OLIVE)


def icon_flute(cv):
    cv.save()
    cv.translate(16, 16)
    cv.rotate(-34)
    cv.rect(-16, -2.5, 16, 2.5, WHITE)
    cv.rect(-16, 0.8, 16, 2.5, GREY)
    cv.rect(-16, -2.5, -14, 2.5, GREY)
    cv.rect(-7, -2.5, -6, 2.5, GREY)
    cv.ellipse(-10.5, -0.8, 2.2, 1.3, BLACK)
    for x in (-2, 2, 6, 10, 14):
        cv.rect(x - 1, -1.8, x + 1, 0.2, BLACK)
    cv.restore()


def icon_scifi(cv):
    cv.fill([(10, 19), (22, 19), (27, 31), (5, 31)], YELLOW)
    cv.ellipse(16, 12, 6.5, 6, AQUA)
    cv.ellipse(14, 10, 2, 2.2, WHITE)
    cv.ellipse(16, 17, 15, 4.5, GREY)
    cv.ellipse(16, 16, 15, 3.5, SILVER)
    cv.rect(3, 15, 29, 16, WHITE)
    for x, c in ((6, RED), (11, LIME), (16, YELLOW), (21, LIME), (26, RED)):
        cv.rect(x - 1, 17, x + 1, 19, c)
    for x, y in ((3, 4), (28, 6), (25, 1)):
        cv.rect(x, y, x + 1, y + 1, WHITE)


def icon_koto(cv):
    cv.save()
    cv.translate(16, 16)
    cv.rotate(-28)
    cv.fill([(-17, -5), (17, -5), (17, 6), (-17, 6)], MAROON)
    cv.fill([(-17, -5), (17, -5), (17, 3.5), (-17, 3.5)], OLIVE)
    for y in (-3.5, -1, 1.5):
        cv.rect(-16, y, 16, y + 1, WHITE)
    for i, x in enumerate((-10, -5, 0, 5, 10)):
        y = -4.5 + (i % 3) * 2.5
        cv.fill([(x - 1.5, y + 2.2), (x + 1.5, y + 2.2), (x, y - 0.3)], YELLOW)
    cv.rect(-17, -6, -14, 6, BLACK)
    cv.rect(14, -6, 17, 6, MAROON)
    cv.restore()


def icon_steel_drum(cv):
    cv.fill([(2, 12), (30, 12), (30, 24), (2, 24)], RED)
    cv.ellipse(16, 24, 14, 5, RED)
    cv.rect(2, 17, 30, 19, SILVER)
    cv.rect(2, 12, 5, 24, MAROON)
    cv.rect(27, 12, 30, 24, MAROON)
    cv.ellipse(16, 12, 14, 6, SILVER)
    cv.ellipse(16, 12.5, 12, 4.5, GREY)
    for (x, y) in ((9, 11), (15, 9.5), (22, 11), (12, 14), (19, 14)):
        cv.ellipse(x, y, 2.4, 1.3, WHITE)
    cv.line((27, 2), (20, 11), 1.2, OLIVE)
    cv.rect(19, 10, 22, 13, RED)


def icon_bird(cv):
    cv.fill([(8, 18), (1, 24), (2, 26), (10, 22)], NAVY)
    cv.ellipse(14, 19, 8, 6.5, BLUE)
    cv.ellipse(16, 22, 5, 3, WHITE)
    cv.circle(20, 12, 5, BLUE)
    cv.fill([(24, 11), (29, 12.5), (24, 14)], YELLOW)
    cv.rect(20, 10, 22, 12, BLACK)
    cv.ellipse(11, 18, 5, 3, NAVY, rot=-15)
    cv.rect(13, 25, 14, 29, OLIVE)
    cv.rect(16, 25, 17, 29, OLIVE)
    cv.rect(11, 28, 19, 29, OLIVE)
    cv.ellipse(25, 7, 1.8, 1.4, BLACK)
    cv.rect(26, 1, 27, 7, BLACK)
    cv.rect(27, 1, 29, 3, BLACK)


ICON_DRAWERS = [icon_piano, icon_dulcimer, icon_organ, icon_guitar, icon_bass, icon_violin,
                icon_orchestra_hit, icon_trombone, icon_sax, icon_flute, icon_scifi, icon_koto,
                icon_steel_drum, icon_bird]


def draw_icon(i):
    cv = icon_canvas()
    if i < len(ICON_DRAWERS):
        ICON_DRAWERS[i](cv)
    return finish_icon(cv)


# ---------------------------------------------------------------------------
# Application icon: the splash's night sky, a pair of notes and piano keys
# ---------------------------------------------------------------------------

def icon_image(size):
    """Rows of colours and the AND mask (1 = transparent) of one icon size."""
    cv = Canvas(size, size, (0, 0, 0))
    k = size / 32.0
    cv.scale(k)
    cv.rect(0, 0, 32, 32, cv.linear((0, 0), (0, 32), [(0, NIGHT_TOP), (1, NIGHT_BOTTOM)]))
    gold = cv.linear((0, 2), (0, 18), [(0, (255, 240, 176)), (1, (240, 182, 72))])
    if size >= 32:
        for i in range(5):
            f = 1 - i / 5
            cv.ellipse(16, 11, 6 + 9 * f, 4 + 6 * f, (110, 110, 196), alpha=0.1)
        draw_beamed(cv, 9.5, 15, 21.5, 13, 3.6, gold, rise=0.4, stem=0.34)
        draw_keyboard(cv, 0, 21, 32, 32, 5, first=2, key_lo=(200, 200, 192))
        cv.rect(0, 18.5, 32, 21, (14, 10, 16))
    else:
        # Drawn on the 16-pixel grid so that the small size stays crisp.
        cv.scale(2)
        cv.ellipse(6.5, 8.2, 2.3, 1.6, gold, rot=-20)
        cv.rect(8, 1.5, 9, 8, gold)
        cv.fill([(9, 1.5), (12, 4.5), (11.4, 6), (9, 3.5)], gold)
        cv.rect(0, 11, 16, 16, (250, 250, 246))
        cv.rect(0, 10, 16, 11, (14, 10, 16))
        for x in (5, 10):
            cv.rect(x, 11, x + 1, 16, (150, 150, 150))
        for x in (3.5, 8.5):
            cv.rect(x, 11, x + 3, 14, (24, 24, 28))
        cv.scale(0.5)
    cv.stroke(rrect_pts(0.5 / k, 0.5 / k, 32 - 0.5 / k, 32 - 0.5 / k, 6), 1.0 / k, (8, 10, 34), closed=True)
    # Rounded corners: pixels mostly outside the tile are transparent.
    tile = Canvas(size, size, (0, 0, 0))
    tile.scale(k)
    tile.fill(rrect_pts(0, 0, 32, 32, 6), (255, 255, 255))
    rows, mask = [], []
    for y in range(size):
        row, mrow = [], []
        for x in range(size):
            inside = tile.pixel(x, y)[0] >= 128
            row.append(cv.pixel(x, y) if inside else (0, 0, 0))
            mrow.append(0 if inside else 1)
        rows.append(row)
        mask.append(mrow)
    return rows, mask


# ---------------------------------------------------------------------------
# Play cursor: a pointing hand, monochrome, fingertip at (10, 2)
# ---------------------------------------------------------------------------

CURSOR_HOTSPOT = (10, 2)


def cursor_masks():
    """XOR and AND rows of the hand cursor."""
    cv = Canvas(32, 32, (0, 0, 0), aa=False)
    white = (255, 255, 255)
    cv.rrect(9, 3, 13, 17, 2, white)              # index finger, tip at y = 3
    cv.rrect(13, 10, 17, 19, 2, white)            # the curled fingers
    cv.rrect(17, 11, 21, 19, 2, white)
    cv.rrect(21, 13, 24, 20, 1.5, white)
    cv.fill([(4, 16), (6, 14.5), (10, 18), (10, 23), (8, 23)], white)   # thumb
    cv.fill(path([(9, 16), (24, 16), (24, 21)], quad((24, 21), (23, 26), (20, 27), 4),
                 [(11, 27)], quad((11, 27), (8, 25), (7, 21), 4)), white)  # palm
    inside = [[cv.pixel(x, y)[0] > 128 for x in range(32)] for y in range(32)]
    xor_rows = [[0] * 32 for _ in range(32)]
    and_rows = [[1] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            if inside[y][x]:
                xor_rows[y][x], and_rows[y][x] = 1, 0
                continue
            near = any(inside[y + dy][x + dx] for dx in (-1, 0, 1) for dy in (-1, 0, 1)
                       if 0 <= x + dx < 32 and 0 <= y + dy < 32)
            if near:
                xor_rows[y][x], and_rows[y][x] = 0, 0   # black outline
    # Creases between the curled fingers and the wrist cuff line.
    for x, y0, y1 in ((13, 12, 16), (17, 13, 17), (21, 15, 18)):
        for y in range(y0, y1):
            xor_rows[y][x] = 0
    for x in range(12, 21):
        xor_rows[25][x] = 0
    return xor_rows, and_rows



# ---------------------------------------------------------------------------
# Putting it together
# ---------------------------------------------------------------------------

def make_instruments():
    strip = Canvas(CELL_W * N_INSTRUMENTS, CELL_H, BACKGROUND)
    for i in range(N_INSTRUMENTS):
        strip.blit(draw_instrument(i), i * CELL_W, 0)
    return strip


def make_toolbar():
    rows = [[] for _ in range(ICON)]
    for i in range(N_ICONS):
        for y, row in enumerate(draw_icon(i)):
            rows[y] += row
    return rows


def build():
    """All the files, as {name: bytes}."""
    xor_rows, and_rows = cursor_masks()
    return {
        'splash.bmp': bmp24_bytes(make_splash().rgb_rows()),
        'instruments.bmp': bmp24_bytes(make_instruments().rgb_rows()),
        'toolbar.bmp': bmp8_bytes(make_toolbar(), VGA),
        'keys.bmp': bmp24_bytes(make_keys().rgb_rows()),
        'tonvira.ico': ico_bytes([icon_image(48), icon_image(32), icon_image(16)]),
        'play.cur': cur_bytes(xor_rows, and_rows, CURSOR_HOTSPOT),
    }


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = argv[1] if len(argv) > 1 else os.path.dirname(here)
    os.makedirs(out_dir, exist_ok=True)
    for name, data in build().items():
        with open(os.path.join(out_dir, name), 'wb') as f:
            f.write(data)
        print('wrote %s (%d bytes)' % (os.path.join(out_dir, name), len(data)))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
