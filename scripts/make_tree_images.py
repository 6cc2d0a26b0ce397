#!/usr/bin/env python3
"""Draws the images of the window tree (res/window_tree.bmp): a strip of three 16 x 16
pictures, 4 bits per pixel with the 16 standard colours, white as the transparent colour.
0: a red bookmark (a thread), 1: a window with a blue title bar (a top-level window),
2: green controls (a child window)."""
import struct
import sys

# The 16 standard colours as (r, g, b).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# Letters of the drawings and their palette index; "." is white, the transparent colour.
INK = {'.': 15, 'k': 0, 'm': 1, 'g': 2, 'n': 4, 's': 7, 'd': 8, 'r': 9, 'l': 10, 'b': 12, 'y': 11}

THREAD = [
    "................",
    "....mmmmmmmm....",
    "....mrrrrrrm....",
    "....mryrrrrm....",
    "....mryrrrrm....",
    "....mrrrrrrm....",
    "....mrrrrrrm....",
    "....mrrrrrrm....",
    "....mrrrrrrm....",
    "....mrrrrrrm....",
    "....mrrrrrrm....",
    "....mrrmmrrm....",
    "....mrm..mrm....",
    "....mm....mm....",
    "....m......m....",
    "................",
]

WINDOW = [
    "................",
    ".kkkkkkkkkkkkkk.",
    ".knnnnnnnnnnnnk.",
    ".knbbbbbbbbsksk.",
    ".knnnnnnnnnnnnk.",
    ".kssssssssssssk.",
    ".ksddddddddddsk.",
    ".ksd.........sk.",
    ".ksd.........sk.",
    ".ksd.........sk.",
    ".ksd.........sk.",
    ".ksd.........sk.",
    ".ksd.........sk.",
    ".kssssssssssssk.",
    ".kkkkkkkkkkkkkk.",
    "................",
]

CHILD = [
    "................",
    ".gggggggggggggg.",
    ".gllllllllllldg.",
    ".gllkkkkkkllldg.",
    ".glllllllllllgg.",
    ".gddddddddddddg.",
    ".gggggggggggggg.",
    "................",
    ".ggggg..........",
    ".g...g.gggggggg.",
    ".g.g.g..........",
    ".g...g..........",
    ".ggggg..........",
    "................",
    ".ggggggggggggg..",
    "................",
]

IMAGES = [THREAD, WINDOW, CHILD]
SIZE = 16


def check(image):
    assert len(image) == SIZE, len(image)
    for row in image:
        assert len(row) == SIZE, row
        for ch in row:
            assert ch in INK, ch


def strip_rows():
    """Rows of palette indices of the whole strip, top row first."""
    rows = []
    for y in range(SIZE):
        row = []
        for image in IMAGES:
            row += [INK[ch] for ch in image[y]]
        rows.append(row)
    return rows


def bitmap():
    width, height = SIZE * len(IMAGES), SIZE
    stride = ((width * 4 + 31) // 32) * 4
    pixels = bytearray()
    for row in reversed(strip_rows()):  # bottom-up
        line = bytearray()
        for x in range(0, width, 2):
            line.append((row[x] << 4) | row[x + 1])
        line += bytes(stride - len(line))
        pixels += line
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 4, 0, len(pixels), 2835, 2835, 16, 16)
    offset = 14 + len(info) + len(palette)
    header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def main(path):
    for image in IMAGES:
        check(image)
    with open(path, 'wb') as f:
        f.write(bitmap())


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/window_tree.bmp')
