#!/usr/bin/env python3
"""Draws the verification popup's faces (24-bit BMP) and their window regions ("RGN"
resources: an RGNDATA record of the pixels that are not the face's key colour).

Colours of a face bitmap, as the popup reads them:
  key colour (certificate face red, low-assurance face green): outside the window;
  pure blue: the soft edge, drawn in the face's gradient colour, opaque at the bottom row and
             fading out towards the top;
  cyan: drawn in the face's gradient colour (green on the certificate face, red on the
        low-assurance face).
Needs ImageMagick and the DejaVu fonts; the results are committed.
"""
import os
import struct
import subprocess

HERE = os.path.dirname(os.path.abspath(__file__))
RED, GREEN, BLUE, CYAN = '#ff0000', '#00ff00', '#0000ff', '#00ffff'
FONT = 'DejaVu-Sans'
BOLD = 'DejaVu-Sans-Bold'

# name, size, tail ('bottom' or 'top'), certificate face?, text rectangle, logo rectangle, link 1 top
FACES = [
    ('ie6_cert', (205, 272), 'bottom', True, (5, 100, 172, 140), (84, 175, 168, 198), None),
    ('ie6_low', (205, 296), 'bottom', False, (5, 100, 172, 140), None, 215),
    ('ie7_cert', (204, 238), 'top', True, (13, 111, 180, 151), (88, 186, 172, 209), None),
    ('ie7_low', (203, 264), 'top', False, (13, 111, 180, 151), None, 222),
]


def draw(name, size, tail, cert, text, logo, link_top):
    w, h = size
    key = RED if cert else GREEN
    if tail == 'bottom':
        body = (1, 1, w - 20, h - 26)
        spike = [(w - 70, h - 28), (w - 24, h - 28), (w - 1, h - 1)]
    else:
        body = (1, 24, w - 20, h - 2)
        spike = [(w - 70, 26), (w - 24, 26), (w - 1, 0)]
    left, top, right, bottom = body
    header = top + 54
    cmd = ['convert', '-size', '%dx%d' % (w, h), 'xc:' + key, '+antialias']
    # Soft edge: the spike and a band around the body in the edge colour.
    # (A spike at the top would fade out with the edge: it is drawn solid.)
    cmd += ['-fill', BLUE if tail == 'bottom' else '#1c3552', '-stroke', 'none',
            '-draw', 'polygon ' + ' '.join('%d,%d' % p for p in spike),
            '-fill', BLUE, '-draw', 'roundrectangle %d,%d %d,%d 12,12' % (left, top, right, bottom)]
    # The body, the header band and the coloured rule under it.
    cmd += ['-fill', '#f6f8fb', '-draw', 'roundrectangle %d,%d %d,%d 10,10' % (left + 3, top + 3, right - 3, bottom - 3),
            '-fill', '#1c3552', '-draw', 'roundrectangle %d,%d %d,%d 10,10' % (left + 3, top + 3, right - 3, header),
            '-draw', 'rectangle %d,%d %d,%d' % (left + 3, header - 10, right - 3, header),
            '-fill', CYAN, '-draw', 'rectangle %d,%d %d,%d' % (left + 3, header + 1, right - 3, header + 4)]
    # A small seal in the header.
    cx, cy = left + 26, top + 29
    cmd += ['-fill', '#f2b632', '-draw', 'circle %d,%d %d,%d' % (cx, cy, cx, cy - 14),
            '-fill', '#1c3552', '-draw', 'circle %d,%d %d,%d' % (cx, cy, cx, cy - 9),
            '-stroke', '#f2b632', '-strokewidth', '3', '-fill', 'none',
            '-draw', ('polyline %d,%d %d,%d %d,%d' % (cx - 5, cy, cx - 1, cy + 4, cx + 6, cy - 4)) if cert
            else ('line %d,%d %d,%d' % (cx, cy - 5, cx, cy + 1)),
            '-stroke', 'none', '-strokewidth', '1']
    if not cert:
        cmd += ['-fill', '#f2b632', '-draw', 'rectangle %d,%d %d,%d' % (cx - 1, cy + 4, cx + 1, cy + 6)]
    cmd += ['-antialias', '-fill', 'white', '-font', BOLD, '-pointsize', '15',
            '-annotate', '+%d+%d' % (left + 48, top + 27), 'Kestrin',
            '-font', FONT, '-pointsize', '9', '-fill', '#d5e2f0',
            '-annotate', '+%d+%d' % (left + 48, top + 42), 'Site identity verified' if cert else 'Identity not verified']
    if cert:
        cmd += ['-fill', '#6b7785', '-font', FONT, '-pointsize', '8',
                '-annotate', '+%d+%d' % (text[0] + 3, text[1] - 18), 'This site belongs to:',
                '-annotate', '+%d+%d' % (text[0] + 3, logo[1] + 15), 'Verified by:']
    else:
        # A warning sign and its words above the link.
        mx = (text[0] + text[2]) // 2
        ty = text[1] - 18
        cmd += ['+antialias', '-fill', '#e8a317', '-draw',
                'polygon %d,%d %d,%d %d,%d' % (mx, ty, mx - 30, ty + 52, mx + 30, ty + 52),
                '-fill', '#1c3552', '-draw', 'rectangle %d,%d %d,%d' % (mx - 2, ty + 16, mx + 2, ty + 38),
                '-draw', 'rectangle %d,%d %d,%d' % (mx - 2, ty + 42, mx + 2, ty + 46), '-antialias',
                '-fill', '#3a4350', '-font', FONT, '-pointsize', '9', '-gravity', 'North',
                '-annotate', '+%d+%d' % (mx - w // 2, ty + 60), 'The owner of this site\nhas not been verified.',
                '-gravity', 'NorthWest']
    out = os.path.join(HERE, name + '.bmp')
    cmd += ['-type', 'TrueColor', 'BMP3:' + out]
    subprocess.run(cmd, check=True)
    return out


def read_bmp(path):
    data = open(path, 'rb').read()
    offset, = struct.unpack_from('<I', data, 10)
    w, h, planes, bits = struct.unpack_from('<iiHH', data, 18)
    assert bits == 24 and h > 0, path
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h):
        row = data[offset + (h - 1 - y) * stride: offset + (h - 1 - y) * stride + w * 3]
        rows.append([(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]) for x in range(w)])
    return w, h, rows


def region(path, key):
    w, h, rows = read_bmp(path)
    rects = []
    for y, row in enumerate(rows):
        x = 0
        while x < w:
            if row[x] == key:
                x += 1
                continue
            start = x
            while x < w and row[x] != key:
                x += 1
            rects.append((start, y, x, y + 1))
    bound = (min(r[0] for r in rects), min(r[1] for r in rects), max(r[2] for r in rects), max(r[3] for r in rects))
    body = b''.join(struct.pack('<4i', *r) for r in rects)
    header = struct.pack('<4I4i', 32, 1, len(rects), len(body), *bound)
    with open(path[:-4] + '.rgn', 'wb') as f:
        f.write(header + body)


def main():
    for name, size, tail, cert, text, logo, link_top in FACES:
        path = draw(name, size, tail, cert, text, logo, link_top)
        region(path, (255, 0, 0) if cert else (0, 255, 0))


if __name__ == '__main__':
    main()
