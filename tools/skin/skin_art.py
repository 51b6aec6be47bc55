"""The 57 skin bitmaps and the program icon.

Every page background is the same sheet of brushed aluminium (one seed), with the page's own
title tile left of the title label and, on some pages, engraved marks around the controls. Labels
erase their background from the main menu background, so wherever a label of any page sits, the
page's background equals the main menu background. Buttons are painted over the very pixels of
the background they are placed on, so their corners vanish into it.
"""

import math

import numpy as np

import skin_glyphs as g
from skin_paint import (BLACK, BLUE_DARK, INK, VIOLET, VIOLET_DARK, VIOLET_LIGHT,
                        WHITE, blur, brushed_metal, drop_shadow, edges, finish, mask, over,
                        radial, shift, solid, text_mask, vgrad)

W, H = 320, 240
METAL_SEED = 1610
AVERAGE_METAL = (203, 206, 212)

# Where the screens place each control (x, y); buttons are drawn over these spots.
MENU_PLACES = {"backlight": (25, 77), "volume": (99, 77), "calibration": (173, 77),
               "power": (247, 77), "date_time": (25, 153), "language": (99, 153),
               "back": (173, 153)}
OK_PLACE, CANCEL_PLACE = (85, 192), (175, 192)
SLIDER_PLACE = (56, 112)
GAUGE_PLACE = (38, 87)
ARROW_PLACES = {"left": (29, 112), "right": (259, 112), "down": (261, 144), "up": (232, 144)}
MESSAGE_OK_PLACE = (110, 85)
FOOTER_Y = 183


def power_status_rect():
    """Pixel rectangle of the power page's status line, which keeps its template rectangle
    (8, 25, 127, 8 dialog units of an Impact 13 template, drawn with DejaVu Sans Condensed Bold)."""
    from PIL import ImageFont
    from skin_paint import FONT_DIR
    f = ImageFont.truetype(FONT_DIR + "DejaVuSansCondensed-Bold.ttf", 17)
    cx = (round(f.getlength("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) // 26 + 1) // 2
    cy = sum(f.getmetrics())
    return (8 * cx // 4, 25 * cy // 8, 127 * cx // 4, 8 * cy // 8)


TITLE = (85, 15, 235, 40)
# Label rectangles of each page: there the page's background must equal the main menu's.
LABEL_AREAS = {
    171: [TITLE], 176: [TITLE], 172: [],
    174: [TITLE, power_status_rect(), (20, 120, 300, 20)],
    175: [TITLE, (30, 70, 200, 30), (30, 100, 260, 80)],
    173: [TITLE, (38, 67, 246, 20), (30, 125, 80, 17), (150, 125, 144, 17)],
    190: [(85, 15, 205, 40), (40, 75, 140, 20)],
}


# ---------------------------------------------------------------- backgrounds

def metal_sheet():
    return brushed_metal(W, H, METAL_SEED)


def engraved_line(pic, y, x0, x1, fade=24):
    """A groove cut into the metal: a dark line with a lit line under it, fading at the ends."""
    xs = np.arange(pic.shape[1], dtype=np.float32)
    a = np.clip(np.minimum(xs - x0, x1 - xs) / fade, 0, 1)
    pic[y] = pic[y] * (1 - 0.30 * a[:, None]) + np.array(INK) * 0.30 * a[:, None]
    pic[y + 1] = pic[y + 1] * (1 - 0.75 * a[:, None]) + 255 * 0.75 * a[:, None]
    return pic


def engraved_outline(pic, x0, y0, x1, y1, r, strength=1.0):
    """A recessed frame: shadow on its upper-left inner rim, light on the lower right."""
    h, w = pic.shape[:2]
    ring = mask(w, h, lambda p: p.rrect_outline(x0, y0, x1, y1, r, 1))
    inner = mask(w, h, lambda p: p.rrect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1))
    lit, dark = edges(inner, 1)
    pic = over(pic, INK, ring * 0.30 * strength)
    pic = over(pic, BLACK, lit * 0.10 * strength)
    pic = over(pic, WHITE, shift(ring, 1, 1) * (1 - inner) * 0.7 * strength)
    return pic


def tile(pic, x, y, size, glyph, base=VIOLET, light=VIOLET_LIGHT, dark=VIOLET_DARK):
    """A glossy rounded tile with a white glyph, as on the title line of every page."""
    h, w = pic.shape[:2]
    r = size * 0.24
    body = mask(w, h, lambda p: p.rrect(x, y, x + size, y + size, r))
    pic = drop_shadow(pic, body, 1, 2, 1.8, 0.40)
    fill = vgrad(w, h, light, dark, y, y + size) * 0.55 + radial(
        w, h, x + size * 0.3, y + size * 0.2, size * 1.1, light, base) * 0.45
    pic = over(pic, fill, body)
    gloss = mask(w, h, lambda p: p.ellipse(x - size * 0.2, y - size * 0.55, x + size * 1.2,
                                            y + size * 0.48))
    gl = np.broadcast_to(np.clip(1 - (np.arange(h)[:, None] - y) / (size * 0.5), 0, 1), (h, w))
    pic = over(pic, WHITE, gloss * body * gl * 0.28)
    glyph_m = mask(w, h, lambda p: glyph(p, x + size * 0.16, y + size * 0.16, size * 0.68))
    pic = over(pic, dark, shift(glyph_m, 0, 1) * 0.55)
    pic = over(pic, WHITE, glyph_m)
    lit, shade = edges(body, 1)
    pic = over(pic, WHITE, lit * 0.35)
    ring = np.clip(body - mask(w, h, lambda p: p.rrect(x + 1, y + 1, x + size - 1, y + size - 1,
                                                       r - 1)), 0, 1)
    return over(pic, dark, ring * 0.55)


def page_background(glyph, footer=True, rule=True):
    pic = metal_sheet()
    if rule:
        pic = engraved_line(pic, 57, 10, 310)
    if glyph is not None:
        pic = tile(pic, 24, 9, 44, glyph)
    if footer:
        band = np.zeros((H, 1), np.float32)
        band[FOOTER_Y + 1:] = 1
        pic = pic * (1 - 0.05 * band[..., None]) + np.array(INK) * 0.05 * band[..., None]
        pic = engraved_line(pic, FOOTER_Y, -40, 360)
    return pic


def engraved_glyph(pic, glyph, x, y, s, colour=INK, alpha=0.85):
    h, w = pic.shape[:2]
    m = mask(w, h, lambda p: glyph(p, x, y, s))
    pic = over(pic, WHITE, shift(m, 1, 1) * 0.8)
    return over(pic, colour, m * alpha)


def wedge(pic, x0, x1, ybase, height, left, right, steps):
    """A rising wedge of `steps` flat segments between the slider's end marks, one per level."""
    h, w = pic.shape[:2]
    gap = 3.0
    seg = (x1 - x0 - gap * (steps - 1)) / steps
    for i in range(steps):
        a = x0 + i * (seg + gap)
        b = a + seg
        top = lambda x: ybase - 2 - (height - 2) * (x - x0) / (x1 - x0)
        m = mask(w, h, lambda p: p.poly([(a, ybase), (b, ybase), (b, top(b)), (a, top(a))]))
        t = i / (steps - 1)
        colour = np.array(left, np.float32) * (1 - t) + np.array(right, np.float32) * t
        pic = over(pic, WHITE, shift(m, 1, 1) * 0.8)
        pic = over(pic, colour, m)
        lit, dark = edges(m, 1)
        pic = over(pic, BLACK, lit * 0.18)
    return pic


def slider_well(pic):
    return engraved_outline(pic, 22, 105, 294, 153, 12)


def volume_background():
    pic = slider_well(page_background(lambda p, x, y, s: g.speaker(p, x, y, s, 3)))
    pic = engraved_glyph(pic, lambda p, x, y, s: g.speaker(p, x, y, s, 1), 28, 76, 26)
    pic = engraved_glyph(pic, lambda p, x, y, s: g.speaker(p, x, y, s, 3), 256, 72, 32)
    return wedge(pic, 64, 246, 99, 16, (176, 196, 222), (38, 112, 206), 6)


def backlight_background():
    pic = slider_well(page_background(g.bulb))
    pic = engraved_glyph(pic, lambda p, x, y, s: g.bulb(p, x, y, s, rays=False, lit=False),
                         31, 76, 24, colour=(110, 114, 122))
    h, w = pic.shape[:2]
    glow = radial(w, h, 272, 86, 22, (255, 238, 150), (255, 238, 150))
    pic = over(pic, glow, blur(mask(w, h, lambda p: p.circle(272, 84, 9)), 6) * 0.9)
    pic = engraved_glyph(pic, g.bulb, 254, 66, 36, colour=(236, 164, 24), alpha=1.0)
    return wedge(pic, 64, 246, 99, 16, (132, 134, 138), (255, 206, 60), 8)


def power_background():
    # The band from the title rule to the gauge stays plain: the status line sits there.
    return page_background(lambda p, x, y, s: g.battery(p, x, y, s, 3))


BACKGROUNDS = {
    161: ("menu_background", lambda: page_background(g.tools, footer=False)),
    171: ("volume_background", volume_background),
    172: ("plain_background", lambda: metal_sheet()),
    173: ("date_time_background", lambda: page_background(g.globe_and_clock)),
    174: ("power_background", power_background),
    175: ("calibration_background", lambda: page_background(g.screen_and_stylus)),
    176: ("backlight_background", backlight_background),
    190: ("language_background", lambda: page_background(g.globe)),
}


# ---------------------------------------------------------------- buttons

def crop(pic, place, w, h):
    x, y = place
    return pic[y:y + h, x:x + w].copy()


def menu_face(bg, glyph, selected):
    """A round 54 x 59 button: chrome bezel, a domed face, the function's glyph."""
    h, w = bg.shape[:2]
    cx, cy, r = 27.0, 26.5, 25.0
    disc = mask(w, h, lambda p: p.circle(cx, cy, r))
    pic = drop_shadow(bg, disc, 1, 3, 2.0, 0.45)
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    t = np.clip(((xx - cx) + (yy - cy)) / (2 * r) * 0.9 + 0.5, 0, 1)[..., None]
    chrome = np.array((250, 251, 253), np.float32) * (1 - t) + np.array((128, 132, 142)) * t
    pic = over(pic, chrome, disc)
    pic = over(pic, (80, 84, 94), np.clip(disc - mask(w, h, lambda p: p.circle(cx, cy, r - 1)),
                                          0, 1) * 0.7)
    fr = r - 4.0
    face = mask(w, h, lambda p: p.circle(cx, cy, fr))
    # The face sits a little below the bezel: a dark rim where the light cannot reach.
    rim = np.clip(face - mask(w, h, lambda p: p.circle(cx + 0.6, cy + 0.8, fr - 0.8)), 0, 1)
    if selected:
        fill = radial(w, h, cx - 7, cy - 9, fr * 1.9, (188, 146, 240), (72, 30, 128))
        gcol, scol, salpha = WHITE, (40, 10, 80), 0.55
    else:
        fill = radial(w, h, cx - 7, cy - 9, fr * 1.9, (250, 251, 253), (170, 175, 186))
        gcol, scol, salpha = (62, 68, 82), WHITE, 0.9
    pic = over(pic, fill, face)
    pic = over(pic, BLACK, rim * 0.35)
    gloss = mask(w, h, lambda p: p.ellipse(cx - fr * 0.78, cy - fr * 0.92, cx + fr * 0.78,
                                            cy + fr * 0.12))
    fade = np.clip(1 - (yy - (cy - fr)) / (fr * 1.0), 0, 1)
    pic = over(pic, WHITE, gloss * fade * (0.42 if selected else 0.55))
    gs = 25.0
    gm = mask(w, h, lambda p: glyph(p, cx - gs / 2, cy - gs / 2 + 0.5, gs))
    pic = over(pic, scol, shift(gm, 0, 1) * salpha)
    return over(pic, gcol, gm)


BLUE_SHADES = {
    "normal": ((104, 170, 240), (26, 90, 184), (14, 48, 112)),
    "focus": ((170, 222, 255), (48, 140, 232), (16, 70, 150)),
    "pressed": ((22, 70, 150), (52, 120, 206), (10, 38, 96)),
}


def blue_button(bg, glyph, shade, radius=None, glyph_scale=0.72):
    """A blue rounded button over its background: tick, cross, arrows, pills and bars."""
    h, w = bg.shape[:2]
    r = radius if radius is not None else min(7.0, (h - 3) / 2)
    top, bottom, edge = BLUE_SHADES[shade]
    x0, y0, x1, y1 = 1.0, 0.5, w - 1.0, h - 2.0
    body = mask(w, h, lambda p: p.rrect(x0, y0, x1, y1, r))
    pic = drop_shadow(bg, body, 0, 1, 1.0, 0.45)
    pic = over(pic, vgrad(w, h, top, bottom, y0, y1), body)
    if shade != "pressed":
        gloss = mask(w, h, lambda p: p.rrect(x0 + 1.5, y0 + 1, x1 - 1.5, (y0 + y1) / 2, r - 1.5))
        pic = over(pic, vgrad(w, h, WHITE, WHITE), gloss * 0.30)
    else:
        inset = np.clip(body - shift(body, 0, 2), 0, 1)
        pic = over(pic, BLACK, inset * 0.35)
    ring = np.clip(body - mask(w, h, lambda p: p.rrect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1)),
                   0, 1)
    pic = over(pic, edge, ring * 0.9)
    if shade == "focus":
        inner = np.clip(mask(w, h, lambda p: p.rrect(x0 + 1, y0 + 1, x1 - 1, y1 - 1, r - 1))
                        - mask(w, h, lambda p: p.rrect(x0 + 2, y0 + 2, x1 - 2, y1 - 2, r - 2)),
                        0, 1)
        pic = over(pic, WHITE, inner * 0.55)
    if glyph is not None:
        s = (y1 - y0) * glyph_scale
        dy = 1 if shade == "pressed" else 0
        gm = mask(w, h, lambda p: glyph(p, (w - s) / 2, (y0 + y1 - s) / 2 + dy, s))
        pic = over(pic, BLUE_DARK, shift(gm, 0, 1) * 0.6)
        pic = over(pic, WHITE, gm)
    return pic


def plain_metal(w, h):
    return solid(w, h, AVERAGE_METAL)


# ---------------------------------------------------------------- slider, gauge, panels

def slider_track(bg):
    """The grey 203 x 34 frame of the slider with its groove under the thumb's point."""
    h, w = bg.shape[:2]
    plate = mask(w, h, lambda p: p.rrect(0.5, 0.5, w - 0.5, h - 0.5, 9))
    pic = over(bg, vgrad(w, h, (232, 234, 238), (176, 180, 188)), plate)
    lit, dark = edges(plate, 1)
    pic = over(pic, WHITE, lit * 0.8)
    ring = np.clip(plate - mask(w, h, lambda p: p.rrect(1.5, 1.5, w - 1.5, h - 1.5, 8)), 0, 1)
    pic = over(pic, (96, 100, 110), ring * 0.85)
    groove = mask(w, h, lambda p: p.rrect(11, 24, w - 11, 30, 3))
    pic = over(pic, vgrad(w, h, (70, 74, 84), (118, 122, 132), 24, 30), groove)
    glit, gdark = edges(groove, 1)
    pic = over(pic, BLACK, glit * 0.35)
    pic = over(pic, WHITE, shift(gdark, 1, 1) * 0.0)
    under = np.clip(shift(groove, 0, 1) - groove, 0, 1)
    pic = over(pic, WHITE, under * 0.8)
    # Small ticks at both ends of the groove mark the travel.
    for x in (18.5, w - 18.5):
        t = mask(w, h, lambda p: p.rect(x - 0.5, 18, x + 0.5, 22))
        pic = over(pic, INK, t * 0.5)
    return pic


THUMB_KEY = (200, 200, 200)


def slider_thumb(track):
    """The blue pointer of the slider; everything around it is the key colour."""
    w, h = 27, 31
    shape = lambda p: (p.rrect(2, 1, 25, 19, 5), p.poly([(2.5, 14), (24.5, 14), (13.5, 29.5)]))
    body = mask(w, h, shape)
    under = track[0:h, 88:88 + w]
    shadow = blur(shift(body, 1, 1), 0.8) * 0.35
    pic = over(under, BLACK, shadow)
    pic = over(pic, vgrad(w, h, (120, 184, 246), (20, 84, 180), 1, 29), body)
    gloss = mask(w, h, lambda p: p.rrect(3.5, 2, 23.5, 10, 4))
    pic = over(pic, WHITE, gloss * 0.35)
    ring = np.clip(body - mask(w, h, lambda p: (p.rrect(3, 2, 24, 18, 4),
                                                p.poly([(3.8, 15), (23.2, 15), (13.5, 27.8)]))),
                   0, 1)
    pic = over(pic, (12, 48, 112), ring * 0.9)
    grip = mask(w, h, lambda p: [p.rect(x, 6, x + 1, 13) for x in (9, 13, 17)])
    pic = over(pic, (16, 60, 140), grip * 0.6)
    pic = over(pic, (170, 214, 255), shift(grip, 1, 0) * 0.5)
    cover = np.clip(body + shadow, 0, 1) > 0.02
    cover[[0, -1], :] = False
    cover[:, [0, -1]] = False
    out = finish(pic)
    out[~cover] = THUMB_KEY
    inside = cover & np.all(out == THUMB_KEY, axis=2)
    out[inside, 2] = 201
    return out


def battery_track(bg):
    h, w = bg.shape[:2]
    pic = vgrad(w, h, (64, 68, 78), (104, 108, 118))
    pic[0, :] = (74, 78, 88)
    pic[-1, :] = (150, 154, 162)
    pic[:, 0] = (84, 88, 98)
    pic[:, -1] = (120, 124, 134)
    pic[1, 1:-1] = pic[1, 1:-1] * 0.8
    return pic


def battery_fill(w, h):
    pic = vgrad(w, h, (196, 240, 255), (48, 150, 226))
    pic[0] = (226, 248, 255)
    pic[-1] = (32, 112, 190)
    for x in range(11, w, 12):
        pic[:, x] = pic[:, x] * 0.72
    return pic


def message_panel():
    """The violet 280 x 130 panel: an amber warning badge left, a calm field for white text."""
    w, h = 280, 130
    pic = vgrad(w, h, (140, 90, 206), (78, 36, 138))
    pic += radial(w, h, 40, 10, 260, (22, 22, 22), (0, 0, 0))
    pic[0, :] = (54, 20, 100)
    pic[-1, :] = (40, 12, 78)
    pic[:, 0] = (54, 20, 100)
    pic[:, -1] = (40, 12, 78)
    pic[1, 1:-1] = over(pic[1:2, 1:-1], WHITE, np.full((1, w - 2), 0.35))[0]
    pic[1:-1, 1] = over(pic[1:-1, 1:2], WHITE, np.full((h - 2, 1), 0.22))[:, 0]
    pic[-2, 1:-1] = over(pic[-2:-1, 1:-1], BLACK, np.full((1, w - 2), 0.25))[0]
    pic[1:-1, -2] = over(pic[1:-1, -2:-1], BLACK, np.full((h - 2, 1), 0.25))[:, 0]
    # A soft gloss across the top.
    gl = np.clip(1 - np.arange(h, dtype=np.float32) / 42, 0, 1)[:, None] * 0.10
    pic = over(pic, WHITE, np.broadcast_to(gl, (h, w)) * np.ones((h, w)))
    cx, cy, r = 42, 46, 24
    disc = mask(w, h, lambda p: p.circle(cx, cy, r))
    pic = drop_shadow(pic, disc, 1, 2, 2.0, 0.5)
    pic = over(pic, radial(w, h, cx - 8, cy - 10, r * 2.0, (255, 228, 120), (222, 128, 10)), disc)
    ring = np.clip(disc - mask(w, h, lambda p: p.circle(cx, cy, r - 1.2)), 0, 1)
    pic = over(pic, (120, 60, 0), ring * 0.7)
    gloss = mask(w, h, lambda p: p.ellipse(cx - 17, cy - 22, cx + 17, cy - 2))
    pic = over(pic, WHITE, gloss * 0.30)
    ex = mask(w, h, lambda p: g.exclamation(p, cx - 16, cy - 17, 32))
    pic = over(pic, WHITE, shift(ex, 0, 1) * 0.45)
    pic = over(pic, (74, 30, 0), ex)
    out = finish(pic)
    # Drawn with key colour RGB(1, 0, 0): make sure no pixel can ever be that colour.
    hit = np.all(out == (1, 0, 0), axis=2)
    out[hit] = (2, 0, 0)
    return out.astype(np.float32)


def calibration_card():
    w, h = 255, 115
    card = mask(w, h, lambda p: p.rrect(1, 1, w - 1, h - 2, 12))
    pic = drop_shadow(plain_metal(w, h), card, 1, 1, 1.0, 0.45)
    pic = over(pic, vgrad(w, h, (255, 240, 156), (244, 196, 62)), card)
    ring = np.clip(card - mask(w, h, lambda p: p.rrect(2, 2, w - 2, h - 3, 11)), 0, 1)
    pic = over(pic, (170, 118, 10), ring)
    inner = np.clip(mask(w, h, lambda p: p.rrect(2, 2, w - 2, h - 3, 11))
                    - mask(w, h, lambda p: p.rrect(3, 3, w - 2, h - 3, 10)), 0, 1)
    pic = over(pic, WHITE, inner * 0.7)
    cx, cy = 48, 57
    tri = mask(w, h, lambda p: p.line([(cx, cy - 25), (cx + 27, cy + 21), (cx - 27, cy + 21),
                                       (cx, cy - 25)], 7))
    tri = np.maximum(tri, mask(w, h, lambda p: p.poly([(cx, cy - 25), (cx + 27, cy + 21),
                                                        (cx - 27, cy + 21)])))
    pic = drop_shadow(pic, tri, 1, 1, 1.0, 0.3)
    pic = over(pic, vgrad(w, h, (96, 60, 130), (58, 24, 104), cy - 28, cy + 24), tri)
    ex = mask(w, h, lambda p: g.exclamation(p, cx - 14, cy - 12, 30))
    pic = over(pic, WHITE, ex)
    ink = (74, 52, 10)
    for text, y in (("Calibration", 34), ("succeeded", 60)):
        t = text_mask(w, h, 96, y, text, "DejaVuSans-Bold.ttf", 21)
        pic = over(pic, (255, 250, 220), shift(t, 0, 1) * 0.8)
        pic = over(pic, ink, t)
    return pic


def wait_frame(lit_dot):
    """A small metal plate with a ring of nine dots, dot `lit_dot` lit (0 at the top, clockwise)."""
    w, h = 120, 41
    pic = brushed_metal(w, h, 2200, amp=2.0, sheen=False)
    pic[0, :] = (132, 136, 146)
    pic[-1, :] = (120, 124, 134)
    pic[:, 0] = (132, 136, 146)
    pic[:, -1] = (120, 124, 134)
    pic[1, 1:-1] = over(pic[1:2, 1:-1], WHITE, np.full((1, w - 2), 0.7))[0]
    pic[1:-1, 1] = over(pic[1:-1, 1:2], WHITE, np.full((h - 2, 1), 0.5))[:, 0]
    cx, cy, rr, dr = 16.5, 20.5, 11.0, 2.5
    for i in range(9):
        a = math.radians(-90 + 40 * i)
        x, y = cx + rr * math.cos(a), cy + rr * math.sin(a)
        dot = mask(w, h, lambda p: p.circle(x, y, dr))
        if i == lit_dot:
            glow = blur(mask(w, h, lambda p: p.circle(x, y, dr + 1.0)), 2.0)
            pic = over(pic, (150, 96, 236), np.clip(glow * 1.5, 0, 1) * 0.75)
            pic = over(pic, radial(w, h, x - 1.0, y - 1.0, dr * 1.7, (252, 240, 255),
                                   (140, 76, 226)), dot)
        else:
            pic = over(pic, WHITE, shift(dot, 1, 1) * 0.9)
            pic = over(pic, radial(w, h, x - 0.8, y - 0.8, dr * 1.8, (108, 112, 124),
                                   (150, 154, 164)), dot)
    return pic


# Frame position k of the animation lights dot k; these are the bitmaps of positions 0..8.
WAIT_SEQUENCE = [223, 221, 222, 220, 228, 229, 230, 231, 232]


# ---------------------------------------------------------------- the table

def build(backgrounds):
    """Returns {id: (file name, RGB array, depth)} for all 57 bitmaps."""
    menu = backgrounds[161]
    page = backgrounds[176]
    out = {}
    for bid, (name, _) in BACKGROUNDS.items():
        out[bid] = (name, backgrounds[bid], 8)
    menu_ids = {"backlight": (146, 152), "power": (147, 153), "calibration": (148, 154),
                "date_time": (149, 155), "back": (150, 156), "volume": (165, 166),
                "language": (169, 168)}
    for fn, (normal, selected) in menu_ids.items():
        bg = crop(menu, MENU_PLACES[fn], 54, 59)
        glyph = g.MENU_GLYPHS[fn]
        out[normal] = ("menu_%s_normal" % fn, menu_face(bg, glyph, False), 8)
        out[selected] = ("menu_%s_selected" % fn, menu_face(bg, glyph, True), 8)
    ok_bg, cancel_bg = crop(page, OK_PLACE, 58, 28), crop(page, CANCEL_PLACE, 58, 28)
    out[181] = ("button_ok_normal", blue_button(ok_bg, g.tick, "normal"), 24)
    out[182] = ("button_ok_focus", blue_button(ok_bg, g.tick, "focus"), 24)
    out[183] = ("button_cancel_normal", blue_button(cancel_bg, g.cross, "normal"), 24)
    out[184] = ("button_cancel_focus", blue_button(cancel_bg, g.cross, "focus"), 24)
    panel = message_panel()
    msg_bg = crop(panel, MESSAGE_OK_PLACE, 58, 28)
    out[199] = ("message_panel", panel, 8)
    out[207] = ("message_ok_pressed", blue_button(msg_bg, g.tick, "pressed"), 24)
    out[208] = ("message_ok_normal", blue_button(msg_bg, g.tick, "normal"), 24)
    arrows = {"right": (185, 187), "left": (186, 188), "down": (210, 211), "up": (213, 212)}
    for d, (normal, focus) in arrows.items():
        bg = crop(backgrounds[173] if d in ("up", "down") else page, ARROW_PLACES[d], 27, 27)
        glyph = lambda p, x, y, s, d=d: g.arrow(p, x, y, s, d)
        out[normal] = ("arrow_%s_normal" % d, blue_button(bg, glyph, "normal", 6, 0.62), 24)
        out[focus] = ("arrow_%s_focus" % d, blue_button(bg, glyph, "focus", 6, 0.62), 24)
    track = slider_track(crop(page, SLIDER_PLACE, 203, 34))
    out[158] = ("slider_track", track, 24)
    out[151] = ("slider_thumb", slider_thumb(track).astype(np.float32), 24)
    out[162] = ("battery_bar_track", battery_track(crop(backgrounds[174], GAUGE_PLACE, 237, 8)), 8)
    out[160] = ("battery_bar_fill", battery_fill(235, 6), 8)
    out[159] = ("calibration_card", calibration_card(), 8)
    out[144] = ("blue_bar", blue_button(plain_metal(185, 27), None, "normal", 6), 8)
    out[145] = ("blue_bar_light", blue_button(plain_metal(185, 27), None, "focus", 6), 8)
    out[203] = ("pill_normal", blue_button(plain_metal(75, 30), None, "normal", 13.5), 8)
    out[204] = ("pill_pressed", blue_button(plain_metal(75, 30), None, "pressed", 13.5), 8)
    out[205] = ("pill_alt_normal", blue_button(plain_metal(75, 30), None, "focus", 13.5), 8)
    out[206] = ("pill_alt_pressed", blue_button(plain_metal(75, 30), None, "pressed", 13.5), 8)
    for pos, bid in enumerate(WAIT_SEQUENCE):
        out[bid] = ("wait_frame_%d" % pos, wait_frame(pos), 8)
    return out


def app_icon(size):
    """The program icon: a white gear on a glossy blue tile, a violet compass needle inside."""
    s = size
    r = s * 0.2
    body = mask(s, s, lambda p: p.rrect(0.5, 0.5, s - 0.5, s - 0.5, r))
    pic = vgrad(s, s, (96, 166, 240), (18, 72, 164))
    gloss = mask(s, s, lambda p: p.rrect(1.5, 1.5, s - 1.5, s * 0.5, r - 1))
    pic = over(pic, WHITE, gloss * 0.25)
    ring = np.clip(body - mask(s, s, lambda p: p.rrect(1.5, 1.5, s - 1.5, s - 1.5, r - 1)), 0, 1)
    pic = over(pic, (10, 40, 100), ring)
    gm = mask(s, s, lambda p: g.gear(p, s * 0.08, s * 0.08, s * 0.84, 8, 0.25))
    pic = over(pic, BLUE_DARK, shift(gm, 0, 1) * 0.5)
    pic = over(pic, WHITE, gm)
    if size >= 24:
        c, n = s / 2, s * 0.19
        north = mask(s, s, lambda p: g.needle_half(p, c, c, n, n * 0.36, True))
        south = mask(s, s, lambda p: g.needle_half(p, c, c, n, n * 0.36, False))
        pic = over(pic, (255, 196, 48), north)
        pic = over(pic, (226, 232, 244), south)
    rgba = np.zeros((s, s, 4), np.uint8)
    rgba[..., :3] = finish(pic)
    rgba[..., 3] = np.clip(np.round(body * 255), 0, 255).astype(np.uint8)
    return rgba
