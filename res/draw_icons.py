#!/usr/bin/env python3
"""Draws the program's icon and link cursor and writes them as Windows resource files.

    python3 res/draw_icons.py [OUTPUT_DIR]

Writes tidemark.ico (a white wave under a yellow high-water mark on a blue disc; 32x32 and
16x16, each as a 16-colour, a 256-colour and a 32-bit image) and link.cur (a pointing hand,
32x32, as a 16-colour and a 256-colour image, hot spot 0,0 at the tip of the index finger)
into OUTPUT_DIR, by default the folder of this script. Standard library only, so the files
can be redrawn on any machine; the output is deterministic.
"""

import math
import os
import struct
import sys

# The 16 colours of the standard Windows palette, so that 16-colour images look the same
# on every display.
STANDARD_16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]

# The icon's regions, each with its colour in true colour and in the standard 16 colours.
REGION_COLOURS = {
    "rim": ((16, 48, 128), (0, 0, 128)),
    "sky": ((40, 110, 215), (0, 0, 255)),
    "sea": ((18, 60, 150), (0, 0, 128)),
    "crest": ((255, 255, 255), (255, 255, 255)),
    "mark": ((255, 208, 40), (255, 255, 0)),
}


# -- drawing -------------------------------------------------------------------------------

def wave_y(x):
    """Height of the wave crest line at x, in the unit square (y grows downwards)."""
    return 0.60 + 0.07 * math.sin(2.0 * math.pi * (x * 1.25 - 0.05))


def icon_region_at(x, y):
    """The region of the icon at one point of the unit square, or None outside the disc.
    The mark's edges sit on pixel boundaries at 16 and at 32 pixels, so it stays crisp."""
    radius = math.hypot(x - 0.5, y - 0.5)
    if radius > 0.48:
        return None
    if radius > 0.43:
        return "rim"
    crest = wave_y(x)
    if abs(y - crest) < 0.06:
        return "crest"
    if 0.25 <= y < 0.3125 and 0.25 <= x < 0.75:
        return "mark"
    return "sea" if y > crest else "sky"


def render_icon(size, sixteen_colours=False, samples=8):
    """Renders the icon; returns rows of (r, g, b, a), top row first. In true colour the
    edges are smoothed by supersampling; in 16 colours each pixel takes the region that
    covers most of it, since blends would only map to unrelated palette colours."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            coverage = {}
            for sy in range(samples):
                for sx in range(samples):
                    region = icon_region_at((px + (sx + 0.5) / samples) / size,
                                            (py + (sy + 0.5) / samples) / size)
                    coverage[region] = coverage.get(region, 0) + 1
            n = samples * samples
            inside = n - coverage.pop(None, 0)
            if inside == 0:
                row.append((0, 0, 0, 0))
            elif sixteen_colours:
                region = max(sorted(coverage), key=coverage.get)
                alpha = 255 if 2 * inside >= n else 0
                row.append(REGION_COLOURS[region][1] + (alpha,))
            else:
                blend = [sum(REGION_COLOURS[region][0][c] * count
                             for region, count in coverage.items()) / inside
                         for c in range(3)]
                row.append(tuple(round(v) for v in blend) + (round(255 * inside / n),))
        rows.append(row)
    return rows


# The hand of the link cursor: '#' outline, 'o' fill, '.' transparent. The index finger's
# tip is the top-left pixel, which is where the hot spot sits.
HAND = [
    "##..............",
    "#o#.............",
    "#oo#............",
    "#ooo#...........",
    "#ooo#...........",
    "#ooo#...........",
    "#ooo#.##........",
    "#ooo##oo#.##....",
    "#ooo#ooo##oo#...",
    "#ooo#ooo#ooo###.",
    "#ooo#ooo#ooo#oo#",
    "#ooo#ooo#ooo#oo#",
    "#oooooooooooooo#",
    "#oooooooooooooo#",
    "#oooooooooooooo#",
    "#oooooooooooooo#",
    "#oooooooooooooo#",
    ".#ooooooooooooo#",
    ".#oooooooooooo#.",
    "..#oooooooooo#..",
    "..############..",
    "..#oooooooooo#..",
    "..############..",
]


def render_cursor(size=32):
    """The hand on a transparent 32x32 field; rows of (r, g, b, a), top row first."""
    rows = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y, line in enumerate(HAND):
        for x, cell in enumerate(line):
            if cell == "#":
                rows[y][x] = (0, 0, 0, 255)
            elif cell == "o":
                rows[y][x] = (255, 255, 255, 255)
    return rows


# -- colour reduction ----------------------------------------------------------------------

def flatten(pixel):
    """A pixel as an opaque colour, or None where the image is transparent."""
    r, g, b, a = pixel
    return None if a < 128 else (r, g, b)


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], colour)))


def palette_256(rows):
    """The image's own colours, most frequent first, padded with the standard 16."""
    counts = {}
    for row in rows:
        for pixel in row:
            colour = flatten(pixel)
            if colour is not None:
                counts[colour] = counts.get(colour, 0) + 1
    palette = [(0, 0, 0)]  # index 0: the transparent pixels
    for colour, _ in sorted(counts.items(), key=lambda item: (-item[1], item[0])):
        if colour not in palette and len(palette) < 256:
            palette.append(colour)
    for colour in STANDARD_16:
        if len(palette) >= 256:
            break
        if colour not in palette:
            palette.append(colour)
    return palette + [(0, 0, 0)] * (256 - len(palette))


def indexed(rows, palette):
    """Palette indices for each pixel (0 where transparent)."""
    cache = {}
    result = []
    for row in rows:
        out = []
        for pixel in row:
            colour = flatten(pixel)
            if colour is None:
                out.append(0)
            else:
                if colour not in cache:
                    cache[colour] = nearest(palette, colour)
                out.append(cache[colour])
        result.append(out)
    return result


# -- file formats --------------------------------------------------------------------------

def pad4(data):
    return data + b"\0" * (-len(data) % 4)


def and_mask(rows):
    """The 1-bit transparency mask, bottom row first (1 = transparent)."""
    data = b""
    for row in reversed(rows):
        bits = bytearray((len(row) + 7) // 8)
        for x, pixel in enumerate(row):
            if flatten(pixel) is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += pad4(bytes(bits))
    return data


def dib(rows, bits_per_pixel):
    """The image as stored in an icon or cursor file: header, palette, colours, mask."""
    height = len(rows)
    width = len(rows[0])
    if bits_per_pixel == 32:
        palette = []
        colour_data = b""
        for row in reversed(rows):
            colour_data += b"".join(struct.pack("<BBBB", b, g, r, a) for r, g, b, a in row)
    else:
        palette = STANDARD_16 if bits_per_pixel == 4 else palette_256(rows)
        colour_data = b""
        for row in reversed(indexed(rows, palette)):
            if bits_per_pixel == 4:
                line = bytes((row[x] << 4) | row[x + 1] for x in range(0, width, 2))
            else:
                line = bytes(row)
            colour_data += pad4(line)
    mask = and_mask(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, bits_per_pixel, 0,
                         len(colour_data) + len(mask), 0, 0, len(palette), 0)
    palette_data = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + palette_data + colour_data + mask


def icon_file(images, hot_spot=None):
    """An .ico file, or a .cur file when a hot spot is given; images: (rows, bits)."""
    resource_type = 1 if hot_spot is None else 2
    header = struct.pack("<HHH", 0, resource_type, len(images))
    offset = len(header) + 16 * len(images)
    directory = b""
    bodies = b""
    for rows, bits in images:
        body = dib(rows, bits)
        size = len(rows)
        colour_count = 16 if bits == 4 else 0
        if hot_spot is None:
            planes_or_x, bits_or_y = 1, bits
        else:
            planes_or_x, bits_or_y = hot_spot
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, colour_count, 0,
                                 planes_or_x, bits_or_y, len(body), offset + len(bodies))
        bodies += body
    return header + directory + bodies


def main():
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    icon = icon_file([(render_icon(32, sixteen_colours=True), 4),
                      (render_icon(16, sixteen_colours=True), 4),
                      (render_icon(32), 8), (render_icon(16), 8),
                      (render_icon(32), 32), (render_icon(16), 32)])
    hand = render_cursor()
    cursor = icon_file([(hand, 4), (hand, 8)], hot_spot=(0, 0))
    with open(os.path.join(out_dir, "tidemark.ico"), "wb") as f:
        f.write(icon)
    with open(os.path.join(out_dir, "link.cur"), "wb") as f:
        f.write(cursor)


if __name__ == "__main__":
    main()
