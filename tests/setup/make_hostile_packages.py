#!/usr/bin/env python3
"""Writes hostile extension packages (zip archives) and a resource script that carries them.

    make_hostile_packages.py <out-dir>

<out-dir>/hostile_packages.rc names every package as an RCDATA resource of its case name
(upper case). Each package holds one good entry "install.rdf" first and then the entry of its
case, so that a refusal is told apart from a package that cannot be read at all.

Names: entries whose name is too long for the reader's buffer, holds a NUL, leads out of the
target, names a device in some segment, or would be trimmed by the system; and near misses that
must unpack. Sizes: an entry that claims far more bytes than it holds, an entry just above the
per-entry limit that inflates from a few kilobytes, entries that together pass the package
limit, an entry whose stream holds more than it claims.
"""
import os
import struct
import sys
import zlib

ENTRY_LIMIT = 32 << 20     # the per-entry limit of the unpacker
PACKAGE_LIMIT = 128 << 20  # the limit of all entries together


def entry(name, data, method=8, claimed_size=None, claimed_crc=None, utf8=False, raw=None):
    """One entry: name (bytes), data, method 0 stored / 8 deflated, optional lies."""
    if raw is None:
        if method == 8:
            c = zlib.compressobj(9, zlib.DEFLATED, -15)
            raw = c.compress(data) + c.flush()
        else:
            raw = data
    crc = zlib.crc32(data) & 0xFFFFFFFF if claimed_crc is None else claimed_crc
    size = len(data) if claimed_size is None else claimed_size
    return {"name": name, "raw": raw, "method": method, "crc": crc, "size": size,
            "flags": 0x800 if utf8 else 0}


def big_entry(name, size):
    """`size` zero bytes, deflated without building them in memory at once."""
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    chunk = bytes(1 << 20)
    parts, crc, left = [], 0, size
    while left:
        piece = chunk[:min(left, len(chunk))]
        parts.append(c.compress(piece))
        crc = zlib.crc32(piece, crc)
        left -= len(piece)
    parts.append(c.flush())
    return entry(name, b"", raw=b"".join(parts), claimed_size=size, claimed_crc=crc & 0xFFFFFFFF)


def zip_bytes(entries):
    body, directory = b"", b""
    for e in entries:
        offset = len(body)
        body += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, e["flags"], e["method"], 0, 0x21,
                            e["crc"], len(e["raw"]), e["size"] & 0xFFFFFFFF, len(e["name"]), 0)
        body += e["name"] + e["raw"]
        directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, e["flags"], e["method"], 0,
                                 0x21, e["crc"], len(e["raw"]), e["size"] & 0xFFFFFFFF, len(e["name"]),
                                 0, 0, 0, 0, 0x10 if e["name"].endswith(b"/") else 0, offset)
        directory += e["name"]
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries), len(directory),
                      len(body), 0)
    return body + directory + end


GOOD = entry(b"install.rdf", b"<RDF/>")


def named(name, utf8=False):
    return [GOOD, entry(name, b"payload", utf8=utf8)]


CASES = {
    # Names bounded by their stored length.
    "name_261": named(b"a" * 261),
    "name_300_deep": named(b"chrome/" + b"b" * 293),
    "name_max": named(b"c" * 65535),
    "name_nul": named(b"good.txt\0../../escaped.txt"),
    "name_bad_utf8": named(b"bad\xc3(.txt", utf8=True),
    # Out of the target, or names the system would read otherwise.
    "name_parent": named(b"../escaped.txt"),
    "name_parent_deep": named(b"chrome/../../escaped.txt"),
    "name_root": named(b"/escaped.txt"),
    "name_drive": named(b"C:/escaped.txt"),
    "name_unc": named(b"\\\\server\\share\\escaped.txt"),
    "name_stream": named(b"install.rdf:hidden"),
    "name_dot": named(b"chrome/./x.txt"),
    "name_trailing_dot": named(b"chrome./x.txt"),
    "name_trailing_blank": named(b"x.txt "),
    "name_dots_blank": named(b".. /escaped.txt"),
    "name_empty_segment": named(b"chrome//x.txt"),
    "name_wildcard": named(b"x*.txt"),
    "name_control": named(b"x\x01.txt"),
    # Device names in any segment, with or without extension, in any case.
    "device_con": named(b"CON"),
    "device_prn_ext": named(b"prn.txt"),
    "device_aux_folder": named(b"Aux/x.txt"),
    "device_nul_deep": named(b"chrome/content/nul.tar.gz"),
    "device_com1": named(b"COM1"),
    "device_com9_ext": named(b"components/com9.dll"),
    "device_lpt1": named(b"lpt1.jar"),
    "device_lpt9_folder": named(b"LpT9/"),
    "device_blank_ext": named(b"con .txt"),
    "device_superscript": named("com\u00b9.txt".encode("utf-8"), utf8=True),
    "device_conin": named(b"CONIN$"),
    "device_conout_ext": named(b"conout$.log"),
    # Near misses: ordinary names.
    "near_console": named(b"CONSOLE.txt"),
    "near_com10": named(b"com10.txt"),
    "near_lpt0": named(b"LPT0.txt"),
    "near_auxiliary": named(b"auxiliary/nul_/x.txt"),
    "near_dotted": named(b"chrome/content/.hidden"),
    # Sizes.
    "size_claims_huge": [GOOD, entry(b"huge.bin", b"small", method=0, claimed_size=0x7FFFFFF0)],
    "size_bomb": [GOOD, big_entry(b"bomb.bin", ENTRY_LIMIT + 1)],
    "size_total": [GOOD] + [big_entry(b"part%d.bin" % i, 30 << 20) for i in range(5)],
    "size_stream_longer": [GOOD, entry(b"longer.bin", b"x" * 100000, claimed_size=10)],
    "size_at_limit_ok": [GOOD, big_entry(b"fits.bin", 1 << 20)],
}


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    lines = []
    for name, entries in CASES.items():
        path = os.path.join(out, name + ".zip")
        with open(path, "wb") as f:
            f.write(zip_bytes(entries))
        lines.append('%s RCDATA "%s"' % (name.upper(), path.replace("\\", "/")))
    with open(os.path.join(out, "hostile_packages.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
