#!/usr/bin/env python3
"""Writes the ribbon control tests' image set as a resource script: an INI with the "Ribbon"
colours they read, and solid-coloured strips, one colour per state, state s of image k being
(5 + 8 * k, 20 * s, 170); images drawn with magenta as their transparent colour keep magenta
corners. make_ribbon_control_images.py <out-dir>.

ribbon_theme_controls_test.cpp expects the same colours and image order."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..", "tools", "office2007"))
import imagefiles  # noqa: E402

# (name, states, strip width, strip height, magenta corners), numbered k in this order.
IMAGES = [
    ("TOOLBARBUTTONS22", 4, 22, 22, False),
    ("TOOLBARBUTTONS50", 4, 50, 50, False),
    ("TOOLBARBUTTONSSPECIALSINGLE", 5, 22, 22, True),
    ("TOOLBARBUTTONSSPECIALLEFT", 5, 22, 22, True),
    ("TOOLBARBUTTONSSPECIALRIGHT", 5, 22, 22, True),
    ("TOOLBARBUTTONSSPECIALCENTER", 5, 22, 22, True),
    ("TOOLBARBUTTONSSPECIALSPLITLEFT", 5, 22, 22, True),
    ("TOOLBARBUTTONSSPECIALSPLITCENTER", 5, 22, 22, True),
    ("TOOLBARBUTTONSSPECIALSPLITDROPDOWNRIGHT", 5, 12, 22, True),
    ("TOOLBARBUTTONSSPECIALSPLITDROPDOWNCENTER", 5, 12, 22, True),
    ("TOOLBARBUTTONSSPLIT22", 4, 22, 22, True),
    ("TOOLBARBUTTONSSPLIT50", 4, 50, 50, True),
    ("TOOLBARBUTTONSSPLITDROPDOWN22", 4, 12, 22, True),
    ("TOOLBARBUTTONSSPLITDROPDOWN50", 4, 50, 16, True),
    ("TOOLBARBUTTONCHECKBOX", 12, 13, 13, False),
    ("TOOLBARBUTTONRADIOBUTTON", 8, 13, 13, False),
    ("TOOLBARBUTTONDROPDOWNGLYPH", 4, 5, 4, False),
    ("TOOLBARBUTTONSCOMBODROPDOWN", 5, 14, 20, True),
    ("TOOLBARBUTTONSPIN", 10, 17, 10, True),
    ("MENUCHECKEDITEM", 2, 24, 22, False),
    ("MENUSELECTEDITEM22", 1, 30, 22, False),
    ("MENUSELECTEDITEM54", 1, 30, 54, False),
    ("MENUSELECTEDDISABLEDITEM22", 1, 30, 22, False),
    ("MENUSELECTEDDISABLEDITEM54", 1, 30, 54, False),
    ("MENUSPLITDROPDOWN", 3, 20, 22, True),
    ("MENUPOPUPGLYPH", 2, 4, 7, False),
    ("STATUSBARLIGHT", 1, 10, 22, False),
    ("STATUSBARDEVIDER", 1, 3, 22, False),
    ("STATUSBARDARK", 1, 10, 22, False),
    ("STATUSBARGRIPPER", 1, 6, 5, True),
]


INI = [
    "[Ribbon]",
    "RibbonFace = 191 219 255",
    "TabSelectedText = 12 34 56",
    "MenuPopupText = 11 22 33",
    "ControlHighlightText = 44 55 66",
    # Low enough to be mistaken for an entry of the colour table.
    "ControlEditNormal = 40 0 0",
    "",
]


def colour(k, s):
    return (5 + 8 * k, 20 * s, 170)


def main(out):
    os.makedirs(out, exist_ok=True)
    ini = os.path.join(out, "RIBBON_LOOK.INI")
    with open(ini, "wb") as f:
        f.write(imagefiles.utf16_text(INI))
    lines = ['RIBBON_LOOK_INI TEXTFILE "%s"' % ini.replace(os.sep, "/")]
    for k, (name, states, w, h, cut) in enumerate(IMAGES):
        path = os.path.join(out, name + ".bmp")
        with open(path, "wb") as f:
            f.write(imagefiles.bmp_bytes(imagefiles.strips([colour(k, s) for s in range(states)], w, h, cut), 24))
        lines.append('%s BITMAP "%s"' % (name, path.replace(os.sep, "/")))
    with open(os.path.join(out, "ribbon_control_images.rc"), "w") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
