#!/usr/bin/env python3
"""Writes the INI texts of the test skin library: UTF-16 little-endian without a byte-order
mark, lines ended by CR LF, as skin libraries carry them."""
import sys

out = sys.argv[1]
ini = "[Schema]\r\nName=Kestrin test skin\r\n[Colors]\r\nFrame=0x203040\r\n"
themes = "[File.NormalDarkBlue]\r\n"
with open(out + "/normaldarkblue.ini", "wb") as f:
    f.write(ini.encode("utf-16-le"))
with open(out + "/themes.ini", "wb") as f:
    f.write(themes.encode("utf-16-le"))
