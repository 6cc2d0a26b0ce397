#!/usr/bin/env python3
"""Draws the cursor of the screen watch's note window (res/note_cursor.cur): a pointing
hand, 32 x 32 pixels, monochrome with a transparent mask, hot spot on the finger tip."""
import struct
import sys

# '#' black, '.' white, ' ' transparent. 32 columns, 32 rows.
ART = [
    "     ##                         ",
    "    #..#                        ",
    "    #..#                        ",
    "    #..#                        ",
    "    #..#                        ",
    "    #..###                      ",
    "    #..#..###                   ",
    "    #..#..#..##                 ",
    "    #..#..#..#.#                ",
    " ## #..#..#..#..#               ",
    "#..##........#..#               ",
    "#...#...........#               ",
    " #..............#               ",
    "  #.............#               ",
    "  #.............#               ",
    "   #............#               ",
    "   #...........#                ",
    "    #..........#                ",
    "    #.........#                 ",
    "     #........#                 ",
    "     #........#                 ",
    "     ##########                 ",
]
SIZE = 32
HOTSPOT = (5, 0)


def rows():
    art = [line.ljust(SIZE) for line in ART] + [" " * SIZE] * (SIZE - len(ART))
    assert len(art) == SIZE and all(len(line) == SIZE for line in art)
    return art


def pack_bits(bits):
    """One row of 1-bit pixels, padded to a multiple of 32 bits."""
    out = bytearray()
    for start in range(0, SIZE, 8):
        byte = 0
        for bit in bits[start:start + 8]:
            byte = (byte << 1) | bit
        out.append(byte)
    while len(out) % 4:
        out.append(0)
    return bytes(out)


def cursor_file():
    art = rows()
    # Bottom-up rows. XOR (colour) bits: 1 selects palette entry 1 (white). AND (mask)
    # bits: 1 keeps the screen (transparent).
    xor = b"".join(pack_bits([1 if ch == "." else 0 for ch in line]) for line in reversed(art))
    mask = b"".join(pack_bits([1 if ch == " " else 0 for ch in line]) for line in reversed(art))
    palette = struct.pack("<BBBBBBBB", 0, 0, 0, 0, 255, 255, 255, 0)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, len(xor) + len(mask), 0, 0, 2, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 2, 0, HOTSPOT[0], HOTSPOT[1], len(image), 6 + 16)
    return directory + entry + image


def main():
    path = sys.argv[1] if len(sys.argv) > 1 else "res/note_cursor.cur"
    with open(path, "wb") as out:
        out.write(cursor_file())


if __name__ == "__main__":
    main()
