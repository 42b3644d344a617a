#!/usr/bin/env python3
"""Writes the resources the drawing tests load into the given folder, with fixtures.rc.

TEST_INI            INI text with the cases the image set's reader must handle
PATTERN_BMP         20x20, nine regions of distinct colours around margins of 3
OFFICE2007_DOTTED_BMP  a 4x4 image reached by the name "OFFICE2007\\DOTTED.BMP"
ALPHA_BMP           8x8 32-bit: left half opaque red, right half green at alpha 128
OPAQUE32_BMP        8x8 32-bit, alpha 255 everywhere
ALPHA_PNG           the same pixels as ALPHA_BMP as a PNG resource
STRIP_BMP           48x16 24-bit: three 16x16 images on a magenta ground
100 (icon group)    16x16 and 32x32 images
200 (HTML)          ANSI text with a NUL inside
600 (tool bar)      version 1, 16x15 images, commands 100, 0 (separator), 101
601 (tool bar)      says 5 items but holds 2
strings 300 (U.S. English), 301 (German); menu 400; dialog 500
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools", "office2007"))
import imagefiles  # noqa: E402

MAGENTA = (255, 0, 255, 255)


def pattern():
    edges = [0, 3, 17, 20]
    rows = []
    for y in range(20):
        r = 0 if y < 3 else (1 if y < 17 else 2)
        row = []
        for x in range(20):
            c = 0 if x < 3 else (1 if x < 17 else 2)
            row.append((40 + r * 80, 40 + c * 80, 200, 255))
        rows.append(row)
    return rows


def alpha_pixels():
    return [[(255, 0, 0, 255)] * 4 + [(0, 255, 0, 128)] * 4 for _ in range(8)]


def strip():
    rows = [[MAGENTA] * 48 for _ in range(16)]
    colours = [(255, 0, 0, 255), (0, 128, 0, 255), (0, 0, 255, 255)]
    for i, c in enumerate(colours):
        for y in range(4, 12):
            for x in range(4, 12):
                rows[y][i * 16 + x] = c
    return rows


def icon(size):
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            inside = size // 4 <= x < 3 * size // 4 and size // 4 <= y < 3 * size // 4
            row.append((0, 0, 200, 255) if inside else (0, 0, 0, 0))
        rows.append(row)
    return rows


INI = [
    "; fixture",
    "[Colors]",
    "  Red = 255 0 0   ; a comment",
    "Hex=0x10 0x20 010",
    "Short = 7",
    "Wide = 256 257 -1",
    "Empty =",
    "=novalue",
    "[Images]",
    "Pattern=PATTERN.BMP",
    "[Colors]",
    "Late = 1 2 3",
    "[Other]",
    "Key=other",
    "Tail=1",
]


def main(out):
    os.makedirs(out, exist_ok=True)

    def put(name, data):
        path = os.path.join(out, name)
        with open(path, "wb") as f:
            f.write(data)
        return path.replace(os.sep, "/")

    # The last line has no CR: it must not be read.
    ini = put("TEST.INI", imagefiles.utf16_text(INI[:-1]) + INI[-1].encode("utf-16-le"))
    lines = [
        "#include <windows.h>",
        "LANGUAGE 0x09, 0x01",
        'TEST_INI TEXTFILE "%s"' % ini,
        'PATTERN_BMP BITMAP "%s"' % put("pattern.bmp", imagefiles.bmp_bytes(pattern(), 24)),
        'OFFICE2007_DOTTED_BMP BITMAP "%s"' % put("dotted.bmp", imagefiles.bmp_bytes([[(9, 9, 9, 255)] * 4] * 4, 24)),
        'ALPHA_BMP BITMAP "%s"' % put("alpha.bmp", imagefiles.bmp_bytes(alpha_pixels(), 32)),
        'OPAQUE32_BMP BITMAP "%s"' % put("opaque.bmp", imagefiles.bmp_bytes([[(10, 20, 30, 255)] * 8] * 8, 32)),
        'ALPHA_PNG PNG "%s"' % put("alpha.png", imagefiles.png_bytes(alpha_pixels())),
        'STRIP_BMP BITMAP "%s"' % put("strip.bmp", imagefiles.bmp_bytes(strip(), 24)),
        '100 ICON "%s"' % put("icon.ico", imagefiles.ico_bytes([icon(16), icon(32)])),
        '200 HTML "%s"' % put("page.html", b"<p>hello</p>\0trailing"),
        '600 241 "%s"' % put("toolbar.bin", struct.pack("<7H", 1, 16, 15, 3, 100, 0, 101)),
        '601 241 "%s"' % put("toolbar-short.bin", struct.pack("<6H", 1, 16, 15, 5, 100, 101)),
        "STRINGTABLE { 300, \"Kestrin string\" }",
        "400 MENU { POPUP \"&File\" { MENUITEM \"&Open\", 401 } }",
        "500 DIALOG 0, 0, 100, 50 STYLE WS_POPUP { }",
        "LANGUAGE 0x07, 0x01",
        "STRINGTABLE { 301, \"Zeichenkette\" }",
    ]
    with open(os.path.join(out, "fixtures.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
