#!/usr/bin/env python3
"""Draws the artwork of Quillan's main window and writes it beside this script.

Written files (paths relative to this directory):
  background.jpg        the 400 x 200 backdrop of the window: navy gradient,
                        title, the four button faces, the panel behind the
                        captions and fields, and the groove of the progress bar.
  sprites/image6.ppm    lit face of the open button       (26 x 25, P6)
  sprites/image7.ppm    lit face of the start button
  sprites/image8.ppm    lit face of the about button
  sprites/image9.ppm    normal face of the open button
  sprites/image10.ppm   normal face of the start button
  sprites/image11.ppm   normal face of the about button
  sprites/image12.ppm   lit face of the exit button
  sprites/image13.ppm   normal face of the exit button

The window draws a sprite transparently, taking the colour of its bottom-left
pixel as the transparent one. Every sprite pixel outside the rounded tile is
therefore KEY, a colour that never occurs inside a tile, so the window's own
backdrop shows through the tile's cut corners.

Shapes are anti-aliased by counting SUB x SUB samples per pixel. Everything is
plain Python arithmetic on fixed inputs, so the PPM files are the same bytes on
every run; the JPEG comes from ImageMagick's `convert`, which is deterministic
for a fixed input and fixed options.

Usage: python3 make_artwork.py
"""

import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))

WIDTH, HEIGHT = 400, 200
TILE_W, TILE_H = 26, 25
SUB = 4                      # anti-aliasing samples per pixel along each axis
KEY = (255, 0, 255)          # transparent colour of the sprites
JPEG_QUALITY = 90

# Backdrop colours. The window's own background colour is (6, 32, 64); the
# gradient runs through it so the picture blends with anything the window
# paints itself.
NAVY_TOP = (9, 40, 77)
NAVY_BOTTOM = (4, 25, 52)

# Buttons placed by the window: name, left, top, normal sprite, lit sprite.
BUTTONS = [
    ("open", 8, 8, 9, 6),
    ("start", 36, 8, 10, 7),
    ("about", 64, 8, 11, 8),
    ("exit", 362, 8, 13, 12),
]

# Controls the window places over the panel, as (left, top, width, height).
DROP_DOWN = (119, 56, 260, 21)
FIELDS = [(120, 83, 235, 15), (120, 99, 41, 15), (120, 115, 41, 15),
          (120, 131, 201, 15), (120, 147, 73, 15)]
PROGRESS = (31, 168, 337, 16)


# ---------------------------------------------------------------------------
# Canvas and drawing helpers
# ---------------------------------------------------------------------------

class Canvas:
    """An RGB picture held as floats, so layered blending does not round early."""

    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width, self.height = width, height
        self.px = [[list(map(float, colour)) for _ in range(width)]
                   for _ in range(height)]

    def blend(self, x, y, colour, alpha):
        if 0 <= x < self.width and 0 <= y < self.height and alpha > 0:
            p = self.px[y][x]
            for i in range(3):
                p[i] += (colour[i] - p[i]) * alpha

    def crop(self, left, top, width, height):
        part = Canvas(width, height)
        part.px = [[list(self.px[top + y][left + x]) for x in range(width)]
                   for y in range(height)]
        return part

    def rgb(self, x, y):
        return tuple(max(0, min(255, int(v + 0.5))) for v in self.px[y][x])

    def ppm(self):
        head = b"P6\n%d %d\n255\n" % (self.width, self.height)
        body = bytearray()
        for y in range(self.height):
            for x in range(self.width):
                body.extend(self.rgb(x, y))
        return head + bytes(body)


class Shape:
    """A region of the plane: a bounding box and an inside test in pixels.

    Pixel (x, y) covers the square [x, x+1) x [y, y+1), so a rect from 8 to 34
    covers exactly the pixels 8..33.
    """

    def __init__(self, box, inside):
        self.box = box          # (x0, y0, x1, y1), may be fractional
        self.inside = inside

    def shifted(self, dx, dy):
        x0, y0, x1, y1 = self.box
        return Shape((x0 + dx, y0 + dy, x1 + dx, y1 + dy),
                     lambda x, y: self.inside(x - dx, y - dy))

    def minus(self, other):
        return Shape(self.box, lambda x, y: self.inside(x, y) and not other.inside(x, y))

    def plus(self, other):
        a, b = self.box, other.box
        box = (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3]))
        return Shape(box, lambda x, y: self.inside(x, y) or other.inside(x, y))

    def coverage(self, px, py):
        """Share of pixel (px, py) inside the shape, 0.0 .. 1.0."""
        hits = 0
        for sy in range(SUB):
            y = py + (sy + 0.5) / SUB
            for sx in range(SUB):
                if self.inside(px + (sx + 0.5) / SUB, y):
                    hits += 1
        return hits / (SUB * SUB)


def rect(x0, y0, x1, y1):
    return Shape((x0, y0, x1, y1), lambda x, y: x0 <= x < x1 and y0 <= y < y1)


def rounded_rect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x < x1 and y0 <= y < y1):
            return False
        # Only the four corner squares need the circle test.
        cx = x0 + r if x < x0 + r else (x1 - r if x > x1 - r else x)
        cy = y0 + r if y < y0 + r else (y1 - r if y > y1 - r else y)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return Shape((x0, y0, x1, y1), inside)


def circle(cx, cy, r):
    return Shape((cx - r, cy - r, cx + r, cy + r),
                 lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r)


def polygon(points):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(x, y):
        # Even-odd crossing test.
        result = False
        for i, (xa, ya) in enumerate(points):
            xb, yb = points[i - 1]
            if (ya > y) != (yb > y):
                if x < xa + (y - ya) * (xb - xa) / (yb - ya):
                    result = not result
        return result
    return Shape((min(xs), min(ys), max(xs), max(ys)), inside)


def line(xa, ya, xb, yb, width):
    """A straight stroke with square ends, as a four-sided polygon."""
    dx, dy = xb - xa, yb - ya
    length = (dx * dx + dy * dy) ** 0.5
    nx, ny = -dy / length * width / 2, dx / length * width / 2
    return polygon([(xa + nx, ya + ny), (xb + nx, yb + ny),
                    (xb - nx, yb - ny), (xa - nx, ya - ny)])


def vertical_gradient(y0, y1, top, bottom):
    """Paint: a colour that runs from `top` at y0 to `bottom` at y1."""
    def paint(x, y):
        t = min(1.0, max(0.0, (y + 0.5 - y0) / float(y1 - y0)))
        return tuple(a + (b - a) * t for a, b in zip(top, bottom))
    return paint


def fill(canvas, shape, paint, alpha=1.0):
    """Blends `paint` (a colour, or a function of x, y) over the shape."""
    x0, y0, x1, y1 = shape.box
    for py in range(max(0, int(y0) - 1), min(canvas.height, int(y1) + 2)):
        for px in range(max(0, int(x0) - 1), min(canvas.width, int(x1) + 2)):
            c = shape.coverage(px, py)
            if c > 0:
                colour = paint(px, py) if callable(paint) else paint
                canvas.blend(px, py, colour, c * alpha)


def fill_rect(canvas, x0, y0, x1, y1, paint, alpha=1.0):
    """Whole pixels only, no sampling: x0..x1-1, y0..y1-1."""
    for py in range(max(0, y0), min(canvas.height, y1)):
        for px in range(max(0, x0), min(canvas.width, x1)):
            colour = paint(px, py) if callable(paint) else paint
            canvas.blend(px, py, colour, alpha)


def embossed(canvas, shape, paint, shadow=(0, 8, 22), shadow_alpha=0.55):
    """A pictogram part with a soft shadow one pixel down and right."""
    fill(canvas, shape.shifted(1, 1), shadow, shadow_alpha)
    fill(canvas, shape, paint)


# ---------------------------------------------------------------------------
# Button faces
# ---------------------------------------------------------------------------

def tile_shape(left, top):
    """The rounded tile every button face sits on. A radius of 6 leaves each
    corner pixel (notably the bottom-left one the window reads as its
    transparent colour) entirely outside the tile."""
    return rounded_rect(left, top, left + TILE_W, top + TILE_H, 6)


def draw_tile(canvas, left, top, lit):
    outer = tile_shape(left, top)
    body = rounded_rect(left + 1, top + 1, left + TILE_W - 1, top + TILE_H - 1, 5)
    if lit:
        # A bright cyan rim and a lighter, bluer body make the lit state
        # obvious without changing the tile's outline.
        fill(canvas, outer, (120, 222, 255))
        fill(canvas, body, vertical_gradient(top + 1, top + TILE_H - 1,
                                             (104, 168, 228), (34, 92, 162)))
        inner = rounded_rect(left + 2, top + 2, left + TILE_W - 2, top + TILE_H - 2, 4)
        fill(canvas, body.minus(inner), (200, 245, 255), 0.45)
        fill(canvas, circle(left + 13, top + 13, 9.5), (170, 225, 255), 0.18)
        gloss_alpha = 0.22
    else:
        fill(canvas, outer, (3, 15, 33))
        fill(canvas, body, vertical_gradient(top + 1, top + TILE_H - 1,
                                             (66, 104, 150), (26, 54, 94)))
        gloss_alpha = 0.12
    # Gloss on the upper half gives the tile a rounded, pressable look.
    fill(canvas, rounded_rect(left + 2, top + 2, left + TILE_W - 2, top + 12, 4),
         (255, 255, 255), gloss_alpha)


def draw_open(canvas, left, top, lit):
    """An open folder: the back with its tab, and the front flap tipped open."""
    back = polygon([(5, 6), (10, 6), (12, 8), (20, 8), (20, 18), (5, 18)])
    paper = rect(8, 9, 19, 14)
    flap = polygon([(8, 11.5), (23, 11.5), (19.5, 19), (4, 19)])
    if lit:
        back_c, paper_c, flap_c = (236, 178, 56), (255, 255, 255), (255, 222, 110)
    else:
        back_c, paper_c, flap_c = (196, 142, 40), (226, 232, 240), (234, 190, 78)
    embossed(canvas, back.shifted(left, top), back_c)
    fill(canvas, paper.shifted(left, top), paper_c)
    embossed(canvas, flap.shifted(left, top), flap_c, shadow_alpha=0.35)


def draw_start(canvas, left, top, lit):
    """A downward arrow into a chip: firmware going into the drive's memory."""
    shaft = rect(11, 3, 15, 9)
    head = polygon([(7, 9), (19, 9), (13, 15)])
    chip = rect(6, 16, 20, 21)
    legs = [rect(x, 21, x + 1.4, 23) for x in (7.5, 10.5, 13.5, 16.5)]
    notch = circle(8.5, 18.5, 1.0)
    if lit:
        arrow_c, chip_c, leg_c = (140, 255, 150), (58, 64, 80), (240, 240, 250)
    else:
        arrow_c, chip_c, leg_c = (92, 214, 112), (40, 46, 60), (190, 198, 212)
    for leg in legs:
        fill(canvas, leg.shifted(left, top), leg_c)
    embossed(canvas, chip.shifted(left, top), chip_c)
    # A lit top edge and a pin-one mark make the black box read as a chip.
    fill(canvas, rect(6, 16, 20, 17).shifted(left, top), (150, 160, 180), 0.7)
    fill(canvas, notch.shifted(left, top), (120, 128, 146))
    embossed(canvas, shaft.plus(head).shifted(left, top), arrow_c)


def draw_about(canvas, left, top, lit):
    """A letter "i" on a round badge."""
    badge = circle(13, 12.5, 8.5)
    dot = circle(13, 7.6, 1.7)
    stem = rect(11.6, 10.2, 14.4, 17)
    foot = rect(10.2, 16, 15.8, 17.6)
    cap = rect(10.6, 10.2, 14.4, 11.6)
    if lit:
        badge_c, letter_c = (250, 253, 255), (20, 80, 170)
    else:
        badge_c, letter_c = (214, 226, 240), (18, 52, 104)
    embossed(canvas, badge.shifted(left, top), badge_c)
    for part in (dot, stem, foot, cap):
        fill(canvas, part.shifted(left, top), letter_c)


def draw_exit(canvas, left, top, lit):
    """A bold red "X"."""
    cross = line(7.5, 6.5, 18.5, 18.5, 3.4).plus(line(18.5, 6.5, 7.5, 18.5, 3.4))
    colour = (255, 110, 96) if lit else (222, 70, 62)
    embossed(canvas, cross.shifted(left, top), colour)


PICTOGRAMS = {"open": draw_open, "start": draw_start,
              "about": draw_about, "exit": draw_exit}


def draw_face(canvas, name, left, top, lit):
    draw_tile(canvas, left, top, lit)
    PICTOGRAMS[name](canvas, left, top, lit)


# ---------------------------------------------------------------------------
# Backdrop
# ---------------------------------------------------------------------------

# 5 x 7 block letters of the title, drawn here rather than taken from a font.
LETTERS = {
    "Q": [".###.", "#...#", "#...#", "#...#", "#.#.#", "#..#.", ".##.#"],
    "U": ["#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    "I": [".###.", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "N": ["#...#", "##..#", "#.#.#", "#..##", "#...#", "#...#", "#...#"],
}
BLOCK = 3          # pixels per letter cell
LETTER_GAP = 3     # pixels between letters


def draw_title(canvas, left, top, word):
    """The program name in blocky letters, lit from above, with a shadow."""
    paint = vertical_gradient(top, top + 7 * BLOCK, (200, 240, 255), (70, 160, 226))
    step = 5 * BLOCK + LETTER_GAP
    for pass_no in (0, 1):      # all shadows first, so none falls on a letter
        for i, ch in enumerate(word):
            for row, bits in enumerate(LETTERS[ch]):
                for col, bit in enumerate(bits):
                    if bit != "#":
                        continue
                    x = left + i * step + col * BLOCK
                    y = top + row * BLOCK
                    if pass_no == 0:
                        fill_rect(canvas, x + 1, y + 1, x + BLOCK + 1, y + BLOCK + 1,
                                  (1, 10, 26), 0.8)
                    else:
                        fill_rect(canvas, x, y, x + BLOCK, y + BLOCK, paint)


def title_width(word):
    return len(word) * 5 * BLOCK + (len(word) - 1) * LETTER_GAP


def draw_emblem(canvas, cx, cy):
    """A small silver disc crossed by a gold quill, after the program icon."""
    fill(canvas, circle(cx, cy, 10), (70, 96, 132))
    fill(canvas, circle(cx, cy, 9.2), vertical_gradient(cy - 9, cy + 9,
                                                        (222, 230, 242), (150, 166, 190)))
    # Two opposite light wedges give the disc its sheen.
    body = circle(cx, cy, 9.2)
    wedge_a = polygon([(cx, cy), (cx - 10, cy - 4), (cx - 10, cy - 10), (cx - 4, cy - 10)])
    wedge_b = polygon([(cx, cy), (cx + 10, cy + 3), (cx + 10, cy + 10), (cx + 4, cy + 10)])
    fill(canvas, Shape(body.box, lambda x, y: body.inside(x, y) and wedge_a.inside(x, y)),
         (150, 222, 240), 0.7)
    fill(canvas, Shape(body.box, lambda x, y: body.inside(x, y) and wedge_b.inside(x, y)),
         (212, 182, 236), 0.7)
    fill(canvas, circle(cx, cy, 3.8), (90, 110, 140))
    fill(canvas, circle(cx, cy, 3.1), (236, 240, 248))
    fill(canvas, circle(cx, cy, 1.7), NAVY_TOP)
    # The quill: a slim leaf from lower left to upper right, nib at the bottom.
    quill = polygon([(cx - 8, cy + 10), (cx - 3, cy + 2), (cx + 3, cy - 5),
                     (cx + 11, cy - 11), (cx + 6, cy - 3), (cx - 1, cy + 4)])
    fill(canvas, quill.shifted(0.8, 0.8), (60, 40, 10), 0.6)
    fill(canvas, quill, (240, 182, 58))
    fill(canvas, line(cx - 7.5, cy + 9.5, cx + 10, cy - 10.5, 0.7), (160, 104, 22))


def draw_accent(canvas, y, x0, x1):
    """An engraved rule under the top strip that fades out towards both ends."""
    mid, half = (x0 + x1) / 2.0, (x1 - x0) / 2.0
    for x in range(x0, x1):
        fade = 1.0 - ((x + 0.5 - mid) / half) ** 2
        canvas.blend(x, y, (0, 10, 26), 0.6 * fade)
        canvas.blend(x, y + 1, (70, 150, 210), 0.55 * fade)


def draw_panel(canvas):
    """The lighter panel behind the captions and fields."""
    x0, y0, x1, y1 = 8, 50, 392, 165
    fill(canvas, rounded_rect(x0, y0, x1, y1, 8), (44, 94, 150))
    fill(canvas, rounded_rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, 7),
         vertical_gradient(y0, y1, (18, 58, 104), (11, 44, 84)))
    # A faint disc watermark in the open space to the lower right of the fields.
    for r, a in ((38, 0.07), (30, 0.05), (14, 0.08)):
        ring = circle(340, 128, r).minus(circle(340, 128, r - 1.2))
        fill(canvas, ring, (150, 200, 240), a)
    fill(canvas, circle(340, 128, 5), (150, 200, 240), 0.06)
    # A one-pixel dark well around every field, so each sits in the panel
    # rather than on it. The window draws the field itself inside the well.
    for (l, t, w, h) in [DROP_DOWN] + FIELDS:
        well = rect(l - 1, t - 1, l + w + 1, t + h + 1).minus(rect(l, t, l + w, t + h))
        fill(canvas, well, (3, 18, 40), 0.85)


def draw_groove(canvas):
    """The sunken channel the progress bar runs in."""
    l, t, w, h = PROGRESS
    x0, y0, x1, y1 = l - 2, t - 2, l + w + 2, t + h + 2      # 29..369, 166..185
    # Light lip along the lower edge, then the dark channel over it: an inset bevel.
    fill(canvas, rounded_rect(x0, y0, x1, y1 + 1, 3), (64, 118, 176))
    fill(canvas, rounded_rect(x0, y0, x1, y1, 3), (2, 12, 28))
    fill(canvas, rect(x0 + 1, y0 + 1, x1 - 1, y1 - 1), (1, 7, 18))


def draw_background_base():
    """Everything of the backdrop except the button faces."""
    canvas = Canvas(WIDTH, HEIGHT)
    fill_rect(canvas, 0, 0, WIDTH, HEIGHT,
              vertical_gradient(0, HEIGHT, NAVY_TOP, NAVY_BOTTOM))
    # Title group between the third button (ends at x 89) and the exit button
    # (starts at x 362): emblem, gap, word, centred on the free strip.
    word = "QUILLAN"
    group = 20 + 10 + title_width(word)
    start = (92 + 360 - group) // 2
    draw_emblem(canvas, start + 10, 20)
    draw_title(canvas, start + 30, 10, word)
    draw_accent(canvas, 41, 16, 384)
    draw_panel(canvas)
    draw_groove(canvas)
    return canvas


# ---------------------------------------------------------------------------
# Output
# ---------------------------------------------------------------------------

def sprite(canvas_part, name):
    """Keys every pixel the tile does not touch, so the window's backdrop
    shows there when the sprite is drawn."""
    tile = tile_shape(0, 0)
    for y in range(TILE_H):
        for x in range(TILE_W):
            if tile.coverage(x, y) == 0:
                canvas_part.px[y][x] = list(map(float, KEY))
            elif canvas_part.rgb(x, y) == KEY:
                sys.exit("make_artwork: key colour inside the %s tile" % name)
    return canvas_part


def write_jpeg(canvas, path):
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, "background.ppm")
        with open(ppm, "wb") as f:
            f.write(canvas.ppm())
        # Baseline, 4:4:4 (no colour subsampling, keeps the thin rims crisp),
        # no metadata so the bytes do not depend on time or file names.
        subprocess.run(["convert", ppm, "-strip", "-type", "TrueColor",
                        "-interlace", "None", "-sampling-factor", "1x1",
                        "-quality", str(JPEG_QUALITY), "jpg:" + path], check=True)


def main():
    base = draw_background_base()
    background = base.crop(0, 0, WIDTH, HEIGHT)
    for name, left, top, _, _ in BUTTONS:
        draw_face(background, name, left, top, lit=False)

    sprite_dir = os.path.join(HERE, "sprites")
    os.makedirs(sprite_dir, exist_ok=True)
    for name, left, top, normal_no, lit_no in BUTTONS:
        # The normal sprite is cut from the finished backdrop, so putting it
        # back looks like the untouched window.
        normal = sprite(background.crop(left, top, TILE_W, TILE_H), name)
        # The lit sprite is drawn on the backdrop as it is under the button,
        # so its anti-aliased edges blend with the same navy.
        lit = base.crop(left, top, TILE_W, TILE_H)
        draw_face(lit, name, 0, 0, lit=True)
        lit = sprite(lit, name)
        for number, picture in ((normal_no, normal), (lit_no, lit)):
            with open(os.path.join(sprite_dir, "image%d.ppm" % number), "wb") as f:
                f.write(picture.ppm())

    write_jpeg(background, os.path.join(HERE, "background.jpg"))


if __name__ == "__main__":
    main()
