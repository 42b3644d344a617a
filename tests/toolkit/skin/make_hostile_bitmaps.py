#!/usr/bin/env python3
"""Writes Windows bitmap files, sound and hostile, and a resource script that carries them.

    make_hostile_bitmaps.py <out-dir>

<out-dir>/hostile_bitmaps.rc names every file as an RCDATA resource of its case name (upper
case); the test writes them into a folder skin and loads them through the skin file reader.
Sound files: 24-bit, 32-bit top-down, 8-bit with a short colour table, 1-bit, 16-bit with
masks, a version 5 header, a gap between colour table and rows. Hostile files: headers that
claim more rows, wider rows, a larger header or colour table than the file holds, offsets
outside the file, compressions and formats the reader does not take.
"""
import os
import struct
import sys


def info_header(width, height, bits, compression=0, colors=0, size=40, planes=1):
    h = struct.pack("<IiiHHIIiiII", 40, width, height, planes, bits, compression, 0, 2835, 2835, colors, 0)
    h = struct.pack("<I", size) + h[4:]
    return h + bytes(max(0, size - 40)) if size >= 40 else h[:size]


def bmp(info, table=b"", rows=b"", offset=None, file_size=None, kind=b"BM", gap=b""):
    if offset is None:
        offset = 14 + len(info) + len(table) + len(gap)
    body = info + table + gap + rows
    size = 14 + len(body) if file_size is None else file_size
    return kind + struct.pack("<IHHI", size, 0, 0, offset) + body


def rows_24(width, pixels):
    """pixels: rows bottom-up of (r, g, b)."""
    out = b""
    for row in pixels:
        line = b"".join(bytes((b, g, r)) for r, g, b in row)
        out += line + bytes((4 - len(line) % 4) % 4)
    return out


RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)
GOOD_24 = bmp(info_header(3, 2, 24), rows=rows_24(3, [[RED, GREEN, BLUE], [WHITE, RED, GREEN]]))
GOOD_32_TOPDOWN = bmp(info_header(2, -2, 32), rows=bytes((0, 0, 255, 255)) * 2 + bytes((255, 0, 0, 255)) * 2)
PALETTE = bytes((0, 0, 255, 0)) + bytes((0, 255, 0, 0))  # red, green
GOOD_8 = bmp(info_header(4, 4, 8, colors=2), PALETTE, bytes((0, 1, 0, 1)) * 4)
GOOD_1 = bmp(info_header(8, 1, 1, colors=2), PALETTE, bytes((0xF0, 0, 0, 0)))
MASKS = struct.pack("<III", 0xF800, 0x07E0, 0x001F)
GOOD_16 = bmp(info_header(2, 2, 16, compression=3), MASKS, struct.pack("<HHHH", 0xF800, 0xF800, 0x001F, 0x001F))
GOOD_V5 = bmp(info_header(2, 1, 32, size=124), rows=bytes((0, 255, 0, 255)) * 2)
GOOD_GAP = bmp(info_header(2, 1, 24), rows=rows_24(2, [[BLUE, BLUE]]), gap=bytes(10))

CASES = {
    "good_24": GOOD_24,
    "good_32_topdown": GOOD_32_TOPDOWN,
    "good_8": GOOD_8,
    "good_1": GOOD_1,
    "good_16": GOOD_16,
    "good_v5": GOOD_V5,
    "good_gap": GOOD_GAP,
    # More than the file holds.
    "rows_short": bmp(info_header(3, 1000, 24), rows=rows_24(3, [[RED] * 3] * 2)),
    "rows_short_topdown": bmp(info_header(3, -1000, 24), rows=rows_24(3, [[RED] * 3] * 2)),
    "row_one_byte_short": GOOD_24[:-1],
    "huge_size": bmp(info_header(30000, 30000, 24), rows=bytes(64)),
    "wide_over_limit": bmp(info_header(0x8000, 1, 1), rows=bytes(0x1000)),
    "height_min_int": bmp(info_header(1, -0x80000000, 24), rows=bytes(4)),
    "offset_beyond_file": bmp(info_header(1, 1, 24), rows=bytes(4), offset=10000),
    "offset_inside_header": bmp(info_header(1, 1, 24), rows=bytes(4), offset=20),
    "header_size_beyond": bmp(info_header(1, 1, 24, size=5000)[:40], rows=bytes(4)),
    "table_into_rows": bmp(info_header(4, 4, 8, colors=256), PALETTE, bytes(16)),
    "colors_over_256": bmp(info_header(1, 1, 8, colors=1000), PALETTE * 500, bytes(4)),
    "masks_cut": bmp(info_header(2, 2, 16, compression=3), rows=b"", offset=54) [:54],
    "file_header_only": GOOD_24[:14],
    "ten_bytes": GOOD_24[:10],
    # Formats the reader does not take.
    "not_bm": bmp(info_header(3, 2, 24), rows=rows_24(3, [[RED] * 3] * 2), kind=b"XX"),
    "rle8": bmp(info_header(2, 2, 8, compression=1, colors=2), PALETTE, bytes((2, 0, 0, 0, 2, 1, 0, 1))),
    "jpeg": bmp(info_header(2, 2, 24, compression=4), rows=bytes(64)),
    "core_header": b"BM" + struct.pack("<IHHI", 26 + 12, 0, 0, 26) + struct.pack("<IHHHH", 12, 2, 2, 1, 24) + bytes(16),
    "bits_7": bmp(info_header(2, 2, 7), rows=bytes(16)),
    "planes_2": bmp(info_header(2, 2, 24, planes=2), rows=bytes(16)),
    "zero_width": bmp(info_header(0, 2, 24), rows=bytes(16)),
    "negative_width": bmp(info_header(-2, 2, 24), rows=bytes(16)),
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = []
    for name, data in CASES.items():
        path = os.path.join(out, name + ".bmp")
        with open(path, "wb") as f:
            f.write(data)
        lines.append('%s RCDATA "%s"' % (name.upper(), path.replace("\\", "/")))
    with open(os.path.join(out, "hostile_bitmaps.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
