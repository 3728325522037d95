#!/usr/bin/env python3
"""Draws the Quillan program icon and writes quillan.ico beside this script.

The artwork is a silver disc with a gold quill laid across it. The .ico holds
two 32 x 32 images, each with an AND mask: 16 colours (4 bpp, the standard
VGA palette so it still looks right on a 16-colour display) and 256 colours
(8 bpp, anti-aliased edges). All geometry is evaluated in integer sixteenths
of a pixel, so the output is the same bytes on every run and every machine.

Usage: python3 make_icon.py [output.ico]
"""

import math
import os
import struct
import sys

SIZE = 32            # icon width and height in pixels
SUB = 8              # samples per pixel along each axis
UNIT = 16            # geometry unit: 1/16 pixel; sample centres lie on odd units
MIX_STEPS = 8        # 256-colour edges blend two colours in eighths

VGA = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, OLIVE, SILVER, GREY, YELLOW, CYAN, WHITE = 0, 3, 7, 8, 11, 14, 15


def units(value):
    """Pixel coordinate -> integer geometry units."""
    return int(round(value * UNIT))


class Circle:
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r2 = units(cx), units(cy), units(r) ** 2

    def contains(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        return dx * dx + dy * dy < self.r2


class Polygon:
    def __init__(self, points):
        self.points = [(units(px), units(py)) for px, py in points]

    def contains(self, x, y):
        # Even-odd crossing test, all in integers so no rounding can differ.
        inside = False
        pts = self.points
        for i, (x1, y1) in enumerate(pts):
            x2, y2 = pts[i - 1]
            if (y1 > y) != (y2 > y):
                # x < x1 + (y - y1) * (x2 - x1) / (y2 - y1), sign-safe
                lhs = (x - x1) * (y2 - y1)
                rhs = (y - y1) * (x2 - x1)
                if (lhs < rhs) == (y2 > y1):
                    inside = not inside
        return inside


class Both:
    def __init__(self, *regions):
        self.regions = regions

    def contains(self, x, y):
        return all(r.contains(x, y) for r in self.regions)


class Outside:
    def __init__(self, region):
        self.region = region

    def contains(self, x, y):
        return not self.region.contains(x, y)


class Axis:
    """Maps (along, across) in pixels on the quill's axis to icon pixels."""

    def __init__(self, start, end):
        self.sx, self.sy = start
        dx, dy = end[0] - start[0], end[1] - start[1]
        self.length = math.sqrt(dx * dx + dy * dy)
        self.ux, self.uy = dx / self.length, dy / self.length

    def point(self, along, across):
        # "across" is positive to the lower right, away from the disc's hub.
        return (self.sx + along * self.ux - across * self.uy,
                self.sy + along * self.uy + across * self.ux)

    def polygon(self, local_points):
        return Polygon([self.point(a, c) for a, c in local_points])


def layers():
    """Bottom-to-top list of (rgb or None for transparent, vga index, region)."""
    cx = cy = 14.5
    disc = Circle(cx, cy, 13.6)
    body = Circle(cx, cy, 12.6)
    # Two opposite light wedges give the disc its sheen.
    sheen_a = Both(body, Polygon([(cx, cy), (cx - 14, cy - 5), (cx - 14, cy - 14),
                                  (cx - 6, cy - 14)]))
    sheen_b = Both(body, Polygon([(cx, cy), (cx + 14, cy + 4), (cx + 14, cy + 14),
                                  (cx + 5, cy + 14)]))
    glint = Both(body, Outside(Circle(cx, cy, 10.9)),
                 Polygon([(cx, cy), (cx - 3, cy - 14), (cx - 9, cy - 14)]))
    hub_edge = Circle(cx, cy, 5.8)
    hub = Circle(cx, cy, 4.9)
    hole = Circle(cx, cy, 2.7)

    quill = Axis((8.6, 31.0), (31.2, 3.4))
    base = 6.5  # where the vane starts along the quill

    def vane_outline(grow):
        """The vane's edge; grow widens it for the darker outline under it."""
        wide = [(0, 0.3), (3, 2.6), (8, 4.0), (14, 4.1), (19, 3.0), (23, 1.5)]
        narrow = [(21, -1.4), (15, -2.3), (8, -2.3), (3, -1.5), (0, -0.3)]
        points = [(base + a - grow, c + grow) for a, c in wide]
        points.append((quill.length + grow, 0.0))
        points += [(base + a - grow, c - grow) for a, c in narrow]
        return quill.polygon(points)

    # V-shaped cuts in the wide edge read as separate barbs.
    cuts = [quill.polygon([(a, 6.0), (a + 2.0, 6.0), (a - 1.8, 1.0)])
            for a in (base + 7.0, base + 14.0)]
    barbs = [Outside(cut) for cut in cuts]
    vane = Both(vane_outline(0.0), *barbs)
    vane_edge = Both(vane_outline(0.75), *barbs)
    # Light falls on the side away from the hub.
    lit_side = Polygon([quill.point(0, 0), quill.point(quill.length, 0),
                          quill.point(quill.length, 8), quill.point(0, 8)])
    shaft = quill.polygon([(2.0, 0.55), (quill.length - 3.0, 0.2),
                           (quill.length - 3.0, -0.2), (2.0, -0.55)])
    nib = quill.polygon([(0.0, 0.0), (base + 0.6, 1.3), (base + 0.6, -1.3)])
    nib_slit = quill.polygon([(0.8, 0.18), (base - 1.0, 0.18),
                              (base - 1.0, -0.18), (0.8, -0.18)])

    rim_rgb = (78, 104, 140)
    gold_edge = (150, 98, 18)
    return [
        (rim_rgb, GREY, disc),
        ((196, 206, 222), SILVER, body),
        ((150, 222, 240), CYAN, sheen_a),
        ((212, 182, 236), SILVER, sheen_b),
        ((246, 250, 255), WHITE, glint),
        (rim_rgb, GREY, hub_edge),
        ((232, 238, 246), WHITE, hub),
        (None, BLACK, hole),
        (gold_edge, OLIVE, vane_edge),
        ((236, 176, 52), YELLOW, vane),
        ((252, 214, 110), YELLOW, Both(vane, lit_side)),
        (gold_edge, OLIVE, shaft),
        ((36, 30, 40), BLACK, nib),
        ((150, 150, 160), GREY, nib_slit),
    ]


def render():
    """Returns per pixel a dict {layer index or -1 for transparent: samples}."""
    stack = layers()
    pixels = []
    for py in range(SIZE):
        row = []
        for px in range(SIZE):
            counts = {}
            for sy in range(SUB):
                y = (py * SUB + sy) * 2 + 1
                for sx in range(SUB):
                    x = (px * SUB + sx) * 2 + 1
                    hit = -1
                    for index in range(len(stack) - 1, -1, -1):
                        if stack[index][2].contains(x, y):
                            hit = index if stack[index][0] is not None else -1
                            break
                    counts[hit] = counts.get(hit, 0) + 1
            row.append(counts)
        pixels.append(row)
    return stack, pixels


def is_opaque(counts):
    return counts.get(-1, 0) * 2 < SUB * SUB


def ranked(counts):
    """Opaque layers by sample count, ties to the upper layer."""
    return sorted((k for k in counts if k >= 0), key=lambda k: (-counts[k], -k))


def image_16(stack, pixels):
    indices = [[ranked(c)[0] if is_opaque(c) else -1 for c in row] for row in pixels]
    colour = [[stack[k][1] if k >= 0 else 0 for k in row] for row in indices]
    return VGA, colour


def image_256(stack, pixels):
    colours = []
    for row in pixels:
        out = []
        for counts in row:
            if not is_opaque(counts):
                out.append(None)
                continue
            order = ranked(counts)
            a = stack[order[0]][0]
            if len(order) == 1:
                out.append(a)
                continue
            b = stack[order[1]][0]
            ca, cb = counts[order[0]], counts[order[1]]
            step = (MIX_STEPS * cb * 2 + (ca + cb)) // (2 * (ca + cb))
            out.append(tuple((pa * (MIX_STEPS - step) + pb * step + MIX_STEPS // 2)
                             // MIX_STEPS for pa, pb in zip(a, b)))
        colours.append(out)
    used = sorted({c for row in colours for c in row if c is not None} - {(0, 0, 0)})
    palette = [(0, 0, 0)] + used
    if len(palette) > 256:
        sys.exit("make_icon: %d colours do not fit a 256-colour palette" % len(palette))
    lookup = {c: i for i, c in enumerate(palette)}
    index_rows = [[lookup[c] if c is not None else 0 for c in row] for row in colours]
    return palette + [(0, 0, 0)] * (256 - len(palette)), index_rows


def and_mask(pixels):
    """1 bpp, bottom-up, 1 = transparent; 32 pixels make a whole DWORD row."""
    data = bytearray()
    for row in reversed(pixels):
        bits = 0
        for counts in row:
            bits = (bits << 1) | (0 if is_opaque(counts) else 1)
        data += struct.pack(">I", bits)
    return bytes(data)


def xor_bitmap(index_rows, bpp):
    data = bytearray()
    for row in reversed(index_rows):
        line = bytearray()
        if bpp == 4:
            for i in range(0, SIZE, 2):
                line.append((row[i] << 4) | row[i + 1])
        else:
            line += bytes(row)
        line += b"\0" * (-len(line) % 4)
        data += line
    return bytes(data)


def ico_image(palette, index_rows, bpp, mask):
    xor = xor_bitmap(index_rows, bpp)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, bpp, 0,
                         len(xor) + len(mask), 0, 0, len(palette), 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colours + xor + mask


def build_ico():
    stack, pixels = render()
    mask = and_mask(pixels)
    images = [
        (16, 4, ico_image(*image_16(stack, pixels), 4, mask)),
        (0, 8, ico_image(*image_256(stack, pixels), 8, mask)),
    ]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = len(out) + 16 * len(images)
    for colour_count, bpp, data in images:
        out += struct.pack("<BBBBHHII", SIZE, SIZE, colour_count, 0, 1, bpp,
                           len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return out


# The About box shows the icon as a picture of its own: the 256-colour image
# with the see-through pixels in a key colour that the icon never uses.
ICON_KEY = (255, 0, 255)


def icon_ppm():
    stack, pixels = render()
    palette, index_rows = image_256(stack, pixels)
    data = bytearray(b"P6\n%d %d\n255\n" % (SIZE, SIZE))
    for row, mask_row in zip(index_rows, pixels):
        for index, counts in zip(row, mask_row):
            data += bytes(palette[index] if is_opaque(counts) else ICON_KEY)
    return bytes(data)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "quillan.ico")
    with open(path, "wb") as f:
        f.write(build_ico())
    with open(os.path.join(os.path.dirname(path), "quillan_icon.ppm"), "wb") as f:
        f.write(icon_ppm())


if __name__ == "__main__":
    main()
