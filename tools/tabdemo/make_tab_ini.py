#!/usr/bin/env python3
"""Writes an Office 2007 image-set INI that carries the tab manager's colours, as a TEXTFILE
resource script: make_tab_ini.py <out-dir> <resource-name>."""
import os
import sys

INI = [
    "; Office 2007 tab colours, blue scheme",
    "[TabManager]",
    "FrameBorder = 59 90 130",
    "LightShadow = 197 210 232",
    "HeaderFaceLight = 227 239 255",
    "HeaderFaceDark = 175 210 255",
    "AutoHideFaceLight = 227 239 255",
    "AutoHideFaceDark = 191 219 255",
    "",
    "[Window]",
    "ButtonFace = 214 232 255",
    "HighlightChecked = 255 226 148",
    "HighlightSelected = 255 238 194",
    "WindowFrame = 101 147 207",
    "",
]


def main(out, name):
    os.makedirs(out, exist_ok=True)
    ini = os.path.join(out, name + ".INI")
    with open(ini, "wb") as f:
        f.write("".join(line + "\r\n" for line in INI).encode("utf-16-le"))
    with open(os.path.join(out, name + ".rc"), "w") as f:
        f.write('%s TEXTFILE "%s"\n' % (name, ini.replace(os.sep, "/")))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
