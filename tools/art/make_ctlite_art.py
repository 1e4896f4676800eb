#!/usr/bin/env python3
"""Draws Contavo Lite's button faces and icons (run once; the outputs are committed).

    tools/art/make_ctlite_art.py addressbook/ui/res
"""
import math
import sys

from image_files import bmp, ico

FACE = (0, 255, 0)  # see-through: the buttons draw their own face around the glyph


def glyph_bitmap(inside):
    """A 32 x 24 button face: `inside(x, y)` gives a colour for the glyph or None."""
    def pixel(x, y):
        c = inside(x, y)
        return c if c else FACE
    return bmp(32, 24, pixel)


def add(x, y):  # a green plus
    return (30, 140, 40) if (13 <= x <= 18 and 4 <= y <= 19) or (8 <= x <= 23 and 9 <= y <= 14) else None


def call(x, y):  # a handset
    d = math.hypot(x - 16, y - 22)
    if 12 <= d <= 16 and y <= 18:
        return (40, 40, 40)
    if (5 <= x <= 10 or 22 <= x <= 27) and 14 <= y <= 19:
        return (40, 40, 40)
    return None


def email(x, y):  # an envelope
    if 4 <= x <= 27 and 5 <= y <= 19:
        edge = x in (4, 27) or y in (5, 19) or abs((y - 5) - abs(x - 15.5) * 0.6) < 0.8
        return (60, 60, 140) if edge else (250, 250, 240)
    return None


def delete(x, y):  # a red cross
    return (190, 30, 30) if abs(abs(x - 15.5) - abs(y - 11.5)) < 2 and abs(x - 15.5) < 9 else None


def printer(x, y):  # a printer with a sheet
    if 9 <= x <= 22 and 2 <= y <= 9:
        return (255, 255, 255) if not (x in (9, 22) or y == 2) else (80, 80, 80)
    if 5 <= x <= 26 and 9 <= y <= 17:
        return (90, 90, 100)
    if 9 <= x <= 22 and 17 <= y <= 21:
        return (255, 255, 255)
    return None


def find(x, y):  # a magnifying glass
    d = math.hypot(x - 13, y - 10)
    if 5 <= d <= 7:
        return (40, 40, 40)
    if d < 5:
        return (190, 220, 250)
    if abs((x - 13) - (y - 10)) < 1.6 and 18 <= x <= 25:
        return (120, 70, 20)
    return None


def leave(x, y):  # a door with an arrow
    if 6 <= x <= 15 and 3 <= y <= 20:
        return (140, 90, 40) if not (x == 14 and y == 12) else (240, 220, 60)
    if y == 11 and 17 <= x <= 26 or abs(x - 24) + abs(y - 11) <= 3 and x >= 22:
        return (30, 100, 170)
    return None


def arrow(left):
    def pixel(x, y):
        tip = 3 if left else 12
        inside = abs(y - 7.5) <= (x - tip if left else tip - x) * 0.9 and (x >= tip if left else x <= tip) and abs(x - tip) <= 8
        return (30, 80, 160, 255) if inside else (0, 0, 0, 0)
    return pixel


def book(x, y):  # the program: a red address book with a white label
    if 5 <= x <= 26 and 3 <= y <= 28:
        if 10 <= x <= 22 and 8 <= y <= 13:
            return (255, 255, 255, 255)
        if x <= 7:
            return (120, 20, 20, 255)
        return (180, 40, 40, 255)
    return (0, 0, 0, 0)


GREEN = (0, 255, 0)  # the transparent colour of the list icons


def group_icon(x, y):  # 17 x 15: a yellow folder
    if 1 <= x <= 15 and 4 <= y <= 13:
        return (150, 110, 20) if x in (1, 15) or y in (4, 13) else (240, 200, 60)
    if 1 <= x <= 7 and 2 <= y <= 3:
        return (150, 110, 20)
    return GREEN


def entry_icon(x, y):  # 16 x 15: a white card with a head and lines
    if 1 <= x <= 14 and 2 <= y <= 12:
        if x in (1, 14) or y in (2, 12):
            return (60, 60, 120)
        if math.hypot(x - 4.5, y - 6) <= 2.2:
            return (200, 120, 80)
        if 8 <= x <= 12 and y in (5, 7, 9):
            return (60, 60, 120)
        return (255, 255, 255)
    return GREEN


out = sys.argv[1] if len(sys.argv) > 1 else "."
for name, glyph in (("add", add), ("call", call), ("email", email), ("delete", delete),
                    ("print", printer), ("find", find), ("exit", leave)):
    open(f"{out}/button_{name}.bmp", "wb").write(glyph_bitmap(glyph))
open(f"{out}/back.ico", "wb").write(ico(16, arrow(True)))
open(f"{out}/next.ico", "wb").write(ico(16, arrow(False)))
open(f"{out}/ctlite.ico", "wb").write(ico(32, book))
open(f"{out}/group.bmp", "wb").write(bmp(17, 15, group_icon))
open(f"{out}/entry.bmp", "wb").write(bmp(16, 15, entry_icon))
