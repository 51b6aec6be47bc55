#!/usr/bin/python3
"""Writes the utility's skin: res/bitmaps/*.bmp, res/utility.ico, res/click.wav,
res/zone_names.txt, and the review sheets under docs/.

Run from anywhere with Debian's Python (python3-pil, python3-numpy):
    /usr/bin/python3 -B tools/skin/make_skin.py
The output is the same on every run (fixed seeds); the build never runs this.
"""

import math
import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import numpy as np  # noqa: E402

import skin_art  # noqa: E402
import skin_files  # noqa: E402
from skin_paint import finish  # noqa: E402

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
RES = os.path.join(ROOT, "res")

# Text resource 137: the time-zone names of string ids 49 to 123, in index order.
ZONE_NAMES = [
    "GMT-12 Kwajalein", "GMT-11 Samoa, Midway", "GMT-10 Hawaii", "GMT-9 Alaska",
    "GMT-8 Pacific US", "GMT-7 Mountain US", "GMT-7 Chihuahua, La Paz", "GMT-7 Arizona",
    "GMT-6 Central US", "GMT-6 Saskatchewan", "GMT-6 Mexico City, Montana", "GMT-6 Cent, America",
    "GMT-5 Eastern US", "GMT-5 Indiana (USA)", "GMT-5 Bogota, Lima", "GMT-4 Atlantic",
    "GMT-4 Caracas, La Paz", "GMT-4 Santiago", "GMT-3:30 Newfoundland", "GMT-3 Brasilia",
    "GMT-3 Buenos Aires", "GMT-3 Greenland", "GMT-2 Mid-Altlantic", "GMT-1 Azores",
    "GMT-1 Cape Verde", "GMT London, Dublin", "GMT Casablanca", "GMT+1 Prague, Budapest",
    "GMT+1 Warsaw, Sofija", "GMT+1 Paris, Madrid", "GMT+1 Berlin, Rome", "GMT+1 W Cent Africa",
    "GMT+2 Bucharest", "GMT+2 Cairo", "GMT+2 Helsinki, Riga", "GMT+2 Athens, Istarbul",
    "GMT+2 Jerusalem", "GMT+2 Pretoria", "GMT+3 Moscow", "GMT+3 Riyadh, Kuwait", "GMT+3 Nairobi",
    "GMT+3 Baghdad", "GMT+3:30 Tehran", "GMT+4 Abu Dhabi", "GMT+4 Baku, Tbilisi",
    "GMT+4:30 Kabul", "GMT+5 Yekaterinburg", "GMT+5 Islamabad", "GMT+5:30 New Delhi",
    "GMT+5:45 Kathmandu", "GMT+6 Astana, Dhaka", "GMT+6 Sri Landa", "GMT+6 Almaty",
    "GMT+6:30 Yangoon", "GMT+7 Bangkok, Hanoi", "GMT+7 Krasnoyarsk", "GMT+8 Beijing, HK",
    "GMT+8 Malaysia, Singapore", "GMT+8 Taipei", "GMT+8 Perth", "GMT+8 Ulaanbataar",
    "GMT+9 Seoul", "GMT+9 Tokyo, Osaka", "GMT+9 Yakutsk", "GMT+9:30 Darwin", "GMT+9:30 Adelaide",
    "GMT+10 Sydney", "GMT+10 Brisbane", "GMT+10 Hobart", "GMT+10 Vladivostok", "GMT+10 Guam",
    "GMT+11 Magadan", "GMT+12 Fiji Islands", "GMT+12 New Zealand", "GMT+13 Tonga",
]

CLICK_RATE = 22050
CLICK_SAMPLES = 1109


def click_samples():
    """A soft 50 ms click: a damped 2.4 kHz ping over a 700 Hz knock, faded to silence."""
    rng = np.random.RandomState(134)
    t = np.arange(CLICK_SAMPLES, dtype=np.float64) / CLICK_RATE
    attack = np.clip(t / 0.0008, 0, 1)
    ping = np.sin(2 * math.pi * 2400 * t) * np.exp(-t / 0.0045)
    knock = np.sin(2 * math.pi * 700 * t) * np.exp(-t / 0.009)
    noise = np.convolve(rng.normal(0, 1, CLICK_SAMPLES), np.ones(3) / 3, "same")
    noise *= np.exp(-t / 0.0012)
    tail = np.clip((t[-1] - t) / 0.006, 0, 1)
    wave = (0.55 * ping + 0.45 * knock + 0.25 * noise) * attack * tail
    wave *= 0.85 / np.max(np.abs(wave))
    return np.clip(np.round(128 + 127 * wave), 0, 255).astype(np.uint8).tolist()


def check_label_areas(written):
    menu = written[161]
    for bid, rects in skin_art.LABEL_AREAS.items():
        for x, y, w, h in rects:
            same = np.array_equal(written[bid][y:y + h, x:x + w], menu[y:y + h, x:x + w])
            assert same, "background %d differs from 161 under the label at %d,%d" % (bid, x, y)


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def main():
    backgrounds = {bid: make() for bid, (_, make) in skin_art.BACKGROUNDS.items()}
    bitmaps = skin_art.build(backgrounds)
    assert len(bitmaps) == 57, len(bitmaps)
    bmp_dir = os.path.join(RES, "bitmaps")
    os.makedirs(bmp_dir, exist_ok=True)
    for old in os.listdir(bmp_dir):
        if old.endswith(".bmp"):
            os.remove(os.path.join(bmp_dir, old))
    # The backgrounds share one palette, so that equal pixels stay equal after the reduction:
    # labels show the main menu background's pixels on every page.
    shared = skin_files.make_palette([finish(p) for p in backgrounds.values()])
    manifest = []
    written = {}
    for bid in sorted(bitmaps):
        name, pic, depth = bitmaps[bid]
        rgb = finish(pic)
        palette = shared if bid in backgrounds else None
        data = skin_files.bmp_bytes(rgb, depth, palette)
        write(os.path.join(bmp_dir, name + ".bmp"), data)
        written[bid] = skin_files.decode_bmp(data)
        manifest.append((bid, name, rgb.shape[1], rgb.shape[0], depth))
    check_label_areas(written)
    write(os.path.join(RES, "utility.ico"),
          skin_files.ico_bytes([skin_art.app_icon(32), skin_art.app_icon(16)]))
    wave = skin_files.wave_bytes(click_samples(), CLICK_RATE)
    assert len(wave) == 1154, len(wave)
    write(os.path.join(RES, "click.wav"), wave)
    text = "\r\n".join(ZONE_NAMES).encode("ascii")
    assert len(ZONE_NAMES) == 75 and len(text) == 1380, len(text)
    write(os.path.join(RES, "zone_names.txt"), text)
    for bid, name, w, h, depth in manifest:
        print("%3d  %-32s %3d x %3d  %2d-bit" % (bid, name + ".bmp", w, h, depth))

    import review_sheets
    review_sheets.main(ROOT, manifest)


if __name__ == "__main__":
    main()
