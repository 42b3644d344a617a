#!/usr/bin/env python3
"""Draws the Office 2007 image set of the toolkit and writes its resource script.

    make_office2007.py <out-dir>

Writes office2007.rc with the INI text (a "TEXTFILE" resource, OFFICE2007BLUE_INI) and the
bitmaps it names, all drawn here: gradients, rounded frames and glyphs in the blue scheme.
"""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import imagefiles  # noqa: E402

BORDER = (0x8D, 0xB2, 0xE3)
LIGHT = (0xE3, 0xEF, 0xFF)
DARK = (0xAF, 0xD2, 0xFF)
HOT = ((0xFF, 0xF5, 0xCC), (0xFF, 0xD8, 0x6B))
PRESSED = ((0xF8, 0xB5, 0x6C), (0xFB, 0x8C, 0x3C))
CHECKED = ((0xFC, 0xD9, 0x9E), (0xFC, 0xB1, 0x4D))


def lerp(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def rounded_frame(width, height, top, bottom, border, radius=2):
    """A vertical gradient inside a 1-pixel border with cut corners (alpha 0 outside)."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            dx = min(x, width - 1 - x)
            dy = min(y, height - 1 - y)
            if dx + dy < radius - 1:
                row.append((0, 0, 0, 0))
            elif dx == 0 or dy == 0 or dx + dy == radius - 1:
                row.append(border + (255,))
            else:
                row.append(lerp(top, bottom, y / max(height - 1, 1)) + (255,))
        rows.append(row)
    return rows


def stack(*states):
    """States one below the other, as the image set keeps them."""
    rows = []
    for s in states:
        rows += s
    return rows


def button_states(width, height):
    return stack(rounded_frame(width, height, (0, 0, 0), (0, 0, 0), (0, 0, 0)),
                 rounded_frame(width, height, HOT[0], HOT[1], (0xDB, 0xCE, 0x99)),
                 rounded_frame(width, height, PRESSED[0], PRESSED[1], (0xC2, 0x9B, 0x56)),
                 rounded_frame(width, height, CHECKED[0], CHECKED[1], (0xC2, 0x9B, 0x56)))


def opaque_gradient(width, height, top, bottom):
    return [[lerp(top, bottom, y / max(height - 1, 1)) + (255,) for _ in range(width)] for y in range(height)]


def arrow_glyphs(size, color):
    """Four arrows (up, down, left, right) side by side on a transparent ground."""
    rows = [[(0, 0, 0, 0)] * (size * 4) for _ in range(size)]
    mid = size // 2
    for i, direction in enumerate("udlr"):
        for k in range(size // 3):
            for j in range(-k, k + 1):
                if direction == "u":
                    x, y = mid + j, size // 3 + k
                elif direction == "d":
                    x, y = mid + j, 2 * size // 3 - k
                elif direction == "l":
                    x, y = size // 3 + k, mid + j
                else:
                    x, y = 2 * size // 3 - k, mid + j
                rows[y][i * size + x] = color + (255,)
    return rows


IMAGES = {
    # resource name: (file name, pixels, format)
    "PUSHBUTTON_BMP": ("PUSHBUTTON.bmp", button_states(22, 22), "bmp32"),
    "TOOLBARBUTTONS22_BMP": ("TOOLBARBUTTONS22.bmp", button_states(22, 22), "bmp32"),
    "RIBBONGROUPS_BMP": ("RIBBONGROUPS.bmp", stack(rounded_frame(40, 60, LIGHT, DARK, BORDER, 3),
                                                   rounded_frame(40, 60, (0xEB, 0xF3, 0xFE), (0xC4, 0xDD, 0xFF), BORDER, 3)), "bmp32"),
    "RIBBONSYSTEMMENU_BMP": ("RIBBONSYSTEMMENU.bmp", opaque_gradient(48, 48, (0xE9, 0xF1, 0xFB), (0xC6, 0xD9, 0xF1)), "bmp24"),
    "TOOLBARFACE_BMP": ("TOOLBARFACE.bmp", opaque_gradient(8, 26, LIGHT, DARK), "bmp24"),
    "SCROLLARROWGLYPHS_PNG": ("SCROLLARROWGLYPHS.png", arrow_glyphs(9, (0x4D, 0x6F, 0x9B)), "png"),
}

INI = [
    "; Office 2007, blue scheme",
    "[Images]",
    "PushButton=PUSHBUTTON.BMP",
    "ToolbarButtons=TOOLBARBUTTONS22.BMP",
    "RibbonGroups=RIBBONGROUPS.BMP",
    "RibbonSystemMenu=RIBBONSYSTEMMENU.BMP",
    "ToolbarFace=TOOLBARFACE.BMP",
    "ScrollArrowGlyphs=SCROLLARROWGLYPHS.PNG",
    "",
    "[Toolbar]",
    "ControlGallerySelected = 255 226 148",
    "ControlGalleryNormal = 255 255 255",
    "ControlGalleryBorder = 141 178 227",
    "ToolbarFaceLight = 227 239 255",
    "ToolbarFaceDark = 175 210 255",
    "",
    "[Ribbon]",
    "RecentFileListEdgeShadow = 197 197 197",
    "RecentFileListEdgeHighLight = 245 245 245",
    "RecentFileListBackground = 233 234 238",
    "GroupCaptionText = 62 106 170",
    "TabNormalText = 21 66 139",
    "",
    "[Window]",
    "TooltipLight = 255 255 255",
    "TooltipDark = 201 217 239",
    "TooltipBorder = 118 118 118",
    "",
]


def main(out):
    os.makedirs(out, exist_ok=True)
    ini = os.path.join(out, "OFFICE2007BLUE.INI").replace(os.sep, "/")
    lines = ["LANGUAGE 0x09, 0x01", 'OFFICE2007BLUE_INI TEXTFILE "%s"' % ini]
    with open(os.path.join(out, "OFFICE2007BLUE.INI"), "wb") as f:
        f.write(imagefiles.utf16_text(INI))
    for name, (file_name, pixels, kind) in IMAGES.items():
        path = os.path.join(out, file_name)
        with open(path, "wb") as f:
            if kind == "png":
                f.write(imagefiles.png_bytes(pixels))
            else:
                f.write(imagefiles.bmp_bytes(pixels, 32 if kind == "bmp32" else 24))
        lines.append('%s %s "%s"' % (name, "PNG" if kind == "png" else "BITMAP", path.replace(os.sep, "/")))
    with open(os.path.join(out, "office2007.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
