#!/usr/bin/env python3
"""Draws the fake pointer (bitmap 209): 14 x 24 pixels, 24-bit, white around a dark arrow.
Every pixel that is not white belongs to the shape."""
import struct
import sys

WIDTH, HEIGHT = 14, 24


def in_shape(x, y):
    if y <= 13:
        return x <= y
    spans = {
        14: [(0, 8)], 15: [(0, 8)], 16: [(0, 3), (5, 8)], 17: [(0, 2), (5, 8)],
        18: [(0, 1), (6, 9)], 19: [(0, 0), (6, 9)], 20: [(6, 9)],
        21: [(7, 10)], 22: [(7, 10)], 23: [(7, 10)],
    }
    return any(a <= x <= b for a, b in spans[y])


def pixel(x, y):
    if not in_shape(x, y):
        return (0xFF, 0xFF, 0xFF)
    # A dark arrow with a slightly lighter inside, so the outline drawn later stands out.
    edge = not all(0 <= nx < WIDTH and 0 <= ny < HEIGHT and in_shape(nx, ny)
                   for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)))
    return (0x10, 0x10, 0x10) if edge else (0x40, 0x40, 0x40)


def main():
    stride = (WIDTH * 3 + 3) & ~3
    data = b""
    for y in range(HEIGHT - 1, -1, -1):
        row = b"".join(bytes((b, g, r)) for (r, g, b) in (pixel(x, y) for x in range(WIDTH)))
        data += row + b"\0" * (stride - len(row))
    header = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(sys.argv[1] + "/shadow_pointer.bmp", "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 54) + header + data)


if __name__ == "__main__":
    main()
