"""Writers of the picture formats the toolkit's resources use: BMP (24 and 32 bits), PNG
(RGBA) and ICO (32-bit images with their masks). Pixels are rows of (r, g, b, a) tuples."""
import struct
import zlib

MAGENTA = (255, 0, 255)


def strips(colours, width, height, cut_corners=False):
    """An image of equal states stacked top to bottom, each width x height: state i is colours[i]
    (r, g, b), or a pair of colours for its left and right halves. With cut_corners the four
    corner pixels of each state are magenta, the colour the themes draw transparent."""
    rows = []
    for colour in colours:
        left, right = colour if isinstance(colour[0], tuple) else (colour, colour)
        for y in range(height):
            row = []
            for x in range(width):
                corner = cut_corners and x in (0, width - 1) and y in (0, height - 1)
                row.append((MAGENTA if corner else left if x < width // 2 else right) + (255,))
            rows.append(row)
    return rows


def bmp_bytes(pixels, bits=32):
    """A bottom-up BMP file of the given rows (24 bits drops alpha)."""
    height, width = len(pixels), len(pixels[0])
    row_len = (width * bits // 8 + 3) & ~3
    body = bytearray()
    for row in reversed(pixels):
        line = bytearray()
        for r, g, b, a in row:
            line += bytes((b, g, r, a)) if bits == 32 else bytes((b, g, r))
        line += b"\0" * (row_len - len(line))
        body += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, len(body), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(body), 0, 0, 14 + len(info))
    return header + info + bytes(body)


def png_bytes(pixels, alpha=True):
    """An 8-bit RGBA (or RGB) PNG of the given rows."""
    height, width = len(pixels), len(pixels[0])
    raw = bytearray()
    for row in pixels:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a)) if alpha else bytes((r, g, b))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw))) + chunk(b"IEND", b"")


def ico_bytes(images):
    """An icon file of several square 32-bit images; the mask is set where alpha is 0."""
    entries, blobs = bytearray(), bytearray()
    offset = 6 + 16 * len(images)
    for pixels in images:
        size = len(pixels)
        xor = bytearray()
        for row in reversed(pixels):
            for r, g, b, a in row:
                xor += bytes((b, g, r, a))
        mask_row = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(pixels):
            bits = bytearray(mask_row)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        info = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        blob = info + bytes(xor) + bytes(mask)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    return struct.pack("<HHH", 0, 1, len(images)) + bytes(entries) + bytes(blobs)


def utf16_text(lines):
    """INI text as the toolkit reads it: UTF-16 little-endian, no byte-order mark, CR LF."""
    return "".join(line + "\r\n" for line in lines).encode("utf-16-le")
