#!/usr/bin/env python3
"""Draws the resource module's icons and logo bitmap.

Writes, next to this script:
  app.ico            6415  the application: a printer with a service wrench
  device_printer.ico 6416  device types 1, 5 and any unknown type
  device_fax.ico     6417  device types 3 and 4
  device_copier.ico  6420  device type 2
  device_scanner.ico 6423  device type 0
  logo.bmp           6422  the maker's logo badge, 88 x 22, 24-bit
  logo_large.bmp     6424  the same badge for 144 DPI, 132 x 33, 24-bit
and a copy of app.ico as res/ServiceApp.ico for the executable.

Every icon holds 16x16, 24x24, 32x32 and 48x48 images (32-bit with a binary
alpha channel and an AND mask): the sizes of small and large icons at 96 and
144 DPI. The larger images are the 16x16 drawing enlarged pixel for pixel
(doubled, tripled; at 24x24 every other pixel is doubled), so they stay as
sharp as the drawing. Colours come from the 16-colour VGA palette only.

Python 3 standard library only. Run: python3 make_art.py
"""

import os
import shutil
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16-colour VGA palette, by the letter used in the drawings below.
PALETTE = {
    'K': (0, 0, 0),        # black
    'M': (128, 0, 0),      # maroon
    'g': (0, 128, 0),      # green
    'O': (128, 128, 0),    # olive
    'N': (0, 0, 128),      # navy
    'P': (128, 0, 128),    # purple
    'T': (0, 128, 128),    # teal
    'S': (192, 192, 192),  # silver
    'G': (128, 128, 128),  # gray
    'R': (255, 0, 0),      # red
    'L': (0, 255, 0),      # lime
    'Y': (255, 255, 0),    # yellow
    'B': (0, 0, 255),      # blue
    'F': (255, 0, 255),    # fuchsia
    'A': (0, 255, 255),    # aqua
    'W': (255, 255, 255),  # white
}
TRANSPARENT = '.'

# ---------------------------------------------------------------- drawings

APP_BASE = [
    "................",
    "....KKKKKKKK....",
    "....KWWWWWWK....",
    "....KWGGGGWK....",
    "....KWWWWWWK....",
    "..KKKKKKKKKKKK..",
    ".KWWWWWWWWWWWWK.",
    ".KBBBBBBBBBBLBK.",
    ".KBBBBBBBBBBBBK.",
    ".KNNKKKKKKKKNNK.",
    ".KNNKWWWWWWKNNK.",
    ".KKKKWGGGGWKKKK.",
    "....KWWWWWWK....",
    "....KWGGGWWK....",
    "....KKKKKKKK....",
    "................",
]

PRINTER = [
    "................",
    "....KKKKKKKK....",
    "....KWWWWWWK....",
    "....KWGGGGWK....",
    "....KWWWWWWK....",
    "..KKKKKKKKKKKK..",
    ".KWWWWWWWWWWWWK.",
    ".KSSSSSSSSSSLSK.",
    ".KSSSSSSSSSSSSK.",
    ".KSSKKKKKKKKSSK.",
    ".KGGKWWWWWWKGGK.",
    ".KKKKWGGGGWKKKK.",
    "....KWWWWWWK....",
    "....KWGGGWWK....",
    "....KKKKKKKK....",
    "................",
]

COPIER = [
    "................",
    "..KKKKKKKKKKKK..",
    ".KSSSSSSSSSSSSK.",
    ".KKKKKKKKKKKKKK.",
    ".KAAAAAAAAAAAAK.",
    ".KKKKKKKKKKKKKK.",
    ".KSSSSSSSSNNNSK.",
    ".KSSSSSSSSNLNSK.",
    ".KSSSSSSSSNNNSK.",
    ".KSKKKKKKKKKKSK.",
    ".KSKWWWWWWWWKSK.",
    ".KSSSSSSSSSSSSK.",
    ".KGGGGGGGGGGGGK.",
    ".KGGGGKKKKGGGGK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]

FAX = [
    "................",
    "......KKKKKKK...",
    "......KWWWWWK...",
    "......KWGGGWK...",
    ".KKK..KWWWWWK...",
    "KNNNKKKKKKKKKKK.",
    "KNKNKSSSSSSSSSK.",
    "KNKNKSWSWSWSSSK.",
    "KNKNKSSSSSSSSSK.",
    "KNKNKSWSWSWSLSK.",
    "KNKNKSSSSSSSSSK.",
    "KNNNKSWSWSWSSSK.",
    ".KKKKSSSSSSSSSK.",
    ".KSSSSSSSSSSSSK.",
    ".KKKKKKKKKKKKKK.",
    "................",
]

SCANNER = [
    "................",
    "................",
    "..KKKKKKKKKKKK..",
    "..KGGGGGGGGGGK..",
    "..KGSSSSSSSSGK..",
    "..KGSSSSSSSSGK..",
    "..KGGGGGGGGGGK..",
    ".KKKKKKKKKKKKKK.",
    "KAAAAAAAAAAAAAAK",
    "KAAALAAAAAAAAAAK",
    "KKKKKKKKKKKKKKKK",
    "KSSSSSSSSSSSSLSK",
    "KSSSSSSSSSSSSSSK",
    "KGGGGGGGGGGGGGGK",
    "KKKKKKKKKKKKKKKK",
    "................",
]

# Logo glyphs, 6 x 9, two-pixel strokes.
GLYPHS = {
    'C': [".####.", "##..##", "##....", "##....", "##....", "##....", "##....", "##..##", ".####."],
    'O': [".####.", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", "##..##", ".####."],
    'R': ["#####.", "##..##", "##..##", "##..##", "#####.", "##.##.", "##..##", "##..##", "##..##"],
    'V': ["##..##", "##..##", "##..##", "##..##", "##..##", "##..##", ".####.", ".####.", "..##.."],
    'A': ["..##..", ".####.", "##..##", "##..##", "##..##", "######", "##..##", "##..##", "##..##"],
    'N': ["##..##", "###.##", "###.##", "######", "##.###", "##.###", "##..##", "##..##", "##..##"],
    'E': ["######", "##....", "##....", "##....", "#####.", "##....", "##....", "##....", "######"],
}

LOGO_WIDTH = 88
LOGO_HEIGHT = 22
LOGO_TEXT = "CORVANE"

ICON_SIZES = (16, 24, 32, 48)


# ---------------------------------------------------------------- pixels

def check_drawing(name, rows, size):
    """Returns the drawing after checking its shape and letters."""
    if len(rows) != size:
        raise ValueError("%s: %d rows, expected %d" % (name, len(rows), size))
    for i, row in enumerate(rows):
        if len(row) != size:
            raise ValueError("%s: row %d has %d columns" % (name, i, len(row)))
        for ch in row:
            if ch != TRANSPARENT and ch not in PALETTE:
                raise ValueError("%s: unknown colour %r" % (name, ch))
    return rows


def enlarged(rows, size):
    """Returns a square drawing enlarged to size x size, pixel for pixel.

    Each output pixel takes the input pixel it falls in (nearest neighbour):
    at 2 or 3 times every pixel becomes a 2 x 2 or 3 x 3 block, at 1.5 times
    every other pixel is doubled.
    """
    n = len(rows)
    pick = [x * n // size for x in range(size)]
    return ["".join(rows[y][x] for x in pick) for y in pick]


def enlarged_pixels(pixels, width, height):
    """Returns rows of (r, g, b) pixels enlarged to width x height, pixel for pixel."""
    src_h, src_w = len(pixels), len(pixels[0])
    return [[pixels[y * src_h // height][x * src_w // width] for x in range(width)]
            for y in range(height)]


def icon_image(rows):
    """Returns the ICO image data (header, BGRA pixels, AND mask) of a square drawing."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        for ch in row:
            if ch == TRANSPARENT:
                pixels += b"\x00\x00\x00\x00"
            else:
                r, g, b = PALETTE[ch]
                pixels += bytes((b, g, r, 255))
    mask = bytearray()
    row_bytes = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(row_bytes)
        for x, ch in enumerate(row):
            if ch == TRANSPARENT:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def with_wrench(rows):
    """Returns a square drawing with a service wrench laid over its lower right.

    The wrench is drawn from shapes in icon-relative coordinates, so it is
    drawn afresh (not doubled) at each size: a handle from the lower middle
    to the right, a round head with an open jaw, a black outline around it.
    """
    size = len(rows)
    inside = [[False] * size for _ in range(size)]
    hx0, hy0, hx1, hy1 = 0.44, 0.97, 0.74, 0.67   # handle end points
    cx, cy, radius = 0.80, 0.58, 0.17             # head
    dx, dy = 0.7071, -0.7071                      # jaw direction (up and right)
    for y in range(size):
        for x in range(size):
            px, py = (x + 0.5) / size, (y + 0.5) / size
            # distance to the handle segment
            vx, vy = hx1 - hx0, hy1 - hy0
            t = max(0.0, min(1.0, ((px - hx0) * vx + (py - hy0) * vy) / (vx * vx + vy * vy)))
            ex, ey = px - (hx0 + t * vx), py - (hy0 + t * vy)
            in_handle = ex * ex + ey * ey <= 0.075 * 0.075
            rx, ry = px - cx, py - cy
            in_head = rx * rx + ry * ry <= radius * radius
            along = rx * dx + ry * dy
            across = abs(-rx * dy + ry * dx)
            in_jaw = along > -0.02 and across < 0.07
            inside[y][x] = (in_handle or in_head) and not in_jaw
    out = [list(row) for row in rows]
    for y in range(size):
        for x in range(size):
            if inside[y][x]:
                # lit from the upper left: the lower right edge is shaded
                shaded = (x + 1 < size and y + 1 < size and not inside[y + 1][x + 1])
                out[y][x] = 'O' if shaded else 'Y'
            else:
                near = any(0 <= x + ox < size and 0 <= y + oy < size and inside[y + oy][x + ox]
                           for ox, oy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                if near:
                    out[y][x] = 'K'
    return ["".join(row) for row in out]


def write_ico(path, rows16, overlay=None):
    """Writes an icon file with the 16x16 drawing at every size of ICON_SIZES.

    overlay, when given, is applied to each size after enlarging.
    """
    images = []
    for size in ICON_SIZES:
        rows = enlarged(rows16, size)
        if overlay:
            rows = overlay(rows)
        images.append((size, icon_image(rows)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def write_bmp(path, pixels, width, height):
    """Writes a bottom-up 24-bit BMP; pixels[y][x] are (r, g, b) rows, top row first."""
    row_bytes = (width * 3 + 3) & ~3
    body = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixels[y][x]
            row += bytes((b, g, r))
        row += bytes(row_bytes - len(row))
        body += row
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + body)


def draw_logo():
    """Returns the logo's pixel rows: a navy badge with three sheets and the maker's name."""
    navy = PALETTE['N']
    px = [[navy] * LOGO_WIDTH for _ in range(LOGO_HEIGHT)]

    def fill(x0, y0, w, h, colour):
        for y in range(y0, y0 + h):
            for x in range(x0, x0 + w):
                px[y][x] = colour

    # Thin light frame just inside the edge.
    for x in range(1, LOGO_WIDTH - 1):
        px[1][x] = PALETTE['B']
        px[LOGO_HEIGHT - 2][x] = PALETTE['B']
    for y in range(1, LOGO_HEIGHT - 1):
        px[y][1] = PALETTE['B']
        px[y][LOGO_WIDTH - 2] = PALETTE['B']

    # Three stacked sheets, back to front: yellow, fuchsia, aqua.
    for (x0, y0, colour) in ((10, 4, 'Y'), (7, 6, 'F'), (4, 8, 'A')):
        fill(x0, y0, 9, 10, PALETTE['K'])
        fill(x0 + 1, y0 + 1, 7, 8, PALETTE[colour])

    # The name, white, vertically centred.
    x = 24
    top = (LOGO_HEIGHT - 9) // 2
    for ch in LOGO_TEXT:
        glyph = GLYPHS[ch]
        for gy, line in enumerate(glyph):
            for gx, bit in enumerate(line):
                if bit == '#':
                    px[top + gy][x + gx] = PALETTE['W']
        x += 8
    if x - 2 > LOGO_WIDTH - 4:
        raise ValueError("logo text does not fit")
    return px


def main():
    drawings = {
        "app.ico": (APP_BASE, with_wrench),
        "device_printer.ico": (PRINTER, None),
        "device_fax.ico": (FAX, None),
        "device_copier.ico": (COPIER, None),
        "device_scanner.ico": (SCANNER, None),
    }
    for name, (rows, overlay) in drawings.items():
        write_ico(os.path.join(HERE, name), check_drawing(name, rows, 16), overlay)
    logo = draw_logo()
    write_bmp(os.path.join(HERE, "logo.bmp"), logo, LOGO_WIDTH, LOGO_HEIGHT)
    # For 144 DPI: one and a half times the badge; the name's two-pixel
    # strokes become three pixels wide.
    large_w, large_h = LOGO_WIDTH * 3 // 2, LOGO_HEIGHT * 3 // 2
    write_bmp(os.path.join(HERE, "logo_large.bmp"), enlarged_pixels(logo, large_w, large_h), large_w, large_h)

    res_dir = os.path.join(HERE, os.pardir, os.pardir, "res")
    if os.path.isdir(res_dir):
        shutil.copyfile(os.path.join(HERE, "app.ico"), os.path.join(res_dir, "ServiceApp.ico"))


if __name__ == "__main__":
    main()
