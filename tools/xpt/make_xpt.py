#!/usr/bin/env python3
"""Writes the component's XPCOM type library from the project's own interface list.

    make_xpt.py <out.xpt>

There is no interface compiler on this machine: the interfaces below are the component's own
(gecko/kestrin_interfaces.h) and this tool writes their type library directly.

Format written (typelib version 1.2, all numbers big-endian):
  header     magic "XPCOM\\nTypeLib\\r\\n\\x1a", major 1, minor 2, u16 interface count,
             u32 file length, u32 one-based offset of the interface directory (the header's
             size + 1), u32 zero-based file position of the data pool's first byte (the header's
             size + 28 per entry), then one empty annotation (a single byte 0x80: last, no data).
             Offsets into the data pool are one-based: offset n is byte data_pool + n - 1.
  directory  one 28-byte entry per interface, sorted by IID as the interface compiler sorts
             them: the IID (u32, u16, u16, 8 bytes), u32 name and u32 namespace (data-pool
             offsets, 0 for none), u32 data-pool offset of the interface's descriptor (0 for an
             interface only referred to). There is no other field.
  data pool  NUL-terminated names, then per described interface: u16 parent (directory index,
             1-based), u16 method count, the methods, u16 constant count (0), u8 flags (none of
             these interfaces is scriptable: 0).
  method     u8 flags (0), u32 name offset, u8 argument count, the arguments, the result (u8 0,
             type uint32: the method's nsresult).
  argument   u8 flags (0x80 in, 0x40 out), then the type: u8 (0x80 pointer | tag); tag 18
             (interface) is followed by the u16 directory index of the interface.
Tags used: 6 uint32, 13 void (with the pointer flag: void*), 16 string (char*), 17 wstring.
"""
import struct
import sys

# name, IID, parent, methods [(name, [(direction, type)])]; type: an interface name, or
# "void*", "string", "wstring". Interfaces without methods (None) are only referred to.
INTERFACES = [
    ("IKestrin", "00C78B54-0A28-42E8-A279-BD23F486D836", "nsISupports", [
        ("init", [("in", "nsISupports"), ("in", "nsISupports"), ("in", "nsISupports"), ("in", "IKestrinWrapper")]),
        ("onNavigateComplete", [("in", "wstring"), ("in", "nsIRequest")]),
    ]),
    ("IKestrinWrapper", "DE0BB922-9D1B-46E2-BDB5-DE75100B3B89", "nsISupports", [
        ("getPadlockBox", [("in", "void*"), ("out", "nsISupports")]),
        ("getEVElement", [("in", "void*"), ("out", "nsISupports")]),
        ("getToolbarElement", [("in", "void*"), ("out", "nsISupports")]),
    ]),
    ("nsICertDownloader", "5613C613-3360-4F4E-8319-4785EF4367C7", "nsISupports", [
        ("getCert", [("in", "string"), ("in", "nsICertWaiter")]),
    ]),
    ("nsICertWaiter", "A1AE5372-9410-496B-B733-6B5FA42A5173", "nsISupports", [
        ("onCertDownloadComplete", [("in", "nsISupports")]),
    ]),
    ("nsIRequest", "EF6BFBD2-FD46-48D8-96B7-9F8F0FD387FE", None, None),
    ("nsISupports", "00000000-0000-0000-C000-000000000046", None, None),
]

MAGIC = b"XPCOM\nTypeLib\r\n\x1a"
HEADER_SIZE = 16 + 2 + 2 + 4 + 4 + 4 + 1
ENTRY_SIZE = 28
TAG_UINT32, TAG_VOID, TAG_STRING, TAG_WSTRING, TAG_INTERFACE = 6, 13, 16, 17, 18
PTR = 0x80
IN, OUT = 0x80, 0x40


def iid_bytes(text):
    parts = text.split("-")
    rest = bytes.fromhex(parts[3] + parts[4])
    return struct.pack(">IHH", int(parts[0], 16), int(parts[1], 16), int(parts[2], 16)) + rest


def build():
    entries = sorted(INTERFACES, key=lambda e: iid_bytes(e[1]))
    index = {e[0]: i + 1 for i, e in enumerate(entries)}
    pool = bytearray()

    def string(text):
        offset = len(pool) + 1
        pool.extend(text.encode("ascii") + b"\0")
        return offset

    def type_of(name):
        if name == "void*":
            return bytes([PTR | TAG_VOID])
        if name == "string":
            return bytes([PTR | TAG_STRING])
        if name == "wstring":
            return bytes([PTR | TAG_WSTRING])
        return bytes([PTR | TAG_INTERFACE]) + struct.pack(">H", index[name])

    names = {e[0]: string(e[0]) for e in entries}
    method_names = {}
    for e in entries:
        for m in e[3] or []:
            method_names[(e[0], m[0])] = string(m[0])
    descriptors = {}
    for e in entries:
        if e[3] is None:
            continue
        descriptors[e[0]] = len(pool) + 1
        pool.extend(struct.pack(">HH", index[e[2]], len(e[3])))
        for m in e[3]:
            pool.extend(struct.pack(">BIB", 0, method_names[(e[0], m[0])], len(m[1])))
            for direction, kind in m[1]:
                pool.append(IN if direction == "in" else OUT)
                pool.extend(type_of(kind))
            pool.extend(bytes([0, TAG_UINT32]))
        pool.extend(struct.pack(">HB", 0, 0))

    directory_offset = HEADER_SIZE + 1
    pool_offset = HEADER_SIZE + ENTRY_SIZE * len(entries)
    directory = bytearray()
    for e in entries:
        directory.extend(iid_bytes(e[1]))
        directory.extend(struct.pack(">III", names[e[0]], 0, descriptors.get(e[0], 0)))
    assert len(directory) == ENTRY_SIZE * len(entries)
    length = HEADER_SIZE + len(directory) + len(pool)
    header = MAGIC + struct.pack(">BBHIII", 1, 2, len(entries), length, directory_offset, pool_offset) + b"\x80"
    assert len(header) == HEADER_SIZE
    return bytes(header + directory + pool)


if __name__ == "__main__":
    data = build()
    with open(sys.argv[1], "wb") as out:
        out.write(data)
