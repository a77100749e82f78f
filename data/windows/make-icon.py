#!/usr/bin/env python3
"""Draws the program's icon "MAINICON": 32 x 32 pixels in 16 colours, a pointer
arrow resting on a green disc with a yellow ring around its tip (the dwell).
Deterministic; the build runs it: python3 make-icon.py TazuClick.ico"""
import struct
import sys

SIZE = 32
# The standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GREEN, YELLOW, WHITE = 0, 2, 11, 15

# The arrow, tip at its top-left, '#' outline and '.' fill.
ARROW = [
    "#",
    "##",
    "#.#",
    "#..#",
    "#...#",
    "#....#",
    "#.....#",
    "#......#",
    "#.......#",
    "#........#",
    "#.....#####",
    "#..#..#",
    "#.# #..#",
    "##  #..#",
    "#    #..#",
    "     #..#",
    "      ##",
]


def draw():
    pixels = [[None] * SIZE for _ in range(SIZE)]  # None: transparent
    centre = (SIZE - 1) / 2
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5
            if d <= 15.5:
                pixels[y][x] = GREEN if d <= 14.5 else BLACK
    tip_x, tip_y = 11, 8
    for y in range(SIZE):
        for x in range(SIZE):
            d = ((x - tip_x) ** 2 + (y - tip_y) ** 2) ** 0.5
            if 4.5 <= d <= 6.5 and pixels[y][x] is not None:
                pixels[y][x] = YELLOW
    for row, line in enumerate(ARROW):
        for col, c in enumerate(line):
            if c == "#":
                pixels[tip_y + row][tip_x + col] = BLACK
            elif c == ".":
                pixels[tip_y + row][tip_x + col] = WHITE
    return pixels


def encode(pixels):
    xor = bytearray()
    mask = bytearray()
    for row in reversed(pixels):  # bottom-up
        for x in range(0, SIZE, 2):
            hi, lo = (p if p is not None else BLACK for p in row[x:x + 2])
            xor.append(hi << 4 | lo)
        bits = 0
        for x, p in enumerate(row):
            if p is None:
                bits |= 1 << (SIZE - 1 - x)
        mask += struct.pack(">I", bits)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 16, 0)
    image = header + palette + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    with open(sys.argv[1] if len(sys.argv) > 1 else "TazuClick.ico", "wb") as out:
        out.write(encode(draw()))
