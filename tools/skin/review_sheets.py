"""Review sheets of the skin: a contact sheet of every bitmap (1x and 2x, with its id) and a mock
of each screen composed from the committed bitmaps at the screens' placements.

In the mocks, labels are outlined in magenta with sample text in their own colour and size, and
the platform's own controls (edit boxes, the time picker) are outlined in cyan.
"""

import os
import numpy as np
from PIL import Image, ImageDraw, ImageFont

import skin_art
import skin_files

FONT_DIR = "/usr/share/fonts/truetype/dejavu/"
GREY = (89, 89, 89)


def font(size, bold=True, face="DejaVuSans"):
    return ImageFont.truetype(FONT_DIR + face + ("-Bold" if bold else "") + ".ttf", size)


class Screen:
    """A 320 x 240 screen being composed, with the boxes to outline once it is enlarged."""

    def __init__(self, bitmaps):
        self.bitmaps = bitmaps
        self.im = Image.new("RGB", (320, 240), (0, 0, 0))
        self.boxes = []

    def blit(self, bid, x, y, key=None):
        pic = self.bitmaps[bid]
        if key is None:
            self.im.paste(Image.fromarray(pic), (x, y))
            return
        m = Image.fromarray((~np.all(pic == key, axis=2)).astype(np.uint8) * 255, "L")
        self.im.paste(Image.fromarray(pic), (x, y), m)

    def label(self, x, y, w, h, text, size, colour=GREY, centre_v=False, face="DejaVuSans"):
        f = font(size, face=face)
        d = ImageDraw.Draw(self.im)
        lines = []
        for para in text.split("\n"):
            line = ""
            for word in para.split(" "):
                wider = (line + " " + word) if line else word
                if line and f.getlength(wider) > w:
                    lines.append(line)
                    line = word
                else:
                    line = wider
            lines.append(line)
        asc, desc = f.getmetrics()
        total = len(lines) * (asc + desc)
        ty = y + (h - total) // 2 if centre_v else y
        for i, line in enumerate(lines):
            d.text((x, ty + i * (asc + desc)), line, font=f, fill=colour)
        self.boxes.append(((x, y, w, h), (230, 0, 200)))

    def edit(self, x, y, w, h, text):
        d = ImageDraw.Draw(self.im)
        d.rectangle([x, y, x + w - 1, y + h - 1], fill=(255, 255, 255), outline=(110, 114, 124))
        d.text((x + w // 2, y + h // 2), text, font=font(13, False), fill=(0, 0, 0), anchor="mm")
        self.boxes.append(((x, y, w, h), (0, 190, 230)))

    def slider(self, x, y, pos, lo, hi):
        self.blit(158, x, y)
        step = (203 - 34) // (hi - lo)
        self.blit(151, x + step * (pos - lo) + 5, y, key=(200, 200, 200))

    def save(self, path, scale=2):
        big = self.im.resize((320 * scale, 240 * scale), Image.NEAREST)
        d = ImageDraw.Draw(big)
        for (x, y, w, h), c in self.boxes:
            d.rectangle([x * scale, y * scale, (x + w) * scale - 1, (y + h) * scale - 1], outline=c)
        big.save(path, optimize=True)


def ok_cancel(s, focus_ok=False):
    s.blit(182 if focus_ok else 181, 85, 192)
    s.blit(183, 175, 192)


def title(s, text, width=235, centre_v=False):
    s.label(85, 15, width, 40, text, 22, centre_v=centre_v)


def mocks(bitmaps):
    out = {}
    s = Screen(bitmaps)
    s.blit(161, 0, 0)
    faces = [(152, 25, 77), (165, 99, 77), (148, 173, 77), (147, 247, 77), (149, 25, 153),
             (169, 99, 153), (150, 173, 153)]
    for bid, x, y in faces:
        s.blit(bid, x, y)
    title(s, "Backlight", 200, centre_v=True)
    out["main_menu"] = s

    for name, bg, text, lo, hi, pos in (("backlight", 176, "Backlight", 1, 8, 5),
                                        ("volume", 171, "Volume", 0, 5, 3)):
        s = Screen(bitmaps)
        s.blit(bg, 0, 0)
        title(s, text, centre_v=(name == "backlight"))
        s.blit(186, 29, 112)
        s.slider(56, 112, pos, lo, hi)
        s.blit(185, 259, 112)
        ok_cancel(s)
        out[name] = s

    s = Screen(bitmaps)
    s.blit(174, 0, 0)
    title(s, "Power")
    s.label(*skin_art.power_status_rect(), "Battery Power Remaining: 85%", 12)
    s.blit(162, 38, 87)
    fill = int(np.float32(np.float32(85) * np.float32(0.01)) * np.float32(237))
    s.im.paste(Image.fromarray(bitmaps[160][:, :fill]), (39, 88))
    s.label(20, 120, 300, 20, "Turn device off When device is Not use for", 12)
    s.blit(186, 65, 142)
    s.edit(100, 143, 120, 25, "10 Minutes")
    s.blit(185, 228, 142)
    ok_cancel(s)
    out["power"] = s

    s = Screen(bitmaps)
    s.blit(175, 0, 0)
    title(s, "Screen")
    s.label(30, 70, 200, 30, "Align Screen", 15, centre_v=True)
    s.label(30, 100, 260, 80, "Adjust the touch screen if your device is not  responding "
            "accurately to screen taps. To do so tap the Align Screen button.", 13)
    ok_cancel(s)
    out["calibration"] = s

    s = Screen(bitmaps)
    s.blit(173, 0, 0)
    title(s, "Date&Time")
    s.label(38, 67, 246, 20, "Time Zone", 15, centre_v=True)
    s.blit(186, 33, 87)
    s.edit(68, 90, 186, 22, "GMT+1 Paris, Madrid")
    s.blit(185, 262, 87)
    s.label(30, 125, 80, 17, "Date", 15, centre_v=True)
    s.label(150, 125, 144, 17, "Time", 15, centre_v=True)
    s.edit(30, 146, 80, 22, "2026/12/06")
    s.blit(210, 112, 144)
    s.edit(150, 146, 80, 22, "21:30:00")
    s.blit(213, 232, 144)
    s.blit(210, 261, 144)
    ok_cancel(s)
    out["date_time"] = s

    s = Screen(bitmaps)
    s.blit(190, 0, 0)
    title(s, "Switch Language", 205)
    s.label(40, 75, 140, 20, "Language", 15)
    s.blit(186, 65, 98)
    s.edit(100, 100, 120, 25, "English-US")
    s.blit(185, 228, 98)
    ok_cancel(s, focus_ok=True)
    out["language"] = s

    s = Screen(bitmaps)
    s.im = out["language"].im.copy()
    s.blit(222, 100, 100)
    d = ImageDraw.Draw(s.im)
    d.text((218, 120), "Please wait...", font=font(12, False), fill=(128, 128, 128), anchor="rm")
    out["language_wait"] = s

    for name, under, text in (("message_low_power", "main_menu", "Battery capacity is too low!"),
                              ("message_calibrated", "calibration", "Calibration succeeded"),
                              ("message_switch_failed", "language",
                               "Switch failed!\nThe device will be reseted.")):
        s = Screen(bitmaps)
        s.im = out[under].im.copy()
        s.blit(199, 20, 55)
        s.label(100, 70, 190, 50, text, 13, colour=(255, 255, 255), centre_v=True)
        s.blit(208, 130, 140)
        out[name] = s
    return out


def contact_sheet(bitmaps, manifest, path, width=2000):
    pad, cap = 16, 32
    cells = []
    # Full screens first, two to a row, then the smaller pictures by id.
    manifest = sorted(manifest, key=lambda m: (m[2] != 320, m[0]))
    for bid, name, w, h, depth in manifest:
        caption = font(12).getlength("%d  %s" % (bid, name))
        cells.append((bid, name, depth, max(w * 3 + 6, int(caption) + 4), h * 2 + cap))
    x = y = pad
    row_h = 0
    places = []
    for cell in cells:
        cw, ch = cell[3], cell[4]
        if x + cw > width:
            x, y, row_h = pad, y + row_h + pad, 0
        places.append((x, y))
        x += cw + pad
        row_h = max(row_h, ch)
    sheet = Image.new("RGB", (width, y + row_h + pad), (74, 78, 88))
    d = ImageDraw.Draw(sheet)
    small = font(12, False)
    for (bid, name, depth, _, _), (px, py) in zip(cells, places):
        pic = Image.fromarray(bitmaps[bid])
        w, h = pic.size
        sheet.paste(pic, (px, py + cap))
        sheet.paste(pic.resize((w * 2, h * 2), Image.NEAREST), (px + w + 6, py + cap))
        d.text((px, py + 2), "%d  %s" % (bid, name), font=font(12), fill=(255, 255, 255))
        d.text((px, py + 16), "%d x %d, %d-bit" % (w, h, depth), font=small, fill=(200, 204, 212))
    sheet.save(path, optimize=True)


def main(root, manifest):
    bitmaps = {}
    for bid, name, _, _, _ in manifest:
        with open(os.path.join(root, "res", "bitmaps", name + ".bmp"), "rb") as f:
            bitmaps[bid] = skin_files.decode_bmp(f.read())
    docs = os.path.join(root, "docs")
    os.makedirs(os.path.join(docs, "screen_mocks"), exist_ok=True)
    contact_sheet(bitmaps, manifest, os.path.join(docs, "skin_contact_sheet.png"))
    for name, screen in mocks(bitmaps).items():
        screen.save(os.path.join(docs, "screen_mocks", name + ".png"))
