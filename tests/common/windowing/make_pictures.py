#!/usr/bin/env python3
"""Writes the picture fixtures of the windowing tests into the given folder.

anim.gif       5 frames on an 8x8 screen: delays 0, 4, 5, 10 and one frame without a graphic
               control extension; disposal 1, 2, 3, 0; application and comment extensions
single.gif     one 6x5 frame
truncated.gif  anim.gif cut inside its third frame
short.gif      "GIF89a" and four bytes more (under a full header)
badgct.gif     header claims a 256-colour table the file does not hold
still.bmp      a 20x10 bitmap
"""
import os
import struct
import sys

PALETTE = [(255, 255, 255), (255, 0, 0), (0, 255, 0), (0, 0, 255)]


def lzw_uncompressed(pixels, min_code_size=8):
    """Codes without compression: a clear code often enough that the code size stays fixed."""
    clear, end = 1 << min_code_size, (1 << min_code_size) + 1
    size = min_code_size + 1
    codes = [clear]
    run = 0
    for p in pixels:
        if run == 200:
            codes.append(clear)
            run = 0
        codes.append(p)
        run += 1
    codes.append(end)
    out, acc, bits = bytearray(), 0, 0
    for c in codes:
        acc |= c << bits
        bits += size
        while bits >= 8:
            out.append(acc & 0xFF)
            acc >>= 8
            bits -= 8
    if bits:
        out.append(acc & 0xFF)
    return bytes(out)


def sub_blocks(data):
    out = bytearray()
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out.append(len(chunk))
        out += chunk
    out.append(0)
    return bytes(out)


def header(width, height):
    # Global table of 4 colours (size field 1 -> 2^(1+1) entries).
    gct = b"".join(bytes(c) for c in PALETTE)
    return b"GIF89a" + struct.pack("<HHBBB", width, height, 0x80 | 0x01, 0, 0) + gct


def control(delay, disposal):
    return bytes([0x21, 0xF9, 4, (disposal & 7) << 2]) + struct.pack("<H", delay) + b"\x00\x00"


def image(left, top, width, height, colour):
    desc = b"\x2C" + struct.pack("<HHHHB", left, top, width, height, 0)
    return desc + bytes([8]) + sub_blocks(lzw_uncompressed([colour] * (width * height)))


def main(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    loop = b"\x21\xFF\x0BNETSCAPE2.0" + b"\x03\x01\x00\x00\x00"
    comment = b"\x21\xFE" + sub_blocks(b"made by the tests")
    frames = [
        control(0, 1) + image(0, 0, 8, 8, 1),    # red everywhere, kept
        control(4, 2) + image(2, 2, 4, 4, 2),    # green square, cleared to background
        control(5, 3) + image(4, 4, 4, 4, 3),    # blue square, what was under comes back
        control(10, 0) + image(0, 0, 2, 2, 2),   # green corner
        image(6, 0, 2, 2, 3),                    # no control extension
    ]
    anim = header(8, 8) + loop + comment + b"".join(frames) + b"\x3B"
    files = {
        "anim.gif": anim,
        "single.gif": header(6, 5) + control(0, 0) + image(0, 0, 6, 5, 3) + b"\x3B",
    }
    third = len(header(8, 8) + loop + comment + frames[0] + frames[1]) + 20
    files["truncated.gif"] = anim[:third]
    files["short.gif"] = b"GIF89a\x08\x00\x08\x00"
    files["badgct.gif"] = b"GIF89a" + struct.pack("<HHBBB", 8, 8, 0x87, 0, 0) + b"\x00" * 30
    # 20x10 24-bit bitmap, rows bottom-up, each padded to 4 bytes: left half red, right blue.
    w, h = 20, 10
    row = b"".join(bytes((0, 0, 255)) if x < 10 else bytes((255, 0, 0)) for x in range(w))
    row += b"\x00" * ((4 - len(row) % 4) % 4)
    pixels = row * h
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    files["still.bmp"] = b"BM" + struct.pack("<IHHI", 14 + 40 + len(pixels), 0, 0, 54) + info + pixels
    for name, data in files.items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
