"""Painting primitives for the skin: anti-aliased masks, layers, metal and bevels.

Pictures are float RGB arrays (height x width x 3, 0..255). Shapes are drawn as coverage masks
(height x width, 0..1) at four times the size and box-filtered down, so every edge is anti-aliased
and crisp at 1x. Light comes from the top left everywhere: highlights on upper-left edges,
shadows below and to the right.
"""

import numpy as np
from PIL import Image, ImageDraw, ImageFilter, ImageFont

SUPERSAMPLE = 4
FONT_DIR = "/usr/share/fonts/truetype/dejavu/"

# One palette family: cool aluminium greys, a violet accent, a blue control colour.
INK = (70, 74, 84)
METAL_TOP = (214, 217, 222)
METAL_BOTTOM = (188, 192, 199)
VIOLET_LIGHT = (168, 120, 226)
VIOLET = (118, 62, 186)
VIOLET_DARK = (66, 28, 118)
BLUE_LIGHT = (120, 184, 246)
BLUE = (38, 112, 206)
BLUE_DARK = (16, 56, 126)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)


class Pen:
    """Draws white shapes in 1x coordinates onto a supersampled greyscale image."""

    def __init__(self, draw, scale):
        self.d = draw
        self.s = scale

    def _pts(self, pts):
        return [(x * self.s, y * self.s) for x, y in pts]

    def _box(self, x0, y0, x1, y1):
        s = self.s
        return [x0 * s, y0 * s, x1 * s - 1, y1 * s - 1]

    def ellipse(self, x0, y0, x1, y1, fill=255):
        self.d.ellipse(self._box(x0, y0, x1, y1), fill=fill)

    def circle(self, cx, cy, r, fill=255):
        self.ellipse(cx - r, cy - r, cx + r, cy + r, fill)

    def ring(self, cx, cy, r, width, fill=255):
        s = self.s
        self.d.ellipse(self._box(cx - r, cy - r, cx + r, cy + r), outline=fill,
                       width=max(1, round(width * s)))

    def rect(self, x0, y0, x1, y1, fill=255):
        self.d.rectangle(self._box(x0, y0, x1, y1), fill=fill)

    def rrect(self, x0, y0, x1, y1, r, fill=255):
        self.d.rounded_rectangle(self._box(x0, y0, x1, y1), radius=r * self.s, fill=fill)

    def rrect_outline(self, x0, y0, x1, y1, r, width, fill=255):
        self.d.rounded_rectangle(self._box(x0, y0, x1, y1), radius=r * self.s, outline=fill,
                                 width=max(1, round(width * self.s)))

    def poly(self, pts, fill=255):
        self.d.polygon(self._pts(pts), fill=fill)

    def line(self, pts, width, fill=255, caps=True):
        """A polyline with round joints and caps."""
        s = self.s
        self.d.line(self._pts(pts), fill=fill, width=max(1, round(width * s)), joint="curve")
        if caps:
            for x, y in (pts[0], pts[-1]):
                self.circle(x, y, width / 2, fill)

    def arc(self, cx, cy, r, start, end, width, fill=255):
        s = self.s
        self.d.arc(self._box(cx - r, cy - r, cx + r, cy + r), start, end, fill=fill,
                   width=max(1, round(width * s)))

    def pieslice(self, cx, cy, r, start, end, fill=255):
        self.d.pieslice(self._box(cx - r, cy - r, cx + r, cy + r), start, end, fill=fill)


def mask(w, h, paint):
    """Coverage mask of what `paint(pen)` draws, anti-aliased by supersampling."""
    s = SUPERSAMPLE
    im = Image.new("L", (w * s, h * s), 0)
    paint(Pen(ImageDraw.Draw(im), s))
    return np.asarray(im.resize((w, h), Image.BOX), dtype=np.float32) / 255.0


def text_mask(w, h, x, y, text, font_file, size, anchor="la"):
    """Text rendered directly at 1x with hinting, crisper than a supersampled copy."""
    im = Image.new("L", (w, h), 0)
    font = ImageFont.truetype(FONT_DIR + font_file, size)
    ImageDraw.Draw(im).text((x, y), text, font=font, fill=255, anchor=anchor)
    return np.asarray(im, dtype=np.float32) / 255.0


def solid(w, h, colour):
    return np.broadcast_to(np.array(colour, np.float32), (h, w, 3)).copy()


def over(dst, colour, m):
    """Paints `colour` (a triple or a picture) over `dst` with coverage `m`."""
    c = np.asarray(colour, np.float32)
    return dst * (1.0 - m[..., None]) + c * m[..., None]


def vgrad(w, h, top, bottom, y0=0.0, y1=None):
    """Vertical gradient from `top` at y0 to `bottom` at y1."""
    y1 = h if y1 is None else y1
    t = np.clip((np.arange(h, dtype=np.float32) + 0.5 - y0) / max(1e-6, y1 - y0), 0, 1)
    a, b = np.array(top, np.float32), np.array(bottom, np.float32)
    col = a[None, :] * (1 - t[:, None]) + b[None, :] * t[:, None]
    return np.broadcast_to(col[:, None, :], (h, w, 3)).copy()


def radial(w, h, cx, cy, r, inner, outer):
    yy, xx = np.mgrid[0:h, 0:w].astype(np.float32) + 0.5
    t = np.clip(np.hypot(xx - cx, yy - cy) / r, 0, 1)[..., None]
    return np.array(inner, np.float32) * (1 - t) + np.array(outer, np.float32) * t


def shift(m, dx, dy):
    """Moves a mask by whole pixels, filling with zero."""
    out = np.zeros_like(m)
    h, w = m.shape
    xs, xd = (slice(0, w - dx), slice(dx, w)) if dx >= 0 else (slice(-dx, w), slice(0, w + dx))
    ys, yd = (slice(0, h - dy), slice(dy, h)) if dy >= 0 else (slice(-dy, h), slice(0, h + dy))
    out[yd, xd] = m[ys, xs]
    return out


def blur(m, radius):
    im = Image.fromarray(np.clip(m * 255, 0, 255).astype(np.uint8), "L")
    im = im.filter(ImageFilter.GaussianBlur(radius))
    return np.asarray(im, dtype=np.float32) / 255.0


def edges(m, d=1):
    """The upper-left and lower-right rims of a shape, for a bevel in top-left light."""
    lit = np.clip(m - shift(m, d, d), 0, 1)
    dark = np.clip(m - shift(m, -d, -d), 0, 1)
    return lit, dark


def drop_shadow(dst, m, dx=1, dy=2, radius=1.6, strength=0.45):
    return over(dst, BLACK, blur(shift(m, dx, dy), radius) * strength)


def brushed_metal(w, h, seed, top=METAL_TOP, bottom=METAL_BOTTOM, amp=2.6, sheen=True):
    """Horizontally brushed aluminium: long soft streaks, fine grain and a gentle top-left sheen."""
    rng = np.random.RandomState(seed)
    pad = 96
    n = rng.normal(0, 1, (h, w + pad)).astype(np.float32)
    c = np.cumsum(n, axis=1)
    long = (c[:, 48:] - c[:, :-48])[:, :w] / np.sqrt(48.0)
    short = (c[:, 8:] - c[:, :-8])[:, 20:20 + w] / np.sqrt(8.0)
    row = rng.normal(0, 1, (h, 1)).astype(np.float32)
    grain = rng.normal(0, 1, (h, w)).astype(np.float32)
    tex = amp * (0.55 * long + 0.35 * short + 0.45 * row + 0.18 * grain)
    pic = vgrad(w, h, top, bottom)
    if sheen:
        yy, xx = np.mgrid[0:h, 0:w].astype(np.float32)
        band = np.exp(-(((xx * 0.45 + yy) - 70.0) / 120.0) ** 2)
        pic += (6.0 * band)[..., None]
    return pic + tex[..., None]


def finish(pic):
    return np.clip(np.round(pic), 0, 255).astype(np.uint8)

