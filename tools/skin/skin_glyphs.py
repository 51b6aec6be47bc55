"""Glyphs of the skin: one function per picture, drawn white into the square (x, y, s).

The same glyph serves the main menu face, the page title tile and the slider-end marks, so a
function seen on the menu is recognised again on its page.
"""

import math


def _u(x, y, s):
    return lambda u, v: (x + u * s, y + v * s)


def bulb(p, x, y, s, rays=True, lit=True):
    f = _u(x, y, s)
    cx, cy, r = f(0.5, 0.40)[0], f(0.5, 0.40)[1], 0.22 * s
    p.circle(cx, cy, r)
    p.poly([f(0.36, 0.52), f(0.64, 0.52), f(0.60, 0.68), f(0.40, 0.68)])
    if not lit:
        p.circle(cx, cy, r - 0.07 * s, fill=0)
        p.poly([f(0.43, 0.55), f(0.57, 0.55), f(0.55, 0.64), f(0.45, 0.64)], fill=0)
    else:
        p.arc(cx, cy, r * 0.6, 200, 260, 0.05 * s, fill=0)
    for v in (0.72, 0.80):
        p.rrect(*f(0.39, v), *f(0.61, v + 0.055), 0.02 * s)
    p.poly([f(0.43, 0.87), f(0.57, 0.87), f(0.53, 0.92), f(0.47, 0.92)])
    if rays:
        for a in (-150, -120, -90, -60, -30, 0, 180):
            c, sn = math.cos(math.radians(a)), math.sin(math.radians(a))
            p.line([(cx + c * r * 1.45, cy + sn * r * 1.45), (cx + c * r * 1.9, cy + sn * r * 1.9)],
                   0.065 * s)


def speaker(p, x, y, s, waves=3):
    f = _u(x, y, s)
    p.rrect(*f(0.10, 0.37), *f(0.30, 0.63), 0.03 * s)
    p.poly([f(0.27, 0.37), f(0.52, 0.16), f(0.56, 0.16), f(0.56, 0.84), f(0.52, 0.84), f(0.27, 0.63)])
    cx, cy = f(0.56, 0.5)
    for i in range(waves):
        r = (0.15 + 0.13 * i) * s
        p.arc(cx, cy, r, -42, 42, 0.075 * s)


def battery(p, x, y, s, level=3):
    f = _u(x, y, s)
    p.rrect(*f(0.06, 0.27), *f(0.86, 0.73), 0.07 * s)
    p.rrect(*f(0.13, 0.34), *f(0.79, 0.66), 0.035 * s, fill=0)
    p.rrect(*f(0.86, 0.39), *f(0.95, 0.61), 0.025 * s)
    for i in range(level):
        u = 0.17 + i * 0.205
        p.rect(*f(u, 0.38), *f(u + 0.165, 0.62))


def clock(p, x, y, s):
    f = _u(x, y, s)
    cx, cy = f(0.5, 0.5)
    p.ring(cx, cy, 0.42 * s, 0.085 * s)
    for a in range(0, 360, 30):
        c, sn = math.cos(math.radians(a)), math.sin(math.radians(a))
        rr = 0.05 if a % 90 == 0 else 0.025
        p.circle(cx + c * 0.30 * s, cy + sn * 0.30 * s, rr * s * 0.8)
    p.line([(cx, cy), f(0.5, 0.25)], 0.075 * s)
    p.line([(cx, cy), f(0.67, 0.60)], 0.075 * s)
    p.circle(cx, cy, 0.06 * s)


def globe(p, x, y, s):
    f = _u(x, y, s)
    cx, cy = f(0.5, 0.5)
    r = 0.42 * s
    w = 0.07 * s
    p.ring(cx, cy, r, w)
    p.ellipse(cx - r * 0.42, cy - r, cx + r * 0.42, cy + r)
    p.ellipse(cx - r * 0.42 + w, cy - r + w * 0.6, cx + r * 0.42 - w, cy + r - w * 0.6, fill=0)
    p.line([(cx, cy - r), (cx, cy + r)], w, caps=False)
    for dy in (-0.48, 0.0, 0.48):
        hw = r * math.sqrt(max(0.0, 1 - dy * dy)) - w * 0.3
        p.line([(cx - hw, cy + dy * r), (cx + hw, cy + dy * r)], w, caps=False)


def globe_and_clock(p, x, y, s):
    globe(p, x, y, s * 0.82)
    cx, cy, r = x + s * 0.70, y + s * 0.70, s * 0.27
    p.circle(cx, cy, r + 0.06 * s, fill=0)
    p.circle(cx, cy, r)
    p.circle(cx, cy, r - 0.07 * s, fill=0)
    p.line([(cx, cy), (cx, cy - r * 0.62)], 0.065 * s)
    p.line([(cx, cy), (cx + r * 0.5, cy + r * 0.2)], 0.065 * s)


def screen_and_stylus(p, x, y, s):
    f = _u(x, y, s)
    p.rrect(*f(0.06, 0.12), *f(0.78, 0.74), 0.07 * s)
    p.rrect(*f(0.14, 0.20), *f(0.70, 0.66), 0.02 * s, fill=0)
    cx, cy = f(0.42, 0.43)
    p.ring(cx, cy, 0.11 * s, 0.05 * s)
    for a, b in (((0.42, 0.25), (0.42, 0.33)), ((0.42, 0.53), (0.42, 0.61)),
                 ((0.22, 0.43), (0.31, 0.43)), ((0.53, 0.43), (0.62, 0.43))):
        p.line([f(*a), f(*b)], 0.05 * s, caps=False)
    p.rrect(*f(0.26, 0.80), *f(0.58, 0.86), 0.02 * s)
    # The stylus leans in from the lower right, its tip on the target.
    p.line([f(0.96, 0.97), f(0.66, 0.67)], 0.19 * s, fill=0)
    p.line([f(0.93, 0.94), f(0.66, 0.67)], 0.10 * s)
    p.poly([f(0.62, 0.56), f(0.71, 0.65), f(0.55, 0.49)])
    p.line([f(0.55, 0.49), f(0.62, 0.56)], 0.06 * s)


def tools(p, x, y, s):
    f = _u(x, y, s)
    # Screwdriver from the upper left to the lower right.
    p.line([f(0.14, 0.14), f(0.36, 0.36)], 0.17 * s)
    p.line([f(0.36, 0.36), f(0.84, 0.84)], 0.07 * s)
    # Wrench from the lower left to the upper right, with an open jaw.
    p.line([f(0.20, 0.80), f(0.62, 0.38)], 0.13 * s, fill=0)
    p.line([f(0.22, 0.78), f(0.62, 0.38)], 0.09 * s)
    hx, hy = f(0.70, 0.30)
    p.circle(hx, hy, 0.19 * s + 0.04 * s, fill=0)
    p.circle(hx, hy, 0.19 * s)
    p.poly([f(0.70, 0.30), f(0.96, 0.14), f(0.86, 0.04)], fill=0)
    p.circle(hx, hy, 0.075 * s, fill=0)


def back(p, x, y, s):
    f = _u(x, y, s)
    w = 0.12 * s
    p.line([f(0.30, 0.27), f(0.60, 0.27)], w, caps=False)
    cx, cy = f(0.60, 0.515)
    p.arc(cx, cy, 0.245 * s, -90, 90, w)
    p.line([f(0.60, 0.76), f(0.22, 0.76)], w)
    p.poly([f(0.04, 0.27), f(0.36, 0.03), f(0.36, 0.51)])


def tick(p, x, y, s):
    f = _u(x, y, s)
    p.line([f(0.18, 0.52), f(0.40, 0.74), f(0.82, 0.28)], 0.15 * s)


def cross(p, x, y, s):
    f = _u(x, y, s)
    p.line([f(0.24, 0.24), f(0.76, 0.76)], 0.15 * s)
    p.line([f(0.76, 0.24), f(0.24, 0.76)], 0.15 * s)


def arrow(p, x, y, s, direction):
    pts = {"right": [(0.33, 0.2), (0.78, 0.5), (0.33, 0.8)],
           "left": [(0.67, 0.2), (0.22, 0.5), (0.67, 0.8)],
           "down": [(0.2, 0.33), (0.8, 0.33), (0.5, 0.78)],
           "up": [(0.2, 0.67), (0.8, 0.67), (0.5, 0.22)]}[direction]
    f = _u(x, y, s)
    p.poly([f(*q) for q in pts])
    # Round the corners a little by stroking the outline.
    p.line([f(*q) for q in pts + [pts[0]]], 0.07 * s, caps=True)


def exclamation(p, x, y, s):
    f = _u(x, y, s)
    p.poly([f(0.41, 0.14), f(0.59, 0.14), f(0.555, 0.64), f(0.445, 0.64)])
    p.circle(*f(0.5, 0.14), 0.09 * s)
    p.circle(*f(0.5, 0.80), 0.095 * s)


def gear(p, x, y, s, teeth=8, hole=0.19):
    f = _u(x, y, s)
    cx, cy = f(0.5, 0.5)
    p.circle(cx, cy, 0.34 * s)
    for i in range(teeth):
        a = 2 * math.pi * i / teeth
        c, sn = math.cos(a), math.sin(a)
        p.line([(cx + c * 0.30 * s, cy + sn * 0.30 * s), (cx + c * 0.42 * s, cy + sn * 0.42 * s)],
               0.14 * s, caps=False)
    p.circle(cx, cy, hole * s, fill=0)


def needle_half(p, cx, cy, length, width, north):
    """One half of a compass needle leaning to the upper right: the north or the south half."""
    d = 1 if north else -1
    ux, uy = 0.7071 * d, -0.7071 * d
    tip = (cx + ux * length, cy + uy * length)
    side = (-uy * width, ux * width)
    p.poly([tip, (cx + side[0], cy + side[1]), (cx - side[0], cy - side[1])])


MENU_GLYPHS = {
    "backlight": bulb,
    "power": lambda p, x, y, s: battery(p, x, y, s),
    "calibration": screen_and_stylus,
    "date_time": clock,
    "back": back,
    "volume": speaker,
    "language": globe,
}
