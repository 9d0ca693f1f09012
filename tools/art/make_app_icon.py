#!/usr/bin/env python3
"""Draws the application icon (res/icons/app.ico): a backup disk with an arrow copying onto it.

Pure Python, no imaging library: every pixel is the supersampled coverage of a few shapes, and
the icon file holds 16, 32 and 48 pixel images in 32-bit colour with their AND masks.
Run it from anywhere; it writes next to the resource script.
"""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "..", "res", "icons", "app.ico")

BLUE = (30, 96, 170)
DARK = (16, 52, 96)
SILVER = (228, 234, 240)
GREEN = (46, 160, 67)


def rounded_rect(x, y, x0, y0, x1, y1, r):
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r and x0 <= x <= x1 and y0 <= y <= y1


def shapes(x, y):
    """The colour at (x, y) in a unit square, or None where the icon is transparent."""
    colour = None
    if rounded_rect(x, y, 0.04, 0.04, 0.96, 0.96, 0.18):
        colour = BLUE if rounded_rect(x, y, 0.09, 0.09, 0.91, 0.91, 0.14) else DARK
    d = math.hypot(x - 0.5, y - 0.56)
    if d <= 0.33:
        colour = SILVER
    if d <= 0.09:
        colour = DARK
    # The arrow: a shaft and a head pointing down onto the disk.
    if 0.44 <= x <= 0.56 and 0.10 <= y <= 0.36:
        colour = GREEN
    if 0.30 <= y <= 0.50 and abs(x - 0.5) <= (0.50 - y) * 0.9:
        colour = GREEN
    return colour


def render(size, samples=4):
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            total = [0, 0, 0]
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    c = shapes((col + (sx + 0.5) / samples) / size, (row + (sy + 0.5) / samples) / size)
                    if c is not None:
                        hits += 1
                        for i in range(3):
                            total[i] += c[i]
            alpha = round(255 * hits / (samples * samples))
            rgb = [round(t / hits) if hits else 0 for t in total]
            line.append((rgb[2], rgb[1], rgb[0], alpha))  # BGRA
        pixels.append(line)
    return pixels


def icon_image(size):
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes(p) for row in reversed(pixels) for p in row)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_row)
        for col, p in enumerate(row):
            if p[3] == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + xor + bytes(mask)


def main():
    sizes = [16, 32, 48]
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    os.makedirs(os.path.dirname(OUT), exist_ok=True)
    with open(OUT, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
