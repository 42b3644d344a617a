#!/usr/bin/env python3
"""Writes a small skin with untidy text, in both forms the skin framework reads.

    make_ragged_skin.py <out-dir>

<out-dir>/ragged.rc is a skin library: the INI text "RAGGED_INI" (UTF-16LE without byte-order
mark) separates its lines with CR LF, a lone CR and a lone LF and ends without a line end; its
style string 5000 is "office 2007 style"; it carries DOT.BMP but not the MISSING.BMP its text
names. <out-dir>/folder holds the same lines as 8-bit text (CR LF each, none after the last)
beside DOT.BMP.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "office2007"))
import imagefiles  # noqa: E402

# (line, what ends it in the library's text); the folder's text ends each with CR LF.
LINES = [
    ("TextColor = 9 9 9", "\r\n"),               # before any section: ignored
    ("[Globals]", "\r\n"),
    ("a line without an equals sign", "\r\n"),
    ("TextColor = 1 2 3", "\r"),                  # a lone CR ends a line
    ("[Button.PushButton]", "\r\n"),
    ("ImageFile = DOT.BMP", "\r\n"),
    ("NoSuchKey = 5", "\n"),                      # a lone LF stays inside the library's line
    ("TextColor = 10 20 30", "\r\n"),
    ("[Button::Other]", "\r\n"),
    ("TextColor = 90 90 90", "\r\n"),
    ("[Button.PushButton(Hot)]", "\r\n"),
    ("ImageFile = MISSING.BMP", "\r\n"),
    ("[Button.CheckBox]", "\r\n"),
    ("CaptionFont = %s, 8, Bold" % ("F" * 300), "\r\n"),
    ("Valign = Sideways", "\r\n"),                # not a value of its enumeration
    ("= 3", "\r\n"),
    ("TextColor = 4 5 6", "\r\n"),
    ("[Button.RadioButton]", "\r\n"),
    ("TextColor = 7 8 9", ""),                    # the last line has no line end
]


def main(out):
    folder = os.path.join(out, "folder")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(out, "RAGGED.INI"), "wb") as f:
        f.write("".join(line + end for line, end in LINES).encode("utf-16-le"))
    with open(os.path.join(folder, "RAGGED.INI"), "wb") as f:
        f.write("\r\n".join(line for line, _ in LINES).encode("ascii"))
    dot = imagefiles.bmp_bytes([[(20, 200, 90, 255)] * 4 for _ in range(4)], 24)
    for path in (os.path.join(out, "DOT.BMP"), os.path.join(folder, "DOT.BMP")):
        with open(path, "wb") as f:
            f.write(dot)
    rc = [
        "LANGUAGE 0x09, 0x01",
        'RAGGED_INI TEXTFILE "%s"' % os.path.join(out, "RAGGED.INI").replace(os.sep, "/"),
        'DOT_BMP BITMAP "%s"' % os.path.join(out, "DOT.BMP").replace(os.sep, "/"),
        'STRINGTABLE\nBEGIN\n  5000 "office 2007 style"\nEND',
    ]
    with open(os.path.join(out, "ragged.rc"), "w") as f:
        f.write("\n".join(rc) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
