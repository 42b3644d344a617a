#!/usr/bin/env python3
"""Draws the tray program's icons: the tray icon (131, a green shield with a check mark) and the
play button icon (134, a triangle). Each is written as its images (RT_ICON) and its directory
(RT_GROUP_ICON) with image numbers of its own, so that they never collide with the icons of the
other resource objects a program links."""
import struct
import sys


def image(size, pixel):
    rows = [[pixel(x, y, size) for x in range(size)] for y in range(size)]
    xor = bytearray()
    for y in range(size - 1, -1, -1):
        for (r, g, b, a) in rows[y]:
            xor += bytes((b, g, r, a))
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in range(size - 1, -1, -1):
        bits = bytearray(stride)
        for x in range(size):
            if rows[y][x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(mask)


def write_icon(out, name, sizes, pixel, first_id):
    """<name>_<id>.img per image and <name>.grp, the directory naming those ids."""
    group = struct.pack("<HHH", 0, 1, len(sizes))
    for i, size in enumerate(sizes):
        img = image(size, pixel)
        with open("%s/%s_%d.img" % (out, name, first_id + i), "wb") as f:
            f.write(img)
        group += struct.pack("<BBBBHHIH", size, size, 0, 0, 1, 32, len(img), first_id + i)
    with open("%s/%s.grp" % (out, name), "wb") as f:
        f.write(group)


def shield(x, y, size):
    u, v = (x + 0.5) / size, (y + 0.5) / size
    half = 0.42 if v < 0.55 else 0.42 * max(0.0, (1.0 - v) / 0.45)
    if v < 0.08 or v > 0.97 or abs(u - 0.5) > half:
        return (0, 0, 0, 0)
    edge = abs(u - 0.5) > half - 1.5 / size or v < 0.08 + 1.5 / size
    # The check mark: a short stroke down to the right, a long one up to the right.
    d1 = abs((v - 0.50) - (u - 0.30)) < 0.07 and 0.30 <= u <= 0.45
    d2 = abs((v - 0.65) + (u - 0.45) * 1.2) < 0.07 and 0.45 <= u <= 0.72
    if edge:
        return (0x10, 0x50, 0x20, 0xFF)
    if d1 or d2:
        return (0xFF, 0xFF, 0xFF, 0xFF)
    return (0x20, 0xA0, 0x40, 0xFF)


def play(x, y, size):
    u, v = (x + 0.5) / size, (y + 0.5) / size
    if 0.25 <= u <= 0.8 and abs(v - 0.5) <= (0.8 - u) * 0.75:
        return (0x20, 0x60, 0x20, 0xFF)
    return (0, 0, 0, 0)


out = sys.argv[1]
write_icon(out, "tray", [32, 16], shield, 1310)
write_icon(out, "play", [16], play, 1340)
