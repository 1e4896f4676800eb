#!/usr/bin/env python3
"""Draws the uninstaller's icons and side picture (run once; the outputs are committed).

    tools/art/make_uninstaller_art.py installer/uninstall/res
"""
import sys

from image_files import bmp, ico


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
