#!/usr/bin/env python3
"""Draws the uninstaller's icons and side picture (run once; the outputs are committed).

    tools/art/make_uninstaller_art.py installer/uninstall/res
"""
import struct
import sys


def ico(size, pixel):
    """A one-image .ico of size x size, 32 bits a pixel; pixel(x, y) gives (r, g, b, a), y down."""
    rows = []
    for y in reversed(range(size)):
        rows.append(b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in (pixel(x, y) for x in range(size))))
    mask_row = ((size + 31) // 32) * 4
    image = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0) + b"".join(rows) + b"\0" * mask_row * size
    header = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), 22)
    return header + image


def bmp(width, height, pixel):
    """A 24-bit .bmp; pixel(x, y) gives (r, g, b), y down."""
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in reversed(range(height)):
        row = b"".join(struct.pack("BBB", b, g, r) for (r, g, b) in (pixel(x, y) for x in range(width)))
        rows.append(row + b"\0" * (stride - width * 3))
    data = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + 40 + len(data), 0, 0, 54) + info + data


def program_icon(x, y):
    # A blue box with a white arrow leaving it.
    inside = 4 <= x <= 27 and 8 <= y <= 27
    border = inside and (x in (4, 27) or y in (8, 27))
    arrow = (y == 6 and 14 <= x <= 29) or (abs(x - 26) + abs(y - 6) <= 3 and x >= 24)
    if arrow:
        return (255, 255, 255, 255)
    if border:
        return (20, 40, 120, 255)
    if inside:
        return (60 + x * 4, 110 + y * 3, 220, 255)
    return (0, 0, 0, 0)


def marker_icon(x, y):
    # A green tick.
    on = (y - 9 == x - 3 and 3 <= x <= 6) or (y + x == 15 and 6 <= x <= 13)
    thick = on or (y - 10 == x - 3 and 3 <= x <= 6) or (y + x == 16 and 6 <= x <= 13)
    return (30, 150, 40, 255) if thick else (0, 0, 0, 0)


def side_picture(x, y):
    # A deep blue band growing lighter downwards, with a few pale rings.
    t = y / 240
    ring = any(abs(((x - 48) ** 2 + (y - cy) ** 2) ** 0.5 - r) < 1.2 for cy, r in ((70, 30), (150, 22), (210, 14)))
    base = (int(10 + 60 * t), int(30 + 90 * t), int(90 + 140 * t))
    return tuple(min(255, c + 70) for c in base) if ring else base


out = sys.argv[1] if len(sys.argv) > 1 else "."
open(f"{out}/vxuninst.ico", "wb").write(ico(32, program_icon))
open(f"{out}/marker.ico", "wb").write(ico(16, marker_icon))
open(f"{out}/side.bmp", "wb").write(bmp(96, 240, side_picture))
