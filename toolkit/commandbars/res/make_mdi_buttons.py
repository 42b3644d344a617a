#!/usr/bin/env python3
"""Writes mdi_buttons.bmp: the caption-button images of a maximized document (restore, minimize,
maximize, close), 16 x 16 each side by side, black glyphs on a transparent ground, as a 32-bit
bitmap with alpha. Run it again after changing a glyph."""
import os
import struct

SIZE = 16


def restore(px):
    # Two windows, the back one up and right; each with a thick top edge.
    for (x0, y0, x1, y1) in ((6, 3, 12, 9), (3, 6, 9, 12)):
        for x in range(x0, x1 + 1):
            px.add((x, y0))
            px.add((x, y0 + 1))
            px.add((x, y1))
        for y in range(y0, y1 + 1):
            px.add((x0, y))
            px.add((x1, y))
    # The front window hides the back one's lines behind it.
    for x in range(4, 9):
        for y in range(8, 12):
            px.discard((x, y))


def minimize(px):
    for x in range(4, 12):
        px.add((x, 11))
        px.add((x, 12))


def maximize(px):
    for x in range(3, 13):
        px.add((x, 3))
        px.add((x, 4))
        px.add((x, 12))
    for y in range(3, 13):
        px.add((3, y))
        px.add((12, y))


def close(px):
    # Two strokes two pixels wide from corner to corner.
    for i in range(8):
        px.add((4 + i, 4 + i))
        px.add((11 - i, 4 + i))
        if i < 7:
            px.add((5 + i, 4 + i))
            px.add((10 - i, 4 + i))


def main():
    glyphs = [restore, minimize, maximize, close]
    width = SIZE * len(glyphs)
    on = set()
    for k, draw in enumerate(glyphs):
        px = set()
        draw(px)
        on |= {(x + k * SIZE, y) for (x, y) in px}
    rows = []
    for y in reversed(range(SIZE)):  # bottom-up
        row = b"".join(b"\x00\x00\x00\xff" if (x, y) in on else b"\x00\x00\x00\x00" for x in range(width))
        rows.append(row)
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, SIZE, 1, 32, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "mdi_buttons.bmp")
    with open(out, "wb") as f:
        f.write(header + info + pixels)


if __name__ == "__main__":
    main()
