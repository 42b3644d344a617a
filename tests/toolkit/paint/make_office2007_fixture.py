#!/usr/bin/env python3
"""Writes the Office 2007 theme tests' resources into the given folder, with office2007_fixture.rc.

FULL_INI      every colour key the theme reads, each a colour of its own (see COLOURS)
PARTIAL_INI   the same less the keys in MISSING
Bitmaps       each part one solid colour (see PARTS), so a pixel tells which part was drawn
"""
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "..", "..", "tools", "office2007"))
import imagefiles  # noqa: E402

COLOURS = {
    "StatusBar": {
        "StatusBarText": (10, 20, 30), "StatusBarShadow": (11, 21, 131),
        "StatusBarFaceTopLight": (200, 210, 220), "StatusBarFaceTopDark": (190, 200, 210),
        "StatusBarFaceBottomLight": (150, 160, 170), "StatusBarFaceBottomDark": (140, 150, 160),
    },
    "Toolbar": {
        "DockBarFace": (101, 111, 121), "ToolbarFaceLight": (230, 240, 250), "ToolbarFaceDark": (130, 140, 150),
        "ToolbarFaceShadow": (77, 88, 99), "ControlToolbarExpandLight": (1, 2, 203),
        "ControlToolbarExpandDark": (4, 5, 206), "ControlHighlightPopupedLight": (33, 66, 199),
        "ControlHighlightPopupedDark": (33, 66, 199), "MenuPopupExpandedGripperLight": (7, 8, 209),
        "MenuPopupExpandedGripperDark": (10, 11, 212), "MenuPopupTearOffGripper": (13, 14, 215),
        "MenuBarText": (16, 17, 218), "MenuPopupBorder": (19, 20, 221), "ToolbarGripper": (22, 23, 224),
        "FloatingBarGripper": (25, 26, 227), "FloatingBarGripperText": (28, 29, 230),
        "FloatingBarBorder": (31, 32, 233), "ToolbarFace": (34, 35, 236), "ToolbarSeparator": (37, 38, 239),
        "ControlDisabledIcon": (40, 41, 242), "ControlLabel": (43, 44, 245), "ControlEditBorder": (46, 47, 248),
        "ControlDisabledIconLight": (49, 50, 251), "ControlDisabledIconDark": (52, 53, 254),
        "ControlGallerySelected": (240, 200, 100), "ControlGalleryNormal": (250, 251, 252),
        "ControlGalleryBorder": (60, 70, 80),
    },
    "Window": {
        "WindowFrame": (55, 56, 157), "ButtonFace": (58, 59, 160), "HighlightSelected": (61, 62, 163),
        "HighlightSelectedBorder": (64, 65, 166), "HighlightPressed": (67, 68, 169),
        "HighlightPressedBorder": (70, 71, 172), "HighlightChecked": (73, 74, 175),
        "HighlightCheckedBorder": (76, 77, 178), "HighlightSelectedLight": (79, 80, 181),
        "HighlightSelectedDark": (79, 80, 181), "HighlightCheckedLight": (82, 83, 184),
        "HighlightCheckedDark": (82, 83, 184), "HighlightPressedLight": (85, 86, 187),
        "HighlightPressedDark": (85, 86, 187),
        "BorderActive0": (88, 89, 190), "BorderActive1": (91, 92, 193), "BorderActive2": (94, 95, 196),
        "BorderActive3": (97, 98, 199), "BorderInactive0": (100, 101, 202), "BorderInactive1": (103, 104, 205),
        "BorderInactive2": (106, 107, 208), "BorderInactive3": (109, 110, 211),
        "CaptionTextActive": (112, 113, 214), "CaptionTextInActive": (115, 116, 217),
        "CaptionTextActiveTitle": (118, 119, 220),
    },
    "Workspace": {
        "AppWorkspace": (121, 122, 223), "WorkspaceClientTop": (124, 125, 226),
        "WorkspaceClientMiddle": (127, 128, 229), "WorkspaceClientBottom": (130, 131, 232),
    },
}
MISSING = {"ToolbarFace", "MenuBarText", "StatusBarShadow", "WorkspaceClientTop", "ControlGalleryNormal",
           "HighlightSelectedBorder"}

# name: (width, part height, colours of the parts top to bottom)
PARTS = {
    "CONTROLGALLERYUP": (15, 21, [(200, 0, 0), (200, 50, 0), (200, 100, 0), (200, 150, 0), (200, 200, 0)]),
    "CONTROLGALLERYDOWN": (15, 19, [(0, 200, 0), (50, 200, 0), (100, 200, 0), (150, 200, 0), (200, 200, 50)]),
    "CONTROLGALLERYPOPUP": (15, 20, [(0, 0, 200), (0, 50, 200), (0, 100, 200), (0, 150, 200), (0, 200, 200)]),
    "WORKSPACETOPLEFT": (10, 8, [(5, 105, 205)]),
    "FRAMECAPTIONBUTTON": (20, 20, [(180, 90, 10), (90, 180, 10)]),
    "FRAMECAPTIONCLOSE13": (13, 13, [(1, 1, 1), (2, 2, 2), (3, 3, 3), (4, 4, 4), (5, 5, 5)]),
    "FRAMECAPTIONRESTORE17": (17, 17, [(11, 11, 11), (12, 12, 12), (13, 13, 13), (14, 14, 14), (15, 15, 15)]),
    "STATUSBARLIGHT": (8, 10, [(210, 60, 60)]),
    "STATUSBARDARK": (8, 10, [(60, 60, 210)]),
    "FRAMEBOTTOMLEFT": (4, 4, [(20, 200, 20), (20, 120, 20)]),
    "FRAMEBOTTOMRIGHT": (4, 4, [(150, 20, 150), (100, 20, 100)]),
    # The scroll bar of a gallery without a drop-down: track (normal, pressed), arrows and thumb
    # by state, the glyphs by state with the up arrow's column (left) apart from the down's.
    "CONTROLGALLERYSCROLLVERTICALLIGHT": (17, 10, [(230, 230, 10), (230, 230, 20)]),
    "CONTROLGALLERYSCROLLVERTICALDARK": (17, 10, [(130, 130, 10), (130, 130, 20)]),
    "CONTROLGALLERYSCROLLARROWSVERTICALLIGHT": (17, 17, [(10, 230, 230), (20, 230, 230), (30, 230, 230), (40, 230, 230)]),
    "CONTROLGALLERYSCROLLARROWSVERTICALDARK": (17, 17, [(10, 130, 130), (20, 130, 130), (30, 130, 130), (40, 130, 130)]),
    "CONTROLGALLERYSCROLLARROWGLYPHS": (10, 5, [((60, 1, 1), (60, 2, 2)), ((61, 1, 1), (61, 2, 2)),
                                                ((62, 1, 1), (62, 2, 2)), ((63, 1, 1), (63, 2, 2))]),
    "CONTROLGALLERYSCROLLTHUMBVERTICAL": (17, 10, [(230, 10, 230), (230, 20, 230), (230, 30, 230)]),
    "CONTROLGALLERYSCROLLTHUMBGRIPPERVERTICAL": (6, 4, [(90, 9, 9), (90, 19, 19), (90, 29, 29)]),
}


def ini(skip):
    lines = ["; theme test colours"]
    for section, keys in COLOURS.items():
        lines.append("[%s]" % section)
        for key, (r, g, b) in keys.items():
            if key not in skip:
                lines.append("%s = %d %d %d" % (key, r, g, b))
        lines.append("")
    return lines


def main(out):
    os.makedirs(out, exist_ok=True)
    rc = ["LANGUAGE 0x09, 0x01"]
    for name, skip in (("FULL", set()), ("PARTIAL", MISSING)):
        path = os.path.join(out, name + ".INI")
        with open(path, "wb") as f:
            f.write(imagefiles.utf16_text(ini(skip)))
        rc.append('%s_INI TEXTFILE "%s"' % (name, path.replace(os.sep, "/")))
    for name, (width, height, colours) in PARTS.items():
        path = os.path.join(out, name + ".bmp")
        with open(path, "wb") as f:
            f.write(imagefiles.bmp_bytes(imagefiles.strips(colours, width, height), 24))
        rc.append('%s BITMAP "%s"' % (name, path.replace(os.sep, "/")))
    with open(os.path.join(out, "office2007_fixture.rc"), "w") as f:
        f.write("\n".join(rc) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
