#!/usr/bin/env python3
"""Draws the picture at the side of Contavo Lite's setup pages (run once; the output
is committed): a deep blue strip with an address card on it.

    tools/art/make_package_art.py package/art
"""
import sys

from image_files import bmp

WIDTH, HEIGHT = 164, 314
CARD = (22, 118, 142, 206)  # left, top, right, bottom


def side_picture(x, y):
    left, top, right, bottom = CARD
    on_card = left <= x <= right and top <= y <= bottom
    # Round the card's corners by 6 pixels.
    for cx, cy in ((left + 6, top + 6), (right - 6, top + 6), (left + 6, bottom - 6), (right - 6, bottom - 6)):
        if abs(x - cx) <= 6 and abs(y - cy) <= 6 and (x - cx) ** 2 + (y - cy) ** 2 > 36:
            if (x < left + 6 or x > right - 6) and (y < top + 6 or y > bottom - 6):
                on_card = False
    if on_card:
        # A head and shoulders at the left, three lines of an address at the right.
        if (x - 48) ** 2 + (y - 146) ** 2 <= 100:
            return (70, 120, 200)
        if y >= 160 and y <= 180 and (x - 48) ** 2 + (y - 184) ** 2 <= 324:
            return (70, 120, 200)
        for line_y, line_end in ((140, 130), (154, 122), (168, 126), (186, 110)):
            if line_y <= y <= line_y + 4 and 72 <= x <= line_end:
                return (150, 165, 190)
        return (250, 250, 246)
    # The strip: dark blue at the top to a lighter blue at the foot, a soft ring low down.
    t = y / (HEIGHT - 1)
    r, g, b = int(11 + t * 68), int(47 + t * 96), int(102 + t * 114)
    if 70 ** 2 <= (x - 120) ** 2 + (y - 270) ** 2 <= 74 ** 2:
        r, g, b = min(r + 30, 255), min(g + 30, 255), min(b + 30, 255)
    return (r, g, b)


out = sys.argv[1] if len(sys.argv) > 1 else "."
open(f"{out}/side.bmp", "wb").write(bmp(WIDTH, HEIGHT, side_picture))
