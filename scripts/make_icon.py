#!/usr/bin/env python3
"""Draws the program icon (res/tollerup.ico): a clock face whose hands point to the end
of a wait, with a power mark, at 16, 32 and 48 pixels, 32-bit with alpha."""
import math
import struct
import sys

SIZES = (16, 32, 48)
SUPER = 8  # supersampling per axis


def shade(x, y):
    """Colour (r, g, b, a) at a point of the unit square, y downwards."""
    cx, cy = 0.5, 0.5
    dx, dy = x - cx, y - cy
    r = math.hypot(dx, dy)
    # Power mark in the lower right corner: orange disc with a white stroke and gap.
    px, py = 0.76, 0.76
    pr = math.hypot(x - px, y - py)
    if pr < 0.22:
        ang = math.degrees(math.atan2(x - px, -(y - py)))
        ring = 0.10 < pr < 0.155 and abs(ang) > 38
        bar = abs(x - px) < 0.028 and py - 0.17 < y < py - 0.01
        if ring or bar:
            return (255, 255, 255, 255)
        return (235, 120, 20, 255)
    if r < 0.46:
        if r > 0.40:
            return (230, 236, 245, 255)  # rim
        # Hands: minute hand to twelve, hour hand towards four.
        def on_hand(angle_deg, length, width):
            a = math.radians(angle_deg)
            ux, uy = math.sin(a), -math.cos(a)
            along = dx * ux + dy * uy
            across = abs(-dx * uy + dy * ux)
            return -0.03 < along < length and across < width
        if on_hand(0, 0.33, 0.03) or on_hand(120, 0.22, 0.04):
            return (255, 255, 255, 255)
        # Ticks at the quarters.
        for k in range(4):
            a = math.radians(90 * k)
            ux, uy = math.sin(a), -math.cos(a)
            along = dx * ux + dy * uy
            across = abs(-dx * uy + dy * ux)
            if 0.31 < along < 0.38 and across < 0.025:
                return (200, 215, 240, 255)
        t = y  # vertical gradient
        return (int(30 + 30 * t), int(80 + 40 * t), int(170 + 40 * t), 255)
    return (0, 0, 0, 0)


def render(size):
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SUPER):
                for sx in range(SUPER):
                    x = (col + (sx + 0.5) / SUPER) / size
                    y = (row + (sy + 0.5) / SUPER) / size
                    r, g, b, a = shade(x, y)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SUPER * SUPER
            a = acc[3] / n
            if acc[3]:
                line.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(a)))
            else:
                line.append((0, 0, 0, 0))
        pixels.append(line)
    return pixels


def icon_image(size):
    pixels = render(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    andmask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for col, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        andmask += bits
    return header + bytes(xor) + bytes(andmask)


def main(path):
    images = [icon_image(s) for s in SIZES]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'res/tollerup.ico')
