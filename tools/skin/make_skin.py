#!/usr/bin/env python3
"""Draws the project's skin and writes it in both forms the skin framework reads.

    make_skin.py <out-dir>

Writes <out-dir>/skin.rc (a skin library: UTF-16LE INI texts "NORMALBLUE_INI" and
"NORMALDARKBLUE_INI" without byte-order mark, the index "THEMES_INI", the style string 5000 and the bitmaps) and <out-dir>/folder (the
same skin as a folder: the INI as 8-bit text beside the bitmap files).
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "office2007"))
import imagefiles  # noqa: E402

FACE = (214, 228, 245)
DARK_FACE = (150, 170, 200)
WINDOW = (250, 252, 255)
BORDER = (60, 90, 140)
STATES = [(214, 228, 245), (255, 236, 170), (240, 180, 90), (200, 200, 200), (180, 210, 250)]


def solid(width, height, color):
    return [[color + (255,)] * width for _ in range(height)]


def framed(width, height, border, fill):
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            edge = x == 0 or y == 0 or x == width - 1 or y == height - 1
            row.append((border if edge else fill) + (255,))
        rows.append(row)
    return rows


def nine_grid():
    """12 x 12: 3-pixel corners red, green, blue, yellow; edges grey; centre white."""
    corner = {(0, 0): (255, 0, 0), (1, 0): (0, 255, 0), (0, 1): (0, 0, 255), (1, 1): (255, 255, 0)}
    rows = []
    for y in range(12):
        row = []
        for x in range(12):
            cx = 0 if x < 3 else 1 if x >= 9 else None
            cy = 0 if y < 3 else 1 if y >= 9 else None
            if cx is not None and cy is not None:
                row.append(corner[(cx, cy)] + (255,))
            elif cx is None and cy is None:
                row.append((255, 255, 255, 255))
            else:
                row.append((128, 128, 128, 255))
        rows.append(row)
    return rows


def stripes():
    """4 x 4 tile: left half black, right half white (tiling shows the period)."""
    return [[(0, 0, 0, 255)] * 2 + [(255, 255, 255, 255)] * 2 for _ in range(4)]


def button_states():
    rows = []
    for fill in STATES:
        rows += framed(16, 16, BORDER, fill)
    return rows


def magenta_dot():
    rows = solid(8, 8, (255, 0, 255))
    for y in range(3, 5):
        for x in range(3, 5):
            rows[y][x] = (0, 128, 0, 255)
    return rows


CAPTION_ACTIVE = (40, 80, 160)
CAPTION_INACTIVE = (120, 140, 170)
CLOSE_STATES = [(200, 60, 60), (240, 110, 110), (140, 20, 20), (160, 160, 160),
                (190, 150, 150), (210, 170, 170), (150, 110, 110), (170, 170, 170)]
MINMAX_STATES = [(60, 120, 200), (100, 160, 240), (20, 70, 140), (160, 160, 160),
                 (150, 160, 190), (170, 180, 210), (110, 120, 150), (170, 170, 170)]


def caption():
    """Two 20 x 20 frames (active, inactive) with magenta top corners for the window region."""
    rows = []
    for fill in (CAPTION_ACTIVE, CAPTION_INACTIVE):
        frame = solid(20, 20, fill)
        for x, y in ((0, 0), (1, 0), (0, 1)):
            frame[y][x] = (255, 0, 255, 255)
            frame[y][19 - x] = (255, 0, 255, 255)
        rows += frame
    return rows


def frame_sides():
    return solid(4, 4, CAPTION_ACTIVE) + solid(4, 4, CAPTION_INACTIVE)


def caption_buttons(states):
    rows = []
    for fill in states:
        rows += framed(16, 16, (255, 255, 255), fill)
    return rows


OFFICE_TRACK = (230, 235, 245)
OFFICE_TRACK_PRESSED = (200, 210, 230)
OFFICE_STATES = [(255, 255, 255), (180, 200, 230), (250, 220, 150), (230, 160, 80)]
OFFICE_THUMB = [(150, 180, 220), (250, 220, 150), (230, 160, 80)]


def arrow_glyphs():
    """Sixteen 9 x 9 glyphs on magenta: a black 3 x 3 centre, grey for the disabled ones."""
    rows = []
    for i in range(16):
        frame = solid(9, 9, (255, 0, 255))
        ink = (128, 128, 128) if i % 4 == 3 else (0, 0, 0)
        for y in range(3, 6):
            for x in range(3, 6):
                frame[y][x] = ink + (255,)
        rows += frame
    return rows


# The Office 2007 schema's scroll-bar images (vertical bars, light set), named with their folder.
OFFICE_IMAGES = {
    "OFFICE2007\\SCROLLVERTICALLIGHT.BMP": solid(19, 20, OFFICE_TRACK) + solid(19, 20, OFFICE_TRACK_PRESSED),
    "OFFICE2007\\SCROLLARROWSVERTICALLIGHT.BMP": [row for c in OFFICE_STATES for row in solid(19, 19, c)],
    "OFFICE2007\\SCROLLARROWGLYPHS.BMP": arrow_glyphs(),
    "OFFICE2007\\SCROLLTHUMBVERTICAL.BMP": [row for c in OFFICE_THUMB for row in solid(19, 20, c)],
}

IMAGES = {
    "CAPTION.BMP": caption(),
    "FRAME.BMP": frame_sides(),
    "CLOSE.BMP": caption_buttons(CLOSE_STATES),
    "MINMAX.BMP": caption_buttons(MINMAX_STATES),
    "BUTTON.BMP": button_states(),
    "NINE.BMP": nine_grid(),
    "STRIPES.BMP": stripes(),
    "DOT.BMP": magenta_dot(),
}

THUMB = (20, 100, 180)
TAB = (200, 215, 235)
SELECTED = (255, 250, 230)
PANE = (245, 248, 252)
CHUNK = (30, 160, 60)
SPIN = (190, 200, 255)
PRESSED = (240, 180, 90)
HOT = (255, 236, 170)

CONTROL_PARTS = [
    ("ScrollBar.ThumbBtnVert", BORDER, THUMB),
    ("ScrollBar.ThumbBtnHorz", BORDER, THUMB),
    ("ScrollBar.LowerTrackHorz", None, PANE),
    ("ScrollBar.UpperTrackHorz", None, PANE),
    ("ScrollBar.ThumbBtnVert(Pressed)", BORDER, PRESSED),
    ("Progress.Bar", BORDER, WINDOW),
    ("Progress.BarVert", BORDER, WINDOW),
    ("Progress.Chunk", None, CHUNK),
    ("Progress.ChunkVert", None, CHUNK),
    ("Tab.Pane", BORDER, PANE),
    ("Tab.TopTabItem", BORDER, TAB),
    ("Tab.TopTabItemLeftEdge", BORDER, TAB),
    ("Tab.TopTabItemRightEdge", BORDER, TAB),
    ("Tab.TopTabItem(Selected)", BORDER, SELECTED),
    ("Tab.TopTabItemLeftEdge(Selected)", BORDER, SELECTED),
    ("Tab.TopTabItemRightEdge(Selected)", BORDER, SELECTED),
    ("Tab.TopTabItem(Hot)", BORDER, HOT),
    ("Header.HeaderItem", BORDER, TAB),
    ("Header.HeaderItem(Hot)", BORDER, HOT),
    ("Header.HeaderItem(Pressed)", BORDER, PRESSED),
    ("TrackBar.Track", BORDER, PANE),
    ("TrackBar.TrackVert", BORDER, PANE),
    ("TrackBar.ThumbBottom", BORDER, THUMB),
    ("TrackBar.ThumbTop", BORDER, THUMB),
    ("TrackBar.Thumb", BORDER, THUMB),
    ("TrackBar.ThumbVert", BORDER, THUMB),
    ("TrackBar.ThumbRight", BORDER, THUMB),
    ("TrackBar.ThumbBottom(Pressed)", BORDER, PRESSED),
    ("Spin.Up", BORDER, SPIN),
    ("Spin.Down", BORDER, SPIN),
    ("Spin.UpHorz", BORDER, SPIN),
    ("Spin.DownHorz", BORDER, SPIN),
    ("Spin.Up(Pressed)", BORDER, PRESSED),
    ("Spin.Down(Pressed)", BORDER, PRESSED),
    ("Toolbar.Button", BORDER, PRESSED),
    ("ComboBox", BORDER, WINDOW),
    ("ComboBox.DropDownButton", BORDER, SPIN),
]


def ini(face):
    return [line.replace("BtnFace = %d %d %d" % FACE, "BtnFace = %d %d %d" % face) for line in INI]


# Colour variants: the default (named by THEMES_INI) and the darker one the tray program asks for.
VARIANTS = {"NORMALBLUE": FACE, "NORMALDARKBLUE": DARK_FACE}

INI = [
    "; The project's test skin.",
    "[Documentation]",
    "Author = Kestrin",
    "",
    "[SysMetrics]",
    "BtnFace = %d %d %d" % FACE,
    "Window = %d %d %d" % WINDOW,
    "WindowText = 0 0 0",
    "ActiveCaption = 40 80 160",
    "CaptionBarHeight = 22",
    "ScrollbarWidth = 19",
    "CaptionFont = Tahoma, 9, Bold",
    "MenuFont = Tahoma, 8",
    "",
    "[Globals]",
    "TextColor = 1 2 3",
    "",
    "[Button.PushButton]",
    "ImageFile = BUTTON.BMP ; five states",
    "ImageCount = 5",
    "ImageLayout = Vertical",
    "SizingMargins = 2, 2, 2, 2",
    "",
    "[Button.PushButton(Hot)]",
    "TextColor = 255 0 0",
    "",
    "[Window.Caption]",
    "ImageFile = CAPTION.BMP",
    "ImageCount = 2",
    "ImageLayout = Vertical",
    "SizingMargins = 4, 4, 4, 4",
    "Transparent = True",
    "ContentAlignment = Left",
    "",
    "[Window.FrameLeft]",
    "ImageFile = FRAME.BMP",
    "ImageCount = 2",
    "ImageLayout = Vertical",
    "",
    "[Window.FrameRight]",
    "ImageFile = FRAME.BMP",
    "ImageCount = 2",
    "ImageLayout = Vertical",
    "",
    "[Window.FrameBottom]",
    "ImageFile = FRAME.BMP",
    "ImageCount = 2",
    "ImageLayout = Vertical",
    "",
    "[Window.CloseButton]",
    "ImageFile = CLOSE.BMP",
    "ImageCount = 8",
    "ImageLayout = Vertical",
    "SizingMargins = 1, 1, 1, 1",
    "",
    "[Window.MaxButton]",
    "ImageFile = MINMAX.BMP",
    "ImageCount = 8",
    "ImageLayout = Vertical",
    "SizingMargins = 1, 1, 1, 1",
    "",
    "[Window.MinButton]",
    "ImageFile = MINMAX.BMP",
    "ImageCount = 8",
    "ImageLayout = Vertical",
    "SizingMargins = 1, 1, 1, 1",
    "",
    "[Window.RestoreButton]",
    "ImageFile = MINMAX.BMP",
    "ImageCount = 8",
    "ImageLayout = Vertical",
    "SizingMargins = 1, 1, 1, 1",
    "",
    "[Window.HelpButton]",
    "ImageFile = MINMAX.BMP",
    "ImageCount = 8",
    "ImageLayout = Vertical",
    "SizingMargins = 1, 1, 1, 1",
    "",
    "[Window.Dialog]",
    "ImageFile = NINE.BMP",
    "SizingMargins = 3, 3, 3, 3",
    "",
    "[ScrollBar.LowerTrackVert]",
    "ImageFile = STRIPES.BMP",
    "SizingType = Tile",
    "",
    "[ScrollBar.UpperTrackVert]",
    "ImageFile = DOT.BMP",
    "Transparent = True",
    "",
    "[ScrollBar.ArrowBtn]",
    "BgType = BorderFill",
    "BorderSize = 1",
    "BorderColor = %d %d %d" % BORDER,
    "FillColor = %d %d %d" % FACE,
    "",
    "[Edit.EditText]",
    "ImageFile = MISSING.BMP",
] + [
    # The controls' own parts: bordered fills of colours the tests look for.
    line
    for section, border, fill in CONTROL_PARTS
    for line in ("", "[%s]" % section, "BgType = BorderFill", "BorderSize = %d" % (1 if border else 0))
    + (("BorderColor = %d %d %d" % border,) if border else ())
    + ("FillColor = %d %d %d" % fill,)
] + [
    "",
    "[Progress]",
    "ProgressChunkSize = 6",
    "ProgressSpaceSize = 2",
    "",
    "[TrackBar.Tics]",
    "Color = %d %d %d" % BORDER,
    "",
    "[Button.GroupBox]",
    "BgType = BorderFill",
    "BorderSize = 1",
    "BorderColor = %d %d %d" % BORDER,
    "BorderOnly = True",
]


def main(out):
    folder = os.path.join(out, "folder")
    os.makedirs(folder, exist_ok=True)
    rc = ["LANGUAGE 0x09, 0x01"]
    for variant, face in VARIANTS.items():
        with open(os.path.join(out, variant + ".INI"), "wb") as f:
            f.write(imagefiles.utf16_text(ini(face)))
        with open(os.path.join(folder, variant + ".INI"), "wb") as f:
            f.write("".join(line + "\r\n" for line in ini(face)).encode("ascii"))
        rc.append('%s_INI TEXTFILE "%s"' % (variant, os.path.join(out, variant + ".INI").replace(os.sep, "/")))
    with open(os.path.join(out, "THEMES.INI"), "wb") as f:
        f.write(imagefiles.utf16_text(["[File.NormalBlue]", "ColorSchemes = NormalBlue"]))
    rc.append('THEMES_INI TEXTFILE "%s"' % os.path.join(out, "THEMES.INI").replace(os.sep, "/"))
    rc.append('STRINGTABLE\nBEGIN\n  5000 "Vista Style"\nEND')
    for name, pixels in list(IMAGES.items()) + list(OFFICE_IMAGES.items()):
        data = imagefiles.bmp_bytes(pixels, 24)
        flat = name.replace("\\", "_")
        nested = os.path.join(folder, *name.split("\\"))
        os.makedirs(os.path.dirname(nested), exist_ok=True)
        for path in (os.path.join(out, flat), nested):
            with open(path, "wb") as f:
                f.write(data)
        rc.append('%s BITMAP "%s"' % (flat.replace(".", "_"), os.path.join(out, flat).replace(os.sep, "/")))
    with open(os.path.join(out, "skin.rc"), "w") as f:
        f.write("\n".join(rc) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
