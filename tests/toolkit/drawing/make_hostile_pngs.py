#!/usr/bin/env python3
"""Writes small PNG files whose ancillary text chunks would cost the reader time and memory,
and a resource script that carries them.

    make_hostile_pngs.py <out-dir>

<out-dir>/hostile_pngs.rc names every file as a "PNG" resource of its case name (upper case).
Each image is 2x2 RGBA with the pixels red, green, blue, white (alpha 255), so a test can tell
that it still decodes. TEXT_FLOOD carries 5,000 tEXt chunks; ZTXT_BOMB and ITXT_BOMB compressed
text chunks that inflate to 4 MB each from a few kilobytes; MIXED_FLOOD all three kinds before
and after the image data; BIG_TEXT one tEXt chunk just over 1 MB.
"""
import os
import struct
import sys
import zlib

PIXELS = [[(255, 0, 0, 255), (0, 255, 0, 255)], [(0, 0, 255, 255), (255, 255, 255, 255)]]


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def image_chunks():
    ihdr = struct.pack(">IIBBBBB", 2, 2, 8, 6, 0, 0, 0)
    raw = b"".join(b"\0" + b"".join(bytes(p) for p in row) for row in PIXELS)
    return chunk(b"IHDR", ihdr), chunk(b"IDAT", zlib.compress(raw))


def png(before=(), after=()):
    ihdr, idat = image_chunks()
    return (b"\x89PNG\r\n\x1a\n" + ihdr + b"".join(before) + idat + b"".join(after) +
            chunk(b"IEND", b""))


def text(i):
    return chunk(b"tEXt", b"Comment\0" + b"line %d" % i)


BOMB_TEXT = zlib.compress(b"a" * (4 << 20), 9)


def ztxt():
    return chunk(b"zTXt", b"Comment\0\0" + BOMB_TEXT)


def itxt():
    return chunk(b"iTXt", b"Comment\0\1\0en\0Comment\0" + BOMB_TEXT)


CASES = {
    "text_flood": png(before=[text(i) for i in range(5000)]),
    "ztxt_bomb": png(before=[ztxt() for _ in range(4)]),
    "itxt_bomb": png(before=[itxt() for _ in range(4)]),
    "mixed_flood": png(before=[ztxt(), itxt()] + [text(i) for i in range(2000)],
                       after=[ztxt(), itxt()] + [text(i) for i in range(2000)]),
    "big_text": png(before=[chunk(b"tEXt", b"Comment\0" + b"b" * ((1 << 20) + 64))]),
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = []
    for name, data in CASES.items():
        path = os.path.join(out, name + ".png")
        with open(path, "wb") as f:
            f.write(data)
        lines.append('%s PNG "%s"' % (name.upper(), path.replace("\\", "/")))
    with open(os.path.join(out, "hostile_pngs.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
