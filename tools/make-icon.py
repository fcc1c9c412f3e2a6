#!/usr/bin/env python3
"""Draws the program's icon: a phone ring held by a padlock, on a rounded tile.

Writes res/Ringlock.png (128x128 RGBA, for the documents) and res/Ringlock.ico,
an icon with one PNG-compressed RGBA image for each size Windows asks for at
the display scales from 100 % to 200 %: the small icon (16, 20, 24, 28 and 32
pixels) and the large one (32, 40, 48, 56 and 64 pixels), and 256 (Explorer's
largest views). Run it again only to change the picture; the build uses the
committed files.
"""
import math
import os
import struct
import zlib

SIZE = 128
ICON_SIZES = (16, 20, 24, 28, 32, 40, 48, 56, 64, 256)
HERE = os.path.dirname(os.path.abspath(__file__))
RES = os.path.join(HERE, "..", "res")


def coverage(inside, x, y, step=1.0, samples=4):
    """The share of the pixel (x, y), step wide in the drawing's 128-pixel
    space, that lies inside the shape."""
    hits = 0
    for i in range(samples):
        for j in range(samples):
            if inside(x + (i + 0.5) * step / samples, y + (j + 0.5) * step / samples):
                hits += 1
    return hits / (samples * samples)


def rounded_tile(px, py):
    r, lo, hi = 26.0, 4.0, 124.0
    cx = min(max(px, lo + r), hi - r)
    cy = min(max(py, lo + r), hi - r)
    return (px - cx) ** 2 + (py - cy) ** 2 <= r * r and lo <= px <= hi and lo <= py <= hi


def ring(px, py):
    d = math.hypot(px - 64, py - 58)
    return 30 <= d <= 40 and py < 74


def shackle_gap(px, py):
    return abs(px - 64) < 30 and 54 <= py <= 76


def lock_body(px, py):
    return 34 <= px <= 94 and 62 <= py <= 108


def keyhole(px, py):
    return math.hypot(px - 64, py - 80) <= 7 or (abs(px - 64) <= 3 and 80 <= py <= 97)


def pixel(x, y, step=1.0):
    tile = coverage(rounded_tile, x, y, step)
    if tile == 0:
        return (0, 0, 0, 0)
    base = (28, 96, 176)
    top = (52, 140, 220)
    t = y / SIZE
    colour = tuple(int(top[i] * (1 - t) + base[i] * t) for i in range(3))
    white = coverage(lambda a, b: (ring(a, b) and not shackle_gap(a, b)) or lock_body(a, b), x, y, step)
    hole = coverage(keyhole, x, y, step)
    body = tuple(int(colour[i] * (1 - white) + 250 * white) for i in range(3))
    body = tuple(int(body[i] * (1 - hole) + (34, 160, 80)[i] * hole) for i in range(3))
    return body + (int(255 * tile),)


def png(width, height, rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
    raw = b"".join(b"\x00" + bytes(v for p in row for v in p) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def drawn(size):
    step = SIZE / size
    rows = [[pixel(x * step, y * step, step) for x in range(size)] for y in range(size)]
    return png(size, size, rows)


def main():
    with open(os.path.join(RES, "Ringlock.png"), "wb") as f:
        f.write(drawn(SIZE))
    images = [drawn(size) for size in ICON_SIZES]
    header = struct.pack("<HHH", 0, 1, len(images))
    entries = b""
    offset = 6 + 16 * len(images)
    for size, image in zip(ICON_SIZES, images):
        # A width or height of 256 is written as 0.
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    with open(os.path.join(RES, "Ringlock.ico"), "wb") as f:
        f.write(header + entries + b"".join(images))


if __name__ == "__main__":
    main()
