#!/usr/bin/env python3
"""Draws the icons of UTessarim and of the installer and writes one as a
.ico file.

Two images, 32x32 and 16x16, 16 colours each (the standard VGA palette):
a white page with a folded corner and a sign over its lower right: for the
uninstaller a red cross, a file being removed; for the installer a green
plus, a file being added. Both sizes come from one drawing made on a
32-unit grid; each 16x16 pixel takes the strongest colour of its 2x2
block, so that thin outlines survive the reduction.

Usage: make_icon.py [--sign cross|plus] OUTPUT.ico   (default: cross)
"""
import argparse
import struct

# The 16 standard colours, as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x00, 0x00, 0x80), (0x00, 0x80, 0x00), (0x00, 0x80, 0x80),
    (0x80, 0x00, 0x00), (0x80, 0x00, 0x80), (0x80, 0x80, 0x00), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0x00, 0x00, 0xFF), (0x00, 0xFF, 0x00), (0x00, 0xFF, 0xFF),
    (0xFF, 0x00, 0x00), (0xFF, 0x00, 0xFF), (0xFF, 0xFF, 0x00), (0xFF, 0xFF, 0xFF),
]
BLACK, DARK_GREEN, DARK_RED, SILVER, GREY, GREEN, RED, WHITE = 0, 2, 4, 7, 8, 10, 12, 15
TRANSPARENT = None
# Which colour wins when several pixels of the drawing become one.
STRENGTH = [RED, GREEN, BLACK, DARK_RED, DARK_GREEN, GREY, SILVER, WHITE, TRANSPARENT]


def cross(u, v):
    """The red cross: two thick diagonals, outlined in dark red."""
    if abs(u - v) <= 2 or abs(u + v - 16) <= 2:
        edge = abs(u - v) == 2 or abs(u + v - 16) == 2
        inner = abs(u - v) <= 1 or abs(u + v - 16) <= 1
        return RED if inner or not edge else DARK_RED
    return TRANSPARENT


def plus(u, v):
    """The green plus: two thick bars through the middle, outlined in dark green."""
    across, down = abs(v - 8), abs(u - 8)
    if min(across, down) <= 3:
        inner = min(across, down) <= 2 and max(across, down) <= 7
        return GREEN if inner else DARK_GREEN
    return TRANSPARENT


SIGNS = {'cross': cross, 'plus': plus}


def pixel(sign, x, y):
    """Colour at (x, y) on the 32-unit grid, y downwards; None where clear."""
    # The sign, in the square 14..30, over the page.
    if 14 <= x <= 30 and 14 <= y <= 30:
        colour = sign(x - 14, y - 14)
        if colour is not TRANSPARENT:
            return colour
    # The page: x 4..23, y 1..29, with its upper right corner folded.
    if 4 <= x <= 23 and 1 <= y <= 29:
        fold = x - 17 > y - 1  # above the fold's diagonal
        if fold:
            return TRANSPARENT
        if x in (4, 23) or y in (1, 29) or x - 17 == y - 1:
            return BLACK
        if x >= 17 and y <= 7 and (x == 17 or y == 7):
            return GREY
        if 7 <= x <= 20 and y in (11, 14, 17, 20, 23) and not (x > 14 and y == 23):
            return SILVER
        return WHITE
    return TRANSPARENT


def image(sign, size):
    """BITMAPINFOHEADER, palette, 4-bit colour rows and 1-bit mask rows."""
    scale = 32 // size
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            block = [pixel(sign, x * scale + i, y * scale + j) for i in range(scale) for j in range(scale)]
            row.append(min(block, key=STRENGTH.index))
        rows.append(row)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    colour = b''
    mask = b''
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for x in range(0, size, 2):
            hi = row[x] if row[x] is not None else 0
            lo = row[x + 1] if row[x + 1] is not None else 0
            line.append(hi << 4 | lo)
        colour += bytes(line) + b'\0' * (-len(line) % 4)
        bits = bytearray((size + 7) // 8)
        for x in range(size):
            if row[x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits) + b'\0' * (-len(bits) % 4)
    return header + palette + colour + mask


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--sign', choices=sorted(SIGNS), default='cross')
    parser.add_argument('output')
    args = parser.parse_args()
    sign = SIGNS[args.sign]
    images = [(32, image(sign, 32)), (16, image(sign, 16))]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack('<BBBBHHII', size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(data for _, data in images)
    with open(args.output, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
