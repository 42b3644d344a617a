"""The ribbon's part of the Office 2007 image set: tabs and context tabs, the groups band,
groups, collapsed groups, the quick-access bar, popup frames, the group-scroll buttons, the
caption band, the system button and the system menu, and the ribbon look of the bars'
controls (buttons, split buttons, marks, combo and spin buttons, menu items, status bar),
drawn in the blue scheme; and the "Ribbon" colours. make_office2007.py writes them with the
rest of the set."""
from make_office2007 import BORDER, CHECKED, DARK, HOT, LIGHT, MAGENTA, PRESSED, lerp, on_key, rounded_frame, stack

CLEAR = (0, 0, 0, 0)
FACE = (0xBF, 0xDB, 0xFF)
GROUP_BORDER = (0xAA, 0xC1, 0xDE)
CAPTION_TOP, CAPTION_BOTTOM = (0xC2, 0xD8, 0xF1), (0xC1, 0xD8, 0xF1)
GLYPH = (0x4D, 0x6F, 0x9B)

# Context colours (number - 1) and the tint each one gives its tabs, header and groups band.
CONTEXTS = [("BLUE", (0x7E, 0xA6, 0xE0)), ("YELLOW", (0xF7, 0xD5, 0x4D)), ("GREEN", (0x8C, 0xC8, 0x6B)),
            ("RED", (0xE8, 0x7B, 0x7B)), ("PURPLE", (0xB3, 0x8C, 0xD9)), ("CYAN", (0x6F, 0xCF, 0xD9)),
            ("ORANGE", (0xF5, 0xA6, 0x5B))]

COLOURS = [
    "RibbonFace = 191 219 255",
    "TabSelectedText = 21 66 139",
    "GroupClientText = 21 66 139",
    "RibbonText = 21 66 139",
    "ControlEditNormal = 234 242 251",
    "MinimizedFrameEdgeHighLight = 255 255 255",
    "MinimizedFrameEdgeShadow = 141 178 227",
    "MenuPopupText = 0 0 0",
    "ControlHighlightText = 0 0 0",
]


def tab(width, height, top, bottom, border):
    """A tab face open at the bottom: rounded top corners, a border on three sides."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            dx = min(x, width - 1 - x)
            if y + dx < 2:
                row.append(CLEAR)
            elif dx == 0 or y == 0 or y + dx == 2:
                row.append(border + (255,))
            else:
                row.append(lerp(top, bottom, y / max(height - 1, 1)) + (255,))
        rows.append(row)
    return rows


def blank(width, height):
    return [[CLEAR] * width for _ in range(height)]


def tabs():
    w, h = 20, 23
    states = [blank(w, h),
              tab(w, h, (0xF2, 0xF7, 0xFF), FACE, (0xA9, 0xC6, 0xEE)),
              tab(w, h, (0xE3, 0xEF, 0xFF), DARK, (0x8D, 0xB2, 0xE3)),
              tab(w, h, (0xFF, 0xFF, 0xFF), (0xE6, 0xF0, 0xFD), BORDER),
              tab(w, h, (0xFF, 0xFF, 0xFF), (0xEE, 0xF5, 0xFE), (0xE8, 0xB9, 0x5E)),
              tab(w, h, (0xFF, 0xFF, 0xFF), (0xEE, 0xF5, 0xFE), (0xF5, 0xA0, 0x40))]
    out = {"RIBBONTAB": on_key(stack(*states))}
    for name, tint in CONTEXTS:
        light = lerp(tint, (255, 255, 255), 0.75)
        ctx = [blank(w, h),
               tab(w, h, lerp(tint, (255, 255, 255), 0.55), light, tint),
               blank(w, h),
               tab(w, h, (0xFF, 0xFF, 0xFF), light, lerp(tint, (0, 0, 0), 0.2)),
               tab(w, h, (0xFF, 0xFF, 0xFF), lerp(tint, (255, 255, 255), 0.6), (0xE8, 0xB9, 0x5E))]
        out["CONTEXTTAB" + name] = stack(*ctx)
        out["CONTEXTTAB" + name + "HEADER"] = [
            [(lerp((255, 255, 255), tint, min(1.0, 0.35 + y / 20)) + (255,)) if y > 0 else tint + (255,)
             for _ in range(12)] for y in range(20)]
        out["CONTEXTTAB" + name + "CLIENT"] = rounded_frame(40, 60, (0xFF, 0xFF, 0xFF), light, tint, 3)
        out["CONTEXTTAB" + name + "GROUPBUTTON"] = group_buttons(lerp(tint, (255, 255, 255), 0.7), light, tint)
    # One-pixel separators, stretched down a tab's edge: fading out towards the top.
    for name, colour in (("RIBBONTABSEPARATOR", (0x9A, 0xB8, 0xDF)), ("CONTEXTTABSEPARATOR", (0x8C, 0x9C, 0xB4))):
        out[name] = [[lerp((0xE3, 0xEF, 0xFF), colour, min(1.0, 0.2 + y / 12)) + (255,)] for y in range(h)]
    return out


def group_part(width, height, top, bottom, border, caption):
    """The client part of a group (rounded top corners, open at the bottom) or its caption row
    (rounded bottom corners)."""
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            dx = min(x, width - 1 - x)
            dy = height - 1 - y if caption else y
            if dx + dy < 2:
                row.append(CLEAR)
            elif dx == 0 or dy == 0 or dx + dy == 2:
                row.append(border + (255,))
            else:
                row.append(lerp(top, bottom, y / max(height - 1, 1)) + (255,))
        rows.append(row)
    return rows


def group_buttons(top, bottom, border):
    return stack(rounded_frame(40, 66, top, bottom, border, 3),
                 rounded_frame(40, 66, HOT[0], HOT[1], (0xDB, 0xCE, 0x99), 3),
                 rounded_frame(40, 66, PRESSED[0], PRESSED[1], (0xC2, 0x9B, 0x56), 3))


def groups():
    hot_top, hot_bottom = (0xF4, 0xF8, 0xFF), (0xDC, 0xEA, 0xFB)
    out = {
        "RIBBONGROUPS": rounded_frame(40, 60, (0xE8, 0xF1, 0xFD), (0xC6, 0xDD, 0xF7), BORDER, 3),
        "RIBBONGROUPCLIENT": stack(group_part(20, 40, (0xDE, 0xE8, 0xF5), (0xD1, 0xDF, 0xF0), GROUP_BORDER, False),
                                   group_part(20, 40, hot_top, hot_bottom, GROUP_BORDER, False)),
        "RIBBONGROUPCAPTION": stack(group_part(20, 17, CAPTION_TOP, CAPTION_BOTTOM, GROUP_BORDER, True),
                                    group_part(20, 17, (0xCF, 0xE1, 0xF6), (0xCF, 0xE1, 0xF6), GROUP_BORDER, True)),
        "CONTEXTTABGROUPCLIENT": stack(group_part(20, 40, (0xF0, 0xF4, 0xFA), (0xE3, 0xEA, 0xF3), GROUP_BORDER, False),
                                       group_part(20, 40, (0xFA, 0xFC, 0xFF), (0xEC, 0xF2, 0xFA), GROUP_BORDER, False)),
        "CONTEXTTABGROUPCAPTION": stack(group_part(20, 17, (0xD6, 0xE0, 0xEE), (0xD6, 0xE0, 0xEE), GROUP_BORDER, True),
                                        group_part(20, 17, (0xDF, 0xE8, 0xF4), (0xDF, 0xE8, 0xF4), GROUP_BORDER, True)),
        "RIBBONGROUPBUTTON": group_buttons((0xDE, 0xE8, 0xF5), (0xC4, 0xD8, 0xF0), GROUP_BORDER),
        "RIBBONGROUPBUTTONICON": rounded_frame(32, 32, (0xFF, 0xFF, 0xFF), (0xD6, 0xE4, 0xF6), GROUP_BORDER, 3),
        "RIBBONGROUPQUICKACCESS": on_key(stack(rounded_frame(22, 22, LIGHT, DARK, BORDER),
                                               rounded_frame(22, 22, HOT[0], HOT[1], (0xDB, 0xCE, 0x99)),
                                               rounded_frame(22, 22, PRESSED[0], PRESSED[1], (0xC2, 0x9B, 0x56)))),
    }
    return out


def glyph_on(rows, points, colour):
    for x, y in points:
        rows[y][x] = colour + (255,)
    return rows


def button_face(width, height, state):
    """States of the small buttons: 0 none, 1 selected, 2 pressed, 3 checked."""
    if state == 0:
        return blank(width, height)
    faces = {1: (HOT, (0xDB, 0xCE, 0x99)), 2: (PRESSED, (0xC2, 0x9B, 0x56)), 3: (CHECKED, (0xC2, 0x9B, 0x56))}
    (top, bottom), border = faces[state]
    return rounded_frame(width, height, top, bottom, border, 2)


def down_arrow(cx, cy):
    return [(cx + j, cy + k) for k in range(3) for j in range(-2 + k, 3 - k)]


def quick_access():
    w, h = 13, 22
    customise, more = [], []
    for s in range(4):
        face = button_face(w, h, s)
        bar = [(x, 8) for x in range(4, 9)]
        customise.append(glyph_on(face, bar + down_arrow(6, 10), (0x15, 0x42, 0x8B)))
        face = button_face(w, h, s)
        chevrons = [(x + d, 8 + k) for d in (0, 3) for k, x in enumerate((3, 4, 5, 4, 3))]
        more.append(glyph_on(face, chevrons, (0x15, 0x42, 0x8B)))
    area_rows = []
    for y in range(26):
        row = []
        for x in range(40):
            # A rounded left end, flat at the right.
            inside = x >= 16 or (x - 16) ** 2 + ((y - 12.5) * 1.3) ** 2 <= 16 ** 2
            edge = y in (0, 25) or (x < 16 and (x - 16) ** 2 + ((y - 12.5) * 1.3) ** 2 > 14.5 ** 2)
            if not inside:
                row.append(CLEAR)
            elif edge:
                row.append((0x9E, 0xBA, 0xE0, 255))
            else:
                row.append(lerp((0xDE, 0xEA, 0xF9), (0xC2, 0xD8, 0xF3), y / 25) + (255,))
        area_rows.append(row)
    glass = [[(lerp(p[:3], (0x30, 0x50, 0x80), 0.25) + (255,)) if p[3] else p for p in row] for row in area_rows]
    return {
        "RIBBONQUICKACCESSBUTTON": on_key(stack(*customise)),
        "RIBBONQUICKACCESSMORE": on_key(stack(*more)),
        "RIBBONQUICKACCESSAREA": area_rows,
        "RIBBONQUICKACCESSAREADWM": glass,
        "RIBBONQUICKACCESSFRAME": rounded_frame(20, 26, (0xE8, 0xF1, 0xFD), (0xC5, 0xDA, 0xF3), BORDER, 2),
    }


def popups_and_scrolling():
    frame = [[(0x86, 0x86, 0x86, 255) if x in (0, 11) or y in (0, 11) else (0xFA, 0xFA, 0xFA, 255)
              for x in range(12)] for y in range(12)]
    more_frame = [[(0x86, 0x86, 0x86, 255) if x in (0, 11) or y in (0, 11) else
                   lerp((0xFA, 0xFC, 0xFF), (0xDD, 0xE8, 0xF6), y / 11) + (255,) for x in range(12)] for y in range(12)]
    option = []
    for s in range(4):
        face = button_face(15, 14, s)
        corner = [(4, 4), (5, 4), (6, 4), (4, 5), (4, 6), (5, 5), (6, 6), (7, 7), (8, 8), (9, 9), (9, 8), (8, 9),
                  (9, 7), (7, 9)]
        option.append(glyph_on(face, corner, (0x4D, 0x6F, 0x9B)))
    scroll = {}
    for side in ("LEFT", "RIGHT"):
        scroll["RIBBONGROUPSSCROLL" + side] = on_key(stack(
            rounded_frame(13, 60, (0xE8, 0xF1, 0xFD), (0xC6, 0xDD, 0xF7), BORDER, 3),
            rounded_frame(13, 60, HOT[0], HOT[1], (0xDB, 0xCE, 0x99), 3),
            rounded_frame(13, 60, PRESSED[0], PRESSED[1], (0xC2, 0x9B, 0x56), 3)))
        g = [[MAGENTA + (255,)] * 5 for _ in range(7)]
        for k in range(4):
            for j in range(-(3 - k), 4 - k):
                x = k if side == "RIGHT" else 4 - k
                g[3 + j][x] = GLYPH + (255,)
        scroll["RIBBONGROUPSSCROLL" + side + "GLYPH"] = g
    out = {"POPUPBARFRAME": frame, "MOREPOPUPBARFRAME": more_frame, "RIBBONOPTIONBUTTON": on_key(stack(*option))}
    out.update(scroll)
    return out


def caption_band(width, height, top, middle, bottom, edge, corner):
    """A strip of the caption band: a gradient under a dark top line, the outer corner rounded
    (corner "l" or "r"), or none for the centre piece."""
    rows = []
    for y in range(height):
        colour = lerp(top, middle, y / (height * 0.6)) if y < height * 0.6 else lerp(middle, bottom, (y - height * 0.6) / (height * 0.4))
        row = []
        for x in range(width):
            outer = x if corner == "l" else width - 1 - x if corner == "r" else width
            if outer + y < 3:
                row.append(CLEAR)
            elif y == 0 or outer == 0 or outer + y == 3:
                row.append(edge + (255,))
            else:
                row.append(colour + (255,))
        rows.append(row)
    return rows


def orb(size, centre, rim, border):
    """The round system button: a disc shaded from `centre` to `rim` inside a border."""
    rows = []
    r = size / 2 - 0.5
    for y in range(size):
        row = []
        for x in range(size):
            d = ((x - r) ** 2 + (y - r) ** 2) ** 0.5
            if d > r:
                row.append(CLEAR)
            elif d > r - 1.2:
                row.append(border + (255,))
            else:
                light = 0.5 if y < size * 0.45 else 0.0
                row.append(lerp(lerp(centre, rim, d / r), (255, 255, 255), light * (1 - y / size)) + (255,))
        rows.append(row)
    return rows


def frame():
    active = ((0xE3, 0xED, 0xFA), (0xC4, 0xD9, 0xF1), (0xB5, 0xCD, 0xEB), (0x3B, 0x5A, 0x82))
    inactive = ((0xEB, 0xEF, 0xF4), (0xDD, 0xE4, 0xEC), (0xD4, 0xDC, 0xE6), (0x8A, 0x9A, 0xB0))
    out = {}
    for name, corner in (("FRAMETOPLEFT", "l"), ("FRAMETOPCENTER", ""), ("FRAMETOPRIGHT", "r")):
        out[name] = stack(caption_band(8, 30, *active, corner), caption_band(8, 30, *inactive, corner))
    out["FRAMESYSTEMBUTTON"] = stack(orb(38, (0x6E, 0x9A, 0xD4), (0x1E, 0x4A, 0x8C), (0x20, 0x3A, 0x66)),
                                     orb(38, (0x9C, 0xC4, 0xF4), (0x2E, 0x66, 0xB6), (0x20, 0x3A, 0x66)),
                                     orb(38, (0xF8, 0xB5, 0x6C), (0xC0, 0x5A, 0x10), (0x6A, 0x3A, 0x10)))
    out["FRAMESYSTEMBUTTON52"] = stack(orb(52, (0x6E, 0x9A, 0xD4), (0x1E, 0x4A, 0x8C), (0x20, 0x3A, 0x66)),
                                       orb(52, (0x9C, 0xC4, 0xF4), (0x2E, 0x66, 0xB6), (0x20, 0x3A, 0x66)),
                                       orb(52, (0xF8, 0xB5, 0x6C), (0xC0, 0x5A, 0x10), (0x6A, 0x3A, 0x10)))
    menu = []
    for y in range(80):
        row = []
        for x in range(60):
            if x in (0, 59) or y in (0, 79):
                row.append(BORDER + (255,))
            elif y < 18:
                row.append(lerp((0xEE, 0xF4, 0xFC), (0xC9, 0xDB, 0xF2), y / 17) + (255,))
            elif y >= 51:
                row.append(lerp((0xC9, 0xDB, 0xF2), (0xB1, 0xCA, 0xEA), (y - 51) / 28) + (255,))
            elif x < 6 or x >= 54:
                row.append((0xC9, 0xDB, 0xF2, 255))
            else:
                row.append((0xFF, 0xFF, 0xFF, 255))
        menu.append(row)
    out["RIBBONSYSTEMMENU"] = menu
    out["RIBBONSYSTEMMENUBUTTON"] = on_key(stack(rounded_frame(22, 22, (0xF2, 0xF6, 0xFB), (0xD9, 0xE5, 0xF4), BORDER),
                                                 rounded_frame(22, 22, HOT[0], HOT[1], (0xDB, 0xCE, 0x99))))
    return out


# The faces of controls by state: (top, bottom) of the gradient and the border.
NORMAL_FACE = (((0xF1, 0xF6, 0xFD), (0xD6, 0xE5, 0xF7)), (0xAB, 0xC1, 0xDE))
HOT_FACE = (HOT, (0xDB, 0xCE, 0x99))
PRESSED_FACE = (PRESSED, (0xC2, 0x9B, 0x56))
CHECKED_FACE = (CHECKED, (0xC2, 0x9B, 0x56))
CHECKED_HOT_FACE = (((0xFB, 0xC7, 0x7E), (0xFA, 0xA1, 0x45)), (0xC2, 0x9B, 0x56))
DISABLED_GREY = (0x8D, 0x8D, 0x8D)
TEXT_BLUE = (0x15, 0x42, 0x8B)


def face(width, height, look, radius=3, left_round=True, right_round=True):
    """A gradient face in its border; the outer corners rounded only where the face ends."""
    (top, bottom), border = look
    rows = []
    for y in range(height):
        row = []
        for x in range(width):
            dy = min(y, height - 1 - y)
            dx_left, dx_right = x, width - 1 - x
            cut = (left_round and dx_left + dy < radius - 1) or (right_round and dx_right + dy < radius - 1)
            edge = (dy == 0 or (left_round and (dx_left == 0 or dx_left + dy == radius - 1)) or
                    (right_round and (dx_right == 0 or dx_right + dy == radius - 1)) or
                    (not left_round and dx_left == 0) or (not right_round and dx_right == 0))
            if cut:
                row.append(CLEAR)
            elif edge:
                row.append(border + (255,))
            else:
                row.append(lerp(top, bottom, y / max(height - 1, 1)) + (255,))
        rows.append(row)
    return rows


def arrow(rows, cx, cy, colour, direction="down"):
    """A small three-row triangle centred at (cx, cy)."""
    for k in range(3):
        for j in range(-2 + k, 3 - k):
            x, y = (cx + j, cy - 1 + k) if direction == "down" else (cx + j, cy + 1 - k) if direction == "up" else \
                   (cx - 1 + k, cy + j)
            if 0 <= y < len(rows) and 0 <= x < len(rows[0]):
                rows[y][x] = colour + (255,)
    return rows


def tool_bar_buttons(size):
    """Selected, pressed, checked and selected, checked."""
    return stack(*[face(size, size, look) for look in (HOT_FACE, PRESSED_FACE, CHECKED_HOT_FACE, CHECKED_FACE)])


def connected(width, height, left_round, right_round):
    """Normal, selected, pressed, checked, checked and selected: a row's buttons always show."""
    looks = (NORMAL_FACE, HOT_FACE, PRESSED_FACE, CHECKED_FACE, CHECKED_HOT_FACE)
    return on_key(stack(*[face(width, height, look, 3, left_round, right_round) for look in looks]))


def split_parts(width, height, left_round, right_round):
    return on_key(stack(*[face(width, height, look, 3, left_round, right_round)
                          for look in (HOT_FACE, PRESSED_FACE, CHECKED_HOT_FACE, CHECKED_FACE)]))


def mark(radio, base, check):
    """A 13 x 13 check box or radio button: `base` 0 normal, 1 hot, 2 pressed, 3 disabled; `check`
    0 none, 1 checked, 2 indeterminate."""
    fills = [((0xFF, 0xFF, 0xFF), (0xE6, 0xEE, 0xF8)), HOT, PRESSED, ((0xF4, 0xF4, 0xF4), (0xF4, 0xF4, 0xF4))]
    borders = [(0x8D, 0xB2, 0xE3), (0xDB, 0xCE, 0x99), (0xC2, 0x9B, 0x56), (0xC5, 0xC5, 0xC5)]
    top, bottom = fills[base]
    ink = DISABLED_GREY if base == 3 else TEXT_BLUE
    rows = []
    for y in range(13):
        row = []
        for x in range(13):
            if radio:
                d = ((x - 6) ** 2 + (y - 6) ** 2) ** 0.5
                if d > 6.4:
                    row.append(CLEAR)
                elif d > 5.4:
                    row.append(borders[base] + (255,))
                elif check and d <= 2.6:
                    row.append(ink + (255,))
                else:
                    row.append(lerp(top, bottom, y / 12) + (255,))
            elif x in (0, 12) or y in (0, 12):
                row.append(borders[base] + (255,))
            elif check == 2 and 3 <= x <= 9 and 3 <= y <= 9:
                row.append(ink + (255,))
            elif check == 1 and (x, y) in CHECK_POINTS:
                row.append(ink + (255,))
            else:
                row.append(lerp(top, bottom, y / 12) + (255,))
        rows.append(row)
    return rows


CHECK_POINTS = {(x, y + d) for x, y in ((3, 6), (4, 7), (5, 8), (6, 7), (7, 6), (8, 5), (9, 4)) for d in (0, 1)}


def combo_buttons():
    """Normal, selected, pressed, open, disabled: 14 x 20, an arrow on the face."""
    looks = [None, HOT_FACE, PRESSED_FACE, PRESSED_FACE, None]
    out = []
    for i, look in enumerate(looks):
        rows = face(14, 20, look or NORMAL_FACE, 2)
        if look is None and i == 4:
            rows = face(14, 20, (((0xF4, 0xF4, 0xF4), (0xF4, 0xF4, 0xF4)), (0xC5, 0xC5, 0xC5)), 2)
        out.append(arrow(rows, 6, 10, DISABLED_GREY if i == 4 else TEXT_BLUE))
    return on_key(stack(*out))


def spin_buttons():
    """The up button's normal, selected, hot, pressed and disabled states, then the down button's."""
    looks = [NORMAL_FACE, NORMAL_FACE, HOT_FACE, PRESSED_FACE,
             (((0xF4, 0xF4, 0xF4), (0xF4, 0xF4, 0xF4)), (0xC5, 0xC5, 0xC5))]
    out = []
    for direction in ("up", "down"):
        for i, look in enumerate(looks):
            out.append(arrow(face(17, 10, look, 2), 8, 5, DISABLED_GREY if i == 4 else TEXT_BLUE, direction))
    return on_key(stack(*out))


def glyphs():
    """The drop-down glyph (normal, selected, pressed, disabled) and the sub-menu glyph
    (enabled, disabled), on the magenta key."""
    drop = []
    for colour in (TEXT_BLUE, TEXT_BLUE, (0x0A, 0x2A, 0x5E), DISABLED_GREY):
        rows = [[CLEAR] * 5 for _ in range(4)]
        for k in range(3):
            for j in range(k, 5 - k):
                rows[k][j] = colour + (255,)
        drop.append(rows)
    popup = []
    for colour in ((0, 0, 0), DISABLED_GREY):
        rows = [[CLEAR] * 4 for _ in range(7)]
        for x in range(4):
            for y in range(x, 7 - x):
                rows[y][x] = colour + (255,)
        popup.append(rows)
    return on_key(stack(*drop)), on_key(stack(*popup))


def controls():
    drop, popup = glyphs()
    menu_hot = (((0xFF, 0xF5, 0xCC), (0xFF, 0xE1, 0x8C)), (0xDB, 0xCE, 0x99))
    menu_disabled = (((0xF4, 0xF4, 0xF4), (0xEA, 0xEA, 0xEA)), (0xC5, 0xC5, 0xC5))
    grip = [[CLEAR] * 11 for _ in range(11)]
    for r in range(3):
        for k in range(3 - r):
            x, y = 8 - 4 * k, 8 - 4 * r
            for dx, dy, c in ((1, 1, (0xFF, 0xFF, 0xFF)), (0, 0, (0x9A, 0xC6, 0xFF))):
                for px in (x + dx, x + dx + 1):
                    for py in (y + dy, y + dy + 1):
                        if px < 11 and py < 11:
                            grip[py][px] = c + (255,)
    return {
        "TOOLBARBUTTONS22": tool_bar_buttons(22),
        "TOOLBARBUTTONS50": tool_bar_buttons(50),
        "TOOLBARBUTTONSSPECIALSINGLE": connected(22, 22, True, True),
        "TOOLBARBUTTONSSPECIALLEFT": connected(22, 22, True, False),
        "TOOLBARBUTTONSSPECIALRIGHT": connected(22, 22, False, True),
        "TOOLBARBUTTONSSPECIALCENTER": connected(22, 22, False, False),
        "TOOLBARBUTTONSSPECIALSPLITLEFT": connected(22, 22, True, False),
        "TOOLBARBUTTONSSPECIALSPLITCENTER": connected(22, 22, False, False),
        "TOOLBARBUTTONSSPECIALSPLITDROPDOWNRIGHT": connected(12, 22, False, True),
        "TOOLBARBUTTONSSPECIALSPLITDROPDOWNCENTER": connected(12, 22, False, False),
        "TOOLBARBUTTONSSPLIT22": split_parts(22, 22, True, False),
        "TOOLBARBUTTONSSPLIT50": split_parts(50, 50, True, True),
        "TOOLBARBUTTONSSPLITDROPDOWN22": split_parts(12, 22, False, True),
        "TOOLBARBUTTONSSPLITDROPDOWN50": split_parts(50, 16, True, True),
        "TOOLBARBUTTONCHECKBOX": stack(*[mark(False, b, c) for c in (0, 1, 2) for b in range(4)]),
        "TOOLBARBUTTONRADIOBUTTON": stack(*[mark(True, b, c) for c in (0, 1) for b in range(4)]),
        "TOOLBARBUTTONDROPDOWNGLYPH": drop,
        "TOOLBARBUTTONSCOMBODROPDOWN": combo_buttons(),
        "TOOLBARBUTTONSPIN": spin_buttons(),
        "MENUCHECKEDITEM": stack(face(22, 22, CHECKED_FACE, 2), face(22, 22, menu_disabled, 2)),
        "MENUSELECTEDITEM22": face(30, 22, menu_hot, 3),
        "MENUSELECTEDITEM54": face(30, 54, menu_hot, 3),
        "MENUSELECTEDDISABLEDITEM22": face(30, 22, menu_disabled, 3),
        "MENUSELECTEDDISABLEDITEM54": face(30, 54, menu_disabled, 3),
        "MENUSPLITDROPDOWN": on_key(stack(face(20, 22, (((0xFA, 0xFA, 0xFA), (0xFA, 0xFA, 0xFA)), (0xC5, 0xC5, 0xC5)), 2),
                                          face(20, 22, menu_hot, 2), face(20, 22, PRESSED_FACE, 2))),
        "MENUPOPUPGLYPH": popup,
        "STATUSBARDEVIDER": [[(0x56, 0x7D, 0xB0, 255), (0xFF, 0xFF, 0xFF, 255), (0xA3, 0xC3, 0xF5, 255)]
                             for _ in range(22)],
        "STATUSBARGRIPPER": on_key(grip),
    }


def images():
    """Resource name: (file name, pixels, format), as make_office2007.IMAGES keeps them."""
    out = {}
    for part in (tabs(), groups(), quick_access(), popups_and_scrolling(), frame(), controls()):
        for name, pixels in part.items():
            keyed = any(p == MAGENTA + (255,) for row in pixels for p in row)
            opaque = all(p[3] == 255 for row in pixels for p in row)
            out[name] = (name + ".bmp", pixels, "bmp24" if keyed or opaque else "bmp32")
    return out


def add_colours(ini):
    """The ribbon's colours go into the set's "Ribbon" section."""
    at = ini.index("[Ribbon]") + 1
    ini[at:at] = COLOURS
