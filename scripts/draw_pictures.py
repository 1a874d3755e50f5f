#!/usr/bin/env python3
"""Draws Quozzolo's pictures and writes them as XPM files.

Every picture is computed pixel by pixel from simple shapes, so the
artwork can be tweaked here and regenerated. Run by hand; the outputs in
src/app/assets/ are checked in and the build does not run this script.

    python3 scripts/draw_pictures.py [output-folder]
"""

import math
import os
import sys

# Classic 16-colour VGA palette: the buttons and the stopwatch stay inside it.
BLACK = (0x00, 0x00, 0x00)
MAROON = (0x80, 0x00, 0x00)
GREEN = (0x00, 0x80, 0x00)
OLIVE = (0x80, 0x80, 0x00)
NAVY = (0x00, 0x00, 0x80)
PURPLE = (0x80, 0x00, 0x80)
TEAL = (0x00, 0x80, 0x80)
SILVER = (0xC0, 0xC0, 0xC0)
GREY = (0x80, 0x80, 0x80)
RED = (0xFF, 0x00, 0x00)
LIME = (0x00, 0xFF, 0x00)
YELLOW = (0xFF, 0xFF, 0x00)
BLUE = (0x00, 0x00, 0xFF)
FUCHSIA = (0xFF, 0x00, 0xFF)
AQUA = (0x00, 0xFF, 0xFF)
WHITE = (0xFF, 0xFF, 0xFF)
VGA16 = {BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER,
         GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE}


class Canvas:
    """A grid of RGB tuples; None is transparent."""

    def __init__(self, size, fill=None):
        self.w = self.h = size
        self.px = [[fill] * size for _ in range(size)]

    def set(self, x, y, colour):
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = colour

    def get(self, x, y):
        return self.px[y][x]

    def paint(self, inside, colour):
        """Paints every pixel whose centre satisfies inside(cx, cy)."""
        for y in range(self.h):
            for x in range(self.w):
                if inside(x + 0.5, y + 0.5):
                    self.px[y][x] = colour

    def colours(self):
        return {c for row in self.px for c in row}


# ---- shapes, tested at pixel centres ---------------------------------------

def disc(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r_out, r_in):
    def inside(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        return r_in * r_in < d2 <= r_out * r_out
    return inside


def segment_distance(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else ((x - ax) * dx + (y - ay) * dy) / length2
    t = max(0.0, min(1.0, t))
    return math.hypot(x - (ax + t * dx), y - (ay + t * dy))


def capsule(ax, ay, bx, by, r):
    return lambda x, y: segment_distance(x, y, ax, ay, bx, by) <= r


def rect(x0, y0, x1, y1):
    """Pixels x0..x1-1, y0..y1-1 (integer pixel bounds)."""
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def mask_of(size, inside):
    return [[inside(x + 0.5, y + 0.5) for x in range(size)]
            for y in range(size)]


def edge_of(mask):
    """Pixels of the mask that touch the outside through a side (not a
    corner): a one-pixel line that still closes diagonally."""
    h, w = len(mask), len(mask[0])

    def out(x, y):
        return not (0 <= x < w and 0 <= y < h and mask[y][x])

    return [[mask[y][x] and (out(x - 1, y) or out(x + 1, y) or
                             out(x, y - 1) or out(x, y + 1))
             for x in range(w)] for y in range(h)]


def paint_mask(canvas, mask, colour, where=lambda x, y: True):
    for y, row in enumerate(mask):
        for x, on in enumerate(row):
            if on and where(x, y):
                canvas.set(x, y, colour)


# ---- a 3x5 font, just the glyphs the icon needs ----------------------------

FONT = {
    '-': ["...",
          "...",
          "###",
          "...",
          "..."],
    'a': ["...",
          ".##",
          "#.#",
          "#.#",
          ".##"],
    'b': ["#..",
          "#..",
          "##.",
          "#.#",
          "##."],
    ':': [".",
          "#",
          ".",
          "#",
          "."],
}


def text_width(text, scale, gap):
    return sum(len(FONT[c][0]) * scale for c in text) + gap * (len(text) - 1)


def draw_text(canvas, text, x, y, scale, gap, colour):
    for c in text:
        glyph = FONT[c]
        for gy, row in enumerate(glyph):
            for gx, bit in enumerate(row):
                if bit == '#':
                    for sy in range(scale):
                        for sx in range(scale):
                            canvas.set(x + gx * scale + sx,
                                       y + gy * scale + sy, colour)
        x += len(glyph[0]) * scale + gap


# ---- pictures --------------------------------------------------------------

def icon(size):
    """'-a : b' in blue on a dark-to-light grey gradient, blue frame."""
    c = Canvas(size)
    border = 2 if size >= 32 else 1
    top, bottom = 0x40, 0xD8
    for y in range(size):
        t = y / (size - 1)
        g = round(top + (bottom - top) * t)
        for x in range(size):
            c.set(x, y, (g, g, g))
    frame = (0x00, 0x20, 0xC0)
    for y in range(size):
        for x in range(size):
            if min(x, y, size - 1 - x, size - 1 - y) < border:
                c.set(x, y, frame)
    # Doubling the 3x5 glyphs keeps the 32 px icon readable; at 16 px
    # there is only room for the bare glyphs and no minus sign.
    if size >= 32:
        text, scale, gap = "-a:b", 2, 2
    else:
        text, scale, gap = "a:b", 1, 1
    x = (size - text_width(text, scale, gap) + 1) // 2
    y = (size - 5 * scale) // 2
    draw_text(c, text, x, y, scale, gap, (0x00, 0x00, 0xFF))
    return c


def face_geometry(size):
    """Centre and radius of the yellow disc, shared by the three faces."""
    half = size / 2
    return half, half, half - 0.5


def face_base(size):
    c = Canvas(size)
    cx, cy, r = face_geometry(size)
    c.paint(disc(cx, cy, r), YELLOW)
    outline = 1.2 if size >= 32 else 1.0
    c.paint(ring(cx, cy, r, r - outline), BLACK)
    # Eyes: upright ovals, mirrored about the vertical axis.
    if size >= 32:
        for ex in (cx - 4.5, cx + 4.5):
            c.paint(lambda x, y, ex=ex:
                    ((x - ex) / 1.3) ** 2 + ((y - 11.5) / 2.3) ** 2 <= 1,
                    BLACK)
    else:
        for ex in (5, 10):
            c.set(ex, 5, BLACK)
            c.set(ex, 6, BLACK)
    return c


def next_normal(size):
    """Smiling face: the mouth is the lower part of a thin ring."""
    c = face_base(size)
    cx, cy, _ = face_geometry(size)
    if size >= 32:
        mouth_r, thick, from_y, mcy = 9.0, 1.5, cy + 2.5, cy - 1
    else:
        mouth_r, thick, from_y, mcy = 4.6, 1.0, cy + 1.5, cy - 0.5
    arc = ring(cx, mcy, mouth_r, mouth_r - thick)
    c.paint(lambda x, y: arc(x, y) and y > from_y, BLACK)
    return c


def next_pressed(size):
    """Same face, straight mouth."""
    c = face_base(size)
    if size >= 32:
        c.paint(rect(10, 21, 22, 23), BLACK)
    else:
        c.paint(rect(5, 10, 11, 11), BLACK)
    return c


def next_disabled(size):
    """Same face, wide-open red laughing mouth."""
    c = face_base(size)
    cx, cy, _ = face_geometry(size)
    if size >= 32:
        top, r = cy + 1, 9.5
    else:
        top, r = cy, 5.0
    half = lambda x, y: y >= top and (x - cx) ** 2 + (y - top) ** 2 <= r * r
    mouth = mask_of(size, half)
    paint_mask(c, mouth, RED)
    paint_mask(c, edge_of(mouth), BLACK)
    return c


def exit_sign(size):
    """No-entry sign: red disc, white bar across the middle."""
    c = Canvas(size)
    half = size / 2
    r = half - 0.5
    c.paint(disc(half, half, r), RED)
    c.paint(ring(half, half, r, r - (1.2 if size >= 32 else 1.0)), MAROON)
    if size >= 32:
        c.paint(rect(6, 12, 26, 20), WHITE)
    else:
        c.paint(rect(3, 6, 13, 10), WHITE)
    return c


def stopwatch(size):
    """Round white dial with a crown on top, red hour marks, two hands."""
    c = Canvas(size)
    big = size >= 32
    cx = size / 2
    if big:
        cy, r = 18.0, 13.5
    else:
        cy, r = 9.0, 6.9
    # Crown: a knob on a short stem, drawn first so the rim overlaps it.
    if big:
        stem = rect(14, 3, 18, 6)
        knob = rect(12, 0, 20, 3)
        c.paint(union(stem, knob), BLACK)
        c.paint(rect(13, 1, 19, 2), SILVER)
        c.paint(rect(15, 3, 17, 5), GREY)
    else:
        c.paint(union(rect(6, 0, 10, 1), rect(7, 1, 9, 3)), BLACK)
    c.paint(disc(cx, cy, r), BLACK)
    if big:
        c.paint(disc(cx, cy, r - 1.2), GREY)
        c.paint(disc(cx, cy, r - 2.6), WHITE)
    else:
        c.paint(disc(cx, cy, r - 1.1), WHITE)
    # Hour marks: twelve short ticks, longer at 12, 3, 6 and 9.
    if big:
        for h in range(12):
            a = h * math.pi / 6
            outer = r - 3.4
            inner = outer - (2.2 if h % 3 == 0 else 1.4)
            sx, sy = math.sin(a), -math.cos(a)
            c.paint(capsule(cx + sx * inner, cy + sy * inner,
                            cx + sx * outer, cy + sy * outer, 0.55), RED)
    else:
        ix, iy = int(cx), int(cy)
        for x, y in ((ix - 1, iy - 5), (ix, iy - 5), (ix + 4, iy - 1),
                     (ix + 4, iy), (ix - 1, iy + 4), (ix, iy + 4),
                     (ix - 5, iy - 1), (ix - 5, iy)):
            c.set(x, y, RED)
    # Hands: minute hand to 12, hour hand to 3, two pixels thick so they
    # sit squarely on the even-sized grid; both stop short of the marks.
    if big:
        c.paint(rect(15, 11, 17, 19), BLACK)
        c.paint(rect(15, 17, 22, 19), BLACK)
    else:
        c.paint(rect(7, 5, 9, 10), BLACK)
        c.paint(rect(7, 8, 12, 10), BLACK)
    return c


def cursor():
    """Pointing hand, index finger straight up, fingertip at (5, 0)."""
    size = 32
    r = 2.1  # just under sqrt(5): the fingertip row is a single pixel
    index = capsule(5.5, 2.5, 5.5, 16.0, r)
    # Folded fingers, five pixels wide like the index: neighbours share
    # their side column, so each crease is a single black line.
    knuckles = [capsule(9.5, 11.5, 9.5, 17.0, 2.5),
                capsule(13.5, 12.5, 13.5, 17.0, 2.5),
                capsule(17.5, 13.5, 17.5, 17.0, 2.5)]
    tx0, ty0, tx1, ty1 = 1.8, 15.2, 6.5, 21.0
    thumb = capsule(tx0, ty0, tx1, ty1, 2.1)
    palm = union(rect(3, 16, 20, 24),
                 capsule(6.5, 23.5, 16.5, 23.5, 2.6))
    cuff = rect(6, 25, 18, 32)  # its top line is the palm's bottom
    hand = union(index, thumb, palm, *knuckles)

    c = Canvas(size)
    hand_mask = mask_of(size, hand)
    paint_mask(c, hand_mask, WHITE)
    paint_mask(c, edge_of(hand_mask), BLACK)
    # Creases, only down to the palm so the palm stays clean.
    for k in [index] + knuckles:
        paint_mask(c, edge_of(mask_of(size, k)), BLACK,
                   lambda x, y: x >= 7 and y <= 16)
    # Line where the thumb lies against the palm: only the thumb's
    # upper-right side, the rest is already the hand's outline.
    def above_thumb(x, y):
        px, py = x + 0.5 - tx0, y + 0.5 - ty0
        return (tx1 - tx0) * py - (ty1 - ty0) * px < 0 and x >= 4
    paint_mask(c, edge_of(mask_of(size, thumb)), BLACK, above_thumb)
    cuff_mask = mask_of(size, cuff)
    paint_mask(c, cuff_mask, WHITE)
    paint_mask(c, edge_of(cuff_mask), BLACK)
    return c


# ---- XPM output ------------------------------------------------------------

KEY_CHARS = (" .#+@$%&*=-;>,')!~{]^/(_:<[}|1234567890"
             "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ")


def to_xpm(canvas, name):
    colours = sorted(canvas.colours(), key=lambda c: (c is not None, c or ()))
    per_pixel = 1 if len(colours) <= len(KEY_CHARS) else 2
    keys = {}
    for i, colour in enumerate(colours):
        if per_pixel == 1:
            keys[colour] = KEY_CHARS[i]
        else:
            n = len(KEY_CHARS)
            keys[colour] = KEY_CHARS[i // n] + KEY_CHARS[i % n]
    lines = ["/* XPM */",
             "static const char *%s[] = {" % name,
             '"%d %d %d %d",' % (canvas.w, canvas.h, len(colours), per_pixel)]
    for colour in colours:
        value = "None" if colour is None else "#%02X%02X%02X" % colour
        lines.append('"%s c %s",' % (keys[colour], value))
    rows = ['"%s"' % "".join(keys[p] for p in row) for row in canvas.px]
    lines.append(",\n".join(rows))
    lines.append("};")
    return "\n".join(lines) + "\n"


def check(name, canvas, vga):
    colours = canvas.colours()
    if vga:
        extra = {c for c in colours if c is not None} - VGA16
        assert not extra, "%s: colours outside the 16-colour palette: %s" % (
            name, extra)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(
        os.path.join(here, os.pardir, "src", "app", "assets"))
    os.makedirs(out, exist_ok=True)

    pictures = []
    for size in (32, 16):
        pictures += [
            ("icon%d" % size, icon(size), False),
            ("next_normal%d" % size, next_normal(size), True),
            ("next_pressed%d" % size, next_pressed(size), True),
            ("next_disabled%d" % size, next_disabled(size), True),
            ("exit%d" % size, exit_sign(size), True),
            ("stopwatch%d" % size, stopwatch(size), True),
        ]
    hand = cursor()
    assert hand.get(5, 0) == BLACK and all(
        hand.get(x, 0) is None for x in range(32) if x != 5), \
        "the fingertip must be the only pixel of the top row, at x=5"
    assert set(hand.colours()) <= {None, BLACK, WHITE}
    pictures.append(("cursor32", hand, True))

    for name, canvas, vga in pictures:
        check(name, canvas, vga)
        path = os.path.join(out, name + ".xpm")
        with open(path, "w", encoding="ascii", newline="\n") as f:
            f.write(to_xpm(canvas, name + "_xpm"))
        print(path)


if __name__ == "__main__":
    main()
