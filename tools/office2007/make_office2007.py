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


MAGENTA = (0xFF, 0x00, 0xFF)


def on_key(rows):
    """Rows of (r, g, b, a) with alpha 0 turned into the magenta key of 24-bit images."""
    return [[p if p[3] else MAGENTA + (255,) for p in row] for row in rows]


def glyph(size, kind, colour):
    """A caption-button glyph on a transparent ground: x, a bar, a box, or two boxes."""
    rows = [[(0, 0, 0, 0)] * size for _ in range(size)]
    lo, hi = size // 4, size - size // 4 - 1
    for i in range(lo, hi + 1):
        if kind == "CLOSE":
            rows[i][i] = rows[i][size - 1 - i] = colour + (255,)
        elif kind == "MINIMIZE":
            rows[hi][i] = colour + (255,)
        else:
            for edge in (lo, hi):
                rows[edge][i] = rows[i][edge] = colour + (255,)
    if kind == "RESTORE":
        for i in range(lo + 2, hi + 1):
            rows[lo + 2][i - 2] = colour + (255,)
    return rows


def scroll_button(width, height, state, arrow):
    """An in-bar gallery button: normal, gallery hot, hot, pressed, disabled."""
    faces = [(LIGHT, DARK), (LIGHT, DARK), HOT, PRESSED, ((0xEE, 0xF3, 0xFA), (0xE2, 0xEA, 0xF5))]
    top, bottom = faces[state]
    rows = rounded_frame(width, height, top, bottom, BORDER if state < 4 else (0xC5, 0xD2, 0xE3))
    colour = (0x4D, 0x6F, 0x9B) if state < 4 else (0xA0, 0xB0, 0xC8)
    mid_x, mid_y = width // 2, height // 2
    for k in range(3):
        for j in range(-k, k + 1):
            y = mid_y - 1 + k if arrow == "up" else mid_y + 1 - k
            rows[y][mid_x + j] = colour + (255,)
    if arrow == "more":
        for x in range(mid_x - 3, mid_x + 4):
            rows[mid_y - 3][x] = colour + (255,)
    return rows


def frame_corner(left, edge, face, size=4):
    """A frame's lower corner, rounded by two pixels: the edge colour along the outside, the
    face inside, transparent beyond the curve."""
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            dx = x if left else size - 1 - x
            dy = size - 1 - y
            if dx + dy < 2:
                row.append((0, 0, 0, 0))
            elif dx == 0 or dy == 0 or dx + dy == 2:
                row.append(edge + (255,))
            else:
                row.append(face + (255,))
        rows.append(row)
    return rows


def triangle(rows, left, top, size, up, colour):
    """A filled triangle pointing up or down, centred in the size x size cell at (left, top)."""
    mid, height = size // 2, size // 3 + 1
    first = (size - height) // 2
    for k in range(height):
        half = k if up else height - 1 - k
        for j in range(-half, half + 1):
            rows[top + first + k][left + mid + j] = colour + (255,)


def gallery_scroll_images():
    """The scroll bar of a gallery in a drop-down: its track (normal, pressed), the arrow buttons
    (normal, hot, pressed, disabled), their glyphs (those four states in rows, up and down in two
    columns), the thumb and the thumb's grip (normal, hot, pressed). 17 pixels wide, as the
    theme's scroll-bar metrics."""
    width = 17
    images = {}
    for name, face in (("LIGHT", ((0xF3, 0xF7, 0xFC), (0xE3, 0xEC, 0xF7))), ("DARK", ((0xDB, 0xE7, 0xF6), (0xC5, 0xD8, 0xF0)))):
        normal = [[(face[1] if x in (0, width - 1) else face[0]) + (255,) for x in range(width)] for _ in range(16)]
        pressed = [[(lerp(face[1], BORDER, 0.5) if x in (0, width - 1) else face[1]) + (255,) for x in range(width)]
                   for _ in range(16)]
        images["CONTROLGALLERYSCROLLVERTICAL" + name] = stack(normal, pressed)
        border = BORDER if name == "DARK" else lerp(BORDER, (255, 255, 255), 0.3)
        images["CONTROLGALLERYSCROLLARROWSVERTICAL" + name] = on_key(stack(
            rounded_frame(width, 17, face[0], face[1], border),
            rounded_frame(width, 17, HOT[0], HOT[1], (0xDB, 0xCE, 0x99)),
            rounded_frame(width, 17, PRESSED[0], PRESSED[1], (0xC2, 0x9B, 0x56)),
            rounded_frame(width, 17, (0xF4, 0xF6, 0xF9), (0xEA, 0xEE, 0xF3), (0xC5, 0xD2, 0xE3))))
    cell = 9
    glyphs = [[(0, 0, 0, 0)] * (cell * 2) for _ in range(cell * 4)]
    for state, colour in enumerate(((0x4D, 0x6F, 0x9B), (0x2B, 0x4A, 0x78), (0x1E, 0x39, 0x5B), (0xA0, 0xB0, 0xC8))):
        triangle(glyphs, 0, state * cell, cell, True, colour)
        triangle(glyphs, cell, state * cell, cell, False, colour)
    images["CONTROLGALLERYSCROLLARROWGLYPHS"] = on_key(glyphs)
    images["CONTROLGALLERYSCROLLTHUMBVERTICAL"] = on_key(stack(
        rounded_frame(width, 16, (0xE6, 0xEF, 0xFB), (0xC3, 0xD6, 0xF0), BORDER),
        rounded_frame(width, 16, HOT[0], HOT[1], (0xDB, 0xCE, 0x99)),
        rounded_frame(width, 16, PRESSED[0], PRESSED[1], (0xC2, 0x9B, 0x56))))
    grips = []
    for colour in ((0x4D, 0x6F, 0x9B), (0x8A, 0x6A, 0x2A), (0x7A, 0x4A, 0x1A)):
        grip = [[(0, 0, 0, 0)] * 8 for _ in range(8)]
        for y in (1, 3, 5):
            for x in range(1, 7):
                grip[y][x] = colour + (255,)
                grip[y + 1][x] = (255, 255, 255, 255)
        grips.append(grip)
    images["CONTROLGALLERYSCROLLTHUMBGRIPPERVERTICAL"] = on_key(stack(*grips))
    return {name: (name + ".bmp", pixels, "bmp24") for name, pixels in images.items()}


def theme_images():
    images = {
        "WORKSPACETOPLEFT": ("WORKSPACETOPLEFT.bmp", opaque_gradient(40, 24, (0x9F, 0xBE, 0xE6), (0xAB, 0xC5, 0xE6)),
                             "bmp24"),
        "FRAMECAPTIONBUTTON": ("FRAMECAPTIONBUTTON.bmp", on_key(stack(rounded_frame(21, 21, HOT[0], HOT[1], (0xDB, 0xCE, 0x99), 3),
                                                                      rounded_frame(21, 21, PRESSED[0], PRESSED[1], (0xC2, 0x9B, 0x56), 3))),
                               "bmp24"),
    }
    for arrow, name, height in (("up", "CONTROLGALLERYUP", 21), ("down", "CONTROLGALLERYDOWN", 19),
                                ("more", "CONTROLGALLERYPOPUP", 22)):
        images[name] = (name + ".bmp", on_key(stack(*[scroll_button(15, height, s, arrow) for s in range(5)])), "bmp24")
    # The frame's side borders beside a status bar continue its face.
    images["STATUSBARLIGHT"] = ("STATUSBARLIGHT.bmp", opaque_gradient(8, 22, (0xDD, 0xEC, 0xFE), (0xB9, 0xD5, 0xFA)),
                                "bmp24")
    images["STATUSBARDARK"] = ("STATUSBARDARK.bmp", opaque_gradient(8, 22, (0xC7, 0xE0, 0xFF), (0xA3, 0xC3, 0xF5)),
                               "bmp24")
    # The frame's rounded lower corners above a status bar (active, inactive).
    for name, left in (("FRAMEBOTTOMLEFT", True), ("FRAMEBOTTOMRIGHT", False)):
        images[name] = (name + ".bmp", on_key(stack(frame_corner(left, (0x3B, 0x61, 0x9C), (0xA3, 0xC3, 0xF5)),
                                                    frame_corner(left, (0x8B, 0xA0, 0xBC), (0xD7, 0xE4, 0xF2)))),
                        "bmp24")
    for kind in ("CLOSE", "MINIMIZE", "MAXIMIZE", "RESTORE"):
        for size in (13, 17, 23):
            colours = [(0x1E, 0x39, 0x5B), (0x1E, 0x39, 0x5B), (0x15, 0x2A, 0x45), (0x8D, 0xA3, 0xC1), (0x1E, 0x39, 0x5B)]
            name = "FRAMECAPTION%s%d" % (kind, size)
            images[name] = (name + ".bmp", on_key(stack(*[glyph(size, kind, c) for c in colours])), "bmp24")
    images.update(gallery_scroll_images())
    return images


IMAGES = {
    # resource name: (file name, pixels, format)
    "PUSHBUTTON_BMP": ("PUSHBUTTON.bmp", button_states(22, 22), "bmp32"),
    "RIBBONGROUPS_BMP": ("RIBBONGROUPS.bmp", stack(rounded_frame(40, 60, LIGHT, DARK, BORDER, 3),
                                                   rounded_frame(40, 60, (0xEB, 0xF3, 0xFE), (0xC4, 0xDD, 0xFF), BORDER, 3)), "bmp32"),
    "RIBBONSYSTEMMENU_BMP": ("RIBBONSYSTEMMENU.bmp", opaque_gradient(48, 48, (0xE9, 0xF1, 0xFB), (0xC6, 0xD9, 0xF1)), "bmp24"),
    "TOOLBARFACE_BMP": ("TOOLBARFACE.bmp", opaque_gradient(8, 26, LIGHT, DARK), "bmp24"),
    "SCROLLARROWGLYPHS_PNG": ("SCROLLARROWGLYPHS.png", arrow_glyphs(9, (0x4D, 0x6F, 0x9B)), "png"),
}
IMAGES.update(theme_images())

INI = [
    "; Office 2007, blue scheme",
    "[Images]",
    "PushButton=PUSHBUTTON.BMP",
    "ToolbarButtons=TOOLBARBUTTONS22",
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
    "ToolbarFace = 191 219 255",
    "ToolbarFaceShadow = 111 157 217",
    "ToolbarSeparator = 154 198 255",
    "ToolbarGripper = 39 65 118",
    "DockBarFace = 191 219 255",
    "MenuBarText = 21 66 139",
    "MenuPopupBorder = 134 134 134",
    "MenuPopupTearOffGripper = 154 198 255",
    "MenuPopupExpandedGripperLight = 227 239 255",
    "MenuPopupExpandedGripperDark = 175 210 255",
    "ControlHighlightPopupedLight = 255 213 140",
    "ControlHighlightPopupedDark = 255 172 66",
    "ControlToolbarExpandLight = 227 239 255",
    "ControlToolbarExpandDark = 101 147 207",
    "ControlDisabledIcon = 141 141 141",
    "ControlDisabledIconLight = 233 233 233",
    "ControlDisabledIconDark = 160 160 160",
    "ControlLabel = 221 231 238",
    "ControlEditBorder = 171 193 222",
    "FloatingBarGripper = 101 147 207",
    "FloatingBarGripperText = 255 255 255",
    "FloatingBarBorder = 101 147 207",
    "",
    "[Ribbon]",
    "RecentFileListEdgeShadow = 197 197 197",
    "RecentFileListEdgeHighLight = 245 245 245",
    "RecentFileListBackground = 233 234 238",
    "GroupCaptionText = 62 106 170",
    "TabNormalText = 21 66 139",
    "",
    "[Window]",
    "WindowFrame = 59 90 130",
    "ButtonFace = 191 219 255",
    "HighlightSelected = 255 231 162",
    "HighlightSelectedBorder = 255 189 105",
    "HighlightSelectedLight = 255 245 204",
    "HighlightSelectedDark = 255 219 117",
    "HighlightPressed = 251 140 60",
    "HighlightPressedBorder = 251 140 60",
    "HighlightPressedLight = 248 181 108",
    "HighlightPressedDark = 251 140 60",
    "HighlightChecked = 255 171 63",
    "HighlightCheckedBorder = 251 140 60",
    "HighlightCheckedLight = 252 217 158",
    "HighlightCheckedDark = 252 177 77",
    "BorderActive0 = 59 90 130",
    "BorderActive1 = 192 211 235",
    "BorderActive2 = 169 195 228",
    "BorderActive3 = 194 217 247",
    "BorderInactive0 = 192 192 192",
    "BorderInactive1 = 231 238 247",
    "BorderInactive2 = 220 228 240",
    "BorderInactive3 = 227 234 245",
    "CaptionTextActive = 62 106 170",
    "CaptionTextInActive = 112 112 112",
    "CaptionTextActiveTitle = 105 112 121",
    "TooltipLight = 255 255 255",
    "TooltipDark = 201 217 239",
    "TooltipBorder = 118 118 118",
    "",
    "[StatusBar]",
    "StatusBarText = 21 66 139",
    "StatusBarShadow = 86 125 176",
    "StatusBarFaceTopLight = 221 236 254",
    "StatusBarFaceTopDark = 199 224 255",
    "StatusBarFaceBottomLight = 185 213 250",
    "StatusBarFaceBottomDark = 214 232 255",
    "",
    "[Workspace]",
    "AppWorkspace = 144 153 174",
    "WorkspaceClientTop = 171 197 230",
    "WorkspaceClientMiddle = 191 219 255",
    "WorkspaceClientBottom = 191 219 255",
    "",
]


def main(out):
    import ribbon_images  # the ribbon's images and colours; it draws with the helpers above
    IMAGES.update(ribbon_images.images())
    ribbon_images.add_colours(INI)
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
