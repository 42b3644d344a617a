#!/usr/bin/env python3
"""Writes drag_move.cur and drag_copy.cur: the cursors of a control dragged in customize mode,
an arrow with a small dotted box under its tip (moving), and the same with a plus beside the box
(copying). 32 x 32, black and white, the hot spot at the arrow's tip. Run it again after changing
a shape."""
import os
import struct

SIZE = 32

# The arrow, row by row: "B" black, "W" white, anything else clear.
ARROW = [
    "B",
    "BB",
    "BWB",
    "BWWB",
    "BWWWB",
    "BWWWWB",
    "BWWWWWB",
    "BWWWWWWB",
    "BWWWWWWWB",
    "BWWWWWWWWB",
    "BWWWWWBBBBB",
    "BWWBWWB",
    "BWB BWWB",
    "BB  BWWB",
    "B    BWWB",
    "     BWWB",
    "      BB",
]


def arrow():
    """Returns (black, white) pixel sets of the arrow at the top left."""
    black, white = set(), set()
    for y, row in enumerate(ARROW):
        for x, c in enumerate(row):
            if c == "B":
                black.add((x, y))
            elif c == "W":
                white.add((x, y))
    return black, white


def box(black, white):
    # A dotted box under the arrow's tail.
    x0, y0, x1, y1 = 10, 20, 20, 28
    for x in range(x0, x1 + 1):
        for y in (y0, y1):
            (black if (x + y) % 2 == 0 else white).add((x, y))
    for y in range(y0, y1 + 1):
        for x in (x0, x1):
            (black if (x + y) % 2 == 0 else white).add((x, y))


def plus(black, white):
    # A plus in a white square to the right of the box.
    x0, y0 = 22, 21
    for x in range(x0, x0 + 9):
        for y in range(y0, y0 + 9):
            white.add((x, y))
    for x in range(x0, x0 + 9):
        black.add((x, y0))
        black.add((x, y0 + 8))
    for y in range(y0, y0 + 9):
        black.add((x0, y))
        black.add((x0 + 8, y))
    for k in range(x0 + 2, x0 + 7):
        black.add((k, y0 + 4))
    for k in range(y0 + 2, y0 + 7):
        black.add((x0 + 4, k))
    white -= black


def cursor_bytes(black, white, hot=(0, 0)):
    row_bytes = SIZE // 8
    xor_rows, and_rows = [], []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        xor_row = bytearray(row_bytes)
        and_row = bytearray(b"\xff" * row_bytes)
        for x in range(SIZE):
            bit = 0x80 >> (x % 8)
            if (x, y) in black or (x, y) in white:
                and_row[x // 8] &= ~bit & 0xFF
            if (x, y) in white:
                xor_row[x // 8] |= bit
        xor_rows.append(bytes(xor_row))
        and_rows.append(bytes(and_row))
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x000000, 0xFFFFFF)
    image = header + palette + b"".join(xor_rows) + b"".join(and_rows)
    directory = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, hot[0], hot[1], len(image), 6 + 16)
    return directory + entry + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    black, white = arrow()
    box(black, white)
    with open(os.path.join(here, "drag_move.cur"), "wb") as f:
        f.write(cursor_bytes(black, white))
    plus(black, white)
    with open(os.path.join(here, "drag_copy.cur"), "wb") as f:
        f.write(cursor_bytes(black, white))


if __name__ == "__main__":
    main()
