#!/usr/bin/env python3
"""Draws the setup program's icon (run once; the output is committed).

    tools/art/make_setup_art.py installer/setup/res
"""
import sys

from image_files import ico


def program_icon(x, y):
    # A blue box with a white arrow going into it.
    inside = 4 <= x <= 27 and 10 <= y <= 27
    border = inside and (x in (4, 27) or y in (10, 27))
    arrow = (x == 16 and 1 <= y <= 16) or (abs(x - 16) + abs(y - 16) <= 4 and y >= 13 and y <= 16)
    if arrow:
        return (255, 255, 255, 255)
    if border:
        return (20, 40, 120, 255)
    if inside:
        return (40 + x * 3, 90 + y * 4, 200, 255)
    return (0, 0, 0, 0)


out = sys.argv[1] if len(sys.argv) > 1 else "."
open(f"{out}/vxsetup.ico", "wb").write(ico(32, program_icon))
