#!/usr/bin/env python3
"""Draws the warning toast's pictures: the title strip (bitmap 230, 201 x 21, 24-bit) and the
warning icon (icon 204, 32 x 32 and 16 x 16)."""
import struct
import sys


def bmp24(width, height, pixel):
    """A bottom-up 24-bit BMP file; pixel(x, y) gives (r, g, b) with y from the top."""
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    return b"BM" + struct.pack("<IHHI", 14 + len(header) + len(data), 0, 0, 54) + header + data


def title_pixel(x, y):
    # A blue strip, lighter at the top, with a thin light line at the bottom edge.
    if y == 20:
        return (0xE7, 0xEF, 0xFF)
    t = y / 19.0
    return (int(0x4A + (0x1C - 0x4A) * t), int(0x8C + (0x4E - 0x8C) * t), int(0xE8 + (0xA8 - 0xE8) * t))


def icon_image(size):
    """32-bit icon image: a yellow warning triangle with a dark exclamation mark."""
    def inside(x, y):
        # Triangle with apex at the top centre and base at the bottom.
        cx = (size - 1) / 2.0
        top, bottom = 1, size - 2
        if y < top or y > bottom:
            return False
        half = (y - top) / float(bottom - top) * (size / 2.0 - 1)
        return abs(x - cx) <= half + 0.5

    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            if not inside(x, y):
                row.append((0, 0, 0, 0))
                continue
            edge = not (inside(x - 1, y) and inside(x + 1, y) and inside(x, y + 1) and inside(x, y - 1))
            cx = size // 2
            bar = abs(x - (size - 1) / 2.0) <= size / 16.0
            mark = bar and (size * 0.35 <= y <= size * 0.68 or size * 0.76 <= y <= size * 0.84)
            if edge or mark:
                row.append((0x30, 0x20, 0x00, 0xFF))
            else:
                row.append((0xFF, 0xD0, 0x20, 0xFF))
        pixels.append(row)
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for (r, g, b, a) in pixels[y]:
            xor += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(size):
            if pixels[y][x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def ico(sizes):
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def main():
    out = sys.argv[1]
    with open(out + "/warning_title.bmp", "wb") as f:
        f.write(bmp24(201, 21, title_pixel))
    with open(out + "/warning_icon.ico", "wb") as f:
        f.write(ico([32, 16]))


if __name__ == "__main__":
    main()
