#!/usr/bin/env python3
"""Draws the two pointer files that lie beside the program:

  HAND-M.CUR  the hand shown over the push buttons: a 32 x 32 cursor whose hotspot, stored in
              the file, is the tip of the pointing finger;
  drag.ico    the pointer shown on the list while an entry is being moved: a list entry between
              an up and a down arrow, 32 x 32, meant to be used with its centre as hotspot.

Usage: make-pointers.py [--preview DIR]   (writes next to this script's parent folder, data/;
with --preview also magnified PNG copies into DIR for looking at them)
"""

import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from imagefiles import cur_bytes, ico_bytes, png_bytes, scaled  # noqa: E402

SIZE = 32
BLACK = (0, 0, 0, 255)
WHITE = (255, 255, 255, 255)
CLEAR = (0, 0, 0, 0)

# The hand, one character a pixel: K outline, W skin, s shade on the skin's right side.
HAND = [
    ".......KKK.............",
    "......KWWWK............",
    "......KWWsK............",
    "......KWWsK............",
    "......KWWsK............",
    "......KWWsKKKK.........",
    "......KWWsKWWsKKKK.....",
    "......KWWsKWWsKWWsK....",
    "......KWWsKWWsKWWsKKK..",
    "......KWWsKWWsKWWsKWsK.",
    ".KKK..KWWsKWWsKWWsKWsK.",
    "KWWWK.KWWsKWWsKWWsKWsK.",
    "KWWWWKKWWWWWWWWWWWWWsK.",
    ".KWWWWKWWWWWWWWWWWWWsK.",
    "..KWWWWWWWWWWWWWWWWWsK.",
    "...KWWWWWWWWWWWWWWWWsK.",
    "...KWWWWWWWWWWWWWWWWsK.",
    "....KWWWWWWWWWWWWWWsK..",
    "....KWWWWWWWWWWWWWWsK..",
    ".....KWWWWWWWWWWWWWsK..",
    ".....KWWWWWWWWWWWWsK...",
    "......KWWWWWWWWWWWsK...",
    "......KssssssssssssK...",
    "......KKKKKKKKKKKKKK...",
]
HAND_COLOURS = {".": CLEAR, "K": BLACK, "W": WHITE, "s": (208, 208, 208, 255)}
HAND_LEFT, HAND_TOP = 4, 2  # where the drawing's top-left corner lies in the cursor
FINGERTIP = (8, 0)  # in the drawing: the top of the pointing finger


def from_art(rows, colours, left, top):
    pixels = [CLEAR] * (SIZE * SIZE)
    for y, row in enumerate(rows):
        for x, ch in enumerate(row):
            pixels[(top + y) * SIZE + left + x] = colours[ch]
    return pixels


def with_shadow(pixels):
    """A soft drop shadow down and to the right, under the transparent pixels only."""
    out = list(pixels)
    for y in range(SIZE):
        for x in range(SIZE):
            if pixels[y * SIZE + x][3]:
                continue
            alpha = 0
            for d, a in ((1, 90), (2, 45)):
                if x >= d and y >= d and pixels[(y - d) * SIZE + x - d][3]:
                    alpha = max(alpha, a)
            if alpha:
                out[y * SIZE + x] = (0, 0, 0, alpha)
    return out


def drag_pixels():
    """A list entry (light blue, two text lines) with arrows above and below it; every shape
    pixel next to the outside becomes the black outline."""
    inside = set()
    for r in range(1, 9):  # up arrow head, apex on row 1
        for x in range(16 - r, 16 + r):
            inside.add((x, r))
    for y in range(9, 12):  # its stem
        for x in range(14, 18):
            inside.add((x, y))
    for y in range(12, 20):  # the entry, corners cut
        for x in range(3, 29):
            if (x in (3, 28)) and (y in (12, 19)):
                continue
            inside.add((x, y))
    for (x, y) in list(inside):  # down arrow: the mirror image of the upper half
        if y < 12:
            inside.add((x, 31 - y))

    def is_in(x, y):
        return (x, y) in inside

    entry_fill = (207, 227, 255, 255)
    text = (70, 110, 165, 255)
    pixels = [CLEAR] * (SIZE * SIZE)
    for (x, y) in inside:
        edge = any(not is_in(x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))
        if edge:
            colour = BLACK
        elif 12 <= y < 20:
            colour = entry_fill
            if (y == 14 and 6 <= x <= 24) or (y == 17 and 6 <= x <= 19):
                colour = text
        else:
            colour = WHITE
        pixels[y * SIZE + x] = colour
    return pixels


def main():
    data = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    preview = None
    if len(sys.argv) == 3 and sys.argv[1] == "--preview":
        preview = sys.argv[2]
    elif len(sys.argv) != 1:
        sys.exit(__doc__)

    hand = with_shadow(from_art(HAND, HAND_COLOURS, HAND_LEFT, HAND_TOP))
    hot_x, hot_y = HAND_LEFT + FINGERTIP[0], HAND_TOP + FINGERTIP[1]
    drag = with_shadow(drag_pixels())
    with open(os.path.join(data, "HAND-M.CUR"), "wb") as f:
        f.write(cur_bytes(SIZE, SIZE, hand, hot_x, hot_y))
    with open(os.path.join(data, "drag.ico"), "wb") as f:
        f.write(ico_bytes(SIZE, SIZE, drag))
    if preview:
        for name, pixels in (("hand", hand), ("drag", drag)):
            with open(os.path.join(preview, name + "-x8.png"), "wb") as f:
                f.write(png_bytes(*scaled(SIZE, SIZE, pixels, 8)))


if __name__ == "__main__":
    main()
