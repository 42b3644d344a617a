#!/usr/bin/env python3
"""Writes the ribbon tests' image set: an INI with the "Ribbon" colours and solid-coloured
images, one colour per state, as a resource script: make_ribbon_images.py <out-dir>.

ribbon_theme_test.cpp expects the same colours."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "office2007"))
import imagefiles  # noqa: E402

NAMES = ["BLUE", "YELLOW", "GREEN", "RED", "PURPLE", "CYAN", "ORANGE"]
MAGENTA = imagefiles.MAGENTA
STATE_H = 20
WIDTH = 20


def strips(colours, cut_corners=False):
    return imagefiles.strips(colours, WIDTH, STATE_H, cut_corners)


def images():
    out = {"RIBBONTAB": strips([(200, 30 * s, 60) for s in range(6)], cut_corners=True),
           "RIBBONGROUPS": strips([(180, 180, 40)])}
    for i, name in enumerate(NAMES):
        c = i + 1
        out["CONTEXTTAB" + name] = strips([(30 * c, 20 + 40 * s, 250 - 20 * c) for s in range(5)])
        out["CONTEXTTAB" + name + "HEADER"] = strips([(30 * c, 200, 100)])
        out["CONTEXTTAB" + name + "CLIENT"] = strips([(30 * c, 100, 200)])
        out["CONTEXTTAB" + name + "GROUPBUTTON"] = strips([(30 * c, 150 + 30 * s, 10) for s in range(3)])
    # Collapsed groups, the quick-access bar and popup frames: state s of image k is
    # ((10 + 20 * k) % 256, 40 * s, 90). Keyed images keep magenta corners.
    for k, (name, states, cut) in enumerate(STATE_IMAGES):
        out[name] = strips([state_colour(k, s) for s in range(states)], cut_corners=cut)
    out["RIBBONGROUPBUTTONICON"] = imagefiles.strips([(5, 5, 5)], 12, 10)
    # The group-scroll glyphs: 4 x 6, one colour each.
    out["RIBBONGROUPSSCROLLLEFTGLYPH"] = imagefiles.strips([(1, 2, 250)], 4, 6)
    out["RIBBONGROUPSSCROLLRIGHTGLYPH"] = imagefiles.strips([(250, 2, 1)], 4, 6)
    out.update(frame_images())
    return out


def glyph(size, colours):
    """States of a size x size glyph: a solid square of the state's colour on magenta, with a
    one-pixel magenta edge."""
    rows = []
    for c in colours:
        for y in range(size):
            edge = y == 0 or y == size - 1
            rows.append([(MAGENTA if edge or x in (0, size - 1) else c) + (255,) for x in range(size)])
    return rows


def frame_images():
    """The caption band, caption buttons, system button and system menu (ribbon_frame_test.cpp
    expects the same colours)."""
    out = {
        # active, inactive
        "FRAMETOPLEFT": imagefiles.strips([(10, 20, 200), (10, 20, 100)], 8, 30),
        "FRAMETOPCENTER": imagefiles.strips([(10, 200, 20), (10, 100, 20)], 20, 30),
        "FRAMETOPRIGHT": imagefiles.strips([(200, 20, 10), (100, 20, 10)], 8, 30),
        # hot, hot and pressed
        "FRAMECAPTIONBUTTON": imagefiles.strips([(250, 220, 120), (240, 160, 60)], 21, 21),
        # normal, selected, popup open
        "FRAMESYSTEMBUTTON": glyph(38, [(90, 0, 0), (90, 90, 0), (90, 0, 90)]),
        "FRAMESYSTEMBUTTON52": glyph(52, [(0, 90, 0), (0, 90, 90), (0, 0, 90)]),
        "RIBBONSYSTEMMENU": imagefiles.strips([(225, 235, 250)], 48, 48),
        "RIBBONSYSTEMMENUBUTTON": glyph(22, [(200, 200, 210), (250, 210, 110)]),
    }
    kinds = {"CLOSE": 1, "MINIMIZE": 2, "MAXIMIZE": 3, "RESTORE": 4}
    for kind, k in kinds.items():
        for size in (13, 17, 23):
            # normal, hot, pressed, disabled (inactive), and a spare
            out["FRAMECAPTION%s%d" % (kind, size)] = glyph(size, [(k * 40, 10 * s, 60) for s in range(5)])
    return out


# (name, states, magenta corners), in the order ribbon_theme_test.cpp numbers them.
STATE_IMAGES = [
    ("RIBBONGROUPBUTTON", 3, False),
    ("RIBBONGROUPQUICKACCESS", 3, True),
    ("RIBBONQUICKACCESSBUTTON", 4, True),
    ("RIBBONQUICKACCESSMORE", 4, True),
    ("RIBBONOPTIONBUTTON", 4, True),
    ("RIBBONQUICKACCESSAREA", 1, False),
    ("RIBBONQUICKACCESSAREADWM", 1, False),
    ("RIBBONQUICKACCESSFRAME", 1, False),
    ("POPUPBARFRAME", 1, False),
    ("RIBBONTABSEPARATOR", 1, False),
    ("CONTEXTTABSEPARATOR", 1, False),
    ("RIBBONGROUPCLIENT", 2, False),
    ("RIBBONGROUPCAPTION", 2, False),
    ("CONTEXTTABGROUPCLIENT", 2, False),
    ("CONTEXTTABGROUPCAPTION", 2, False),
    ("RIBBONGROUPSSCROLLLEFT", 3, True),
    ("RIBBONGROUPSSCROLLRIGHT", 3, True),
]


def state_colour(k, s):
    return ((10 + 20 * k) % 256, 40 * s, 90)


INI = [
    "[Ribbon]",
    "RibbonFace = 191 219 255",
    "MinimizedFrameEdgeShadow = 10 20 30",
    "MinimizedFrameEdgeHighLight = 40 50 60",
    "RibbonText = 70 80 90",
    "ControlEditNormal = 100 110 120",
    "RecentFileListBackground = 233 234 238",
    "RecentFileListEdgeShadow = 197 197 197",
    "RecentFileListEdgeHighLight = 245 245 245",
    "",
    "[Window]",
    "TooltipLight = 250 250 250",
    "TooltipDark = 150 150 250",
    "TooltipBorder = 20 40 60",
    "CaptionTextActive = 20 30 40",
    "CaptionTextInActive = 120 130 140",
    "",
]


def main(out):
    os.makedirs(out, exist_ok=True)
    ini = os.path.join(out, "RIBBON_TEST.INI")
    with open(ini, "wb") as f:
        f.write(imagefiles.utf16_text(INI))
    lines = ['RIBBON_TEST_INI TEXTFILE "%s"' % ini.replace(os.sep, "/")]
    for name, pixels in images().items():
        path = os.path.join(out, name + ".bmp")
        with open(path, "wb") as f:
            f.write(imagefiles.bmp_bytes(pixels, 24))
        lines.append('%s BITMAP "%s"' % (name, path.replace(os.sep, "/")))
    with open(os.path.join(out, "ribbon_images.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
