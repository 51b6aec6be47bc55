"""Writers for the skin's files: BMP (8-bit palette or 24-bit), ICO, RIFF WAVE and the zone text."""

import struct

import numpy as np
from PIL import Image


def make_palette(pictures, weight=8):
    """A 256-colour palette for one or more pictures, by median cut and k-means.

    Coloured pixels count `weight` times, so the few colourful gradients of a mostly grey
    picture get enough entries not to band."""
    flat = np.concatenate([p.reshape(-1, 3) for p in pictures])
    sat = flat.max(1).astype(np.int32) - flat.min(1)
    train = np.concatenate([flat, np.repeat(flat[sat > 14], weight, axis=0)])
    width = 1024
    rows = -(-len(train) // width)
    train = np.concatenate([train, np.repeat(train[:1], rows * width - len(train), axis=0)])
    return Image.fromarray(train.reshape(rows, width, 3), "RGB").quantize(
        256, method=Image.Quantize.MEDIANCUT, kmeans=4)


def quantise(rgb, palette=None):
    """Reduces an RGB picture to 256 colours without dithering; exact when it has no more.

    Without dithering, equal pixels of pictures that share a palette stay equal."""
    packed = (rgb[..., 0].astype(np.uint32) << 16) | (rgb[..., 1].astype(np.uint32) << 8) | rgb[..., 2]
    uniq, inverse = np.unique(packed.ravel(), return_inverse=True)
    if palette is None and len(uniq) <= 256:
        colours = [(int(c >> 16), int(c >> 8) & 255, int(c) & 255) for c in uniq]
        return inverse.astype(np.uint8).reshape(rgb.shape[:2]), colours
    palette = palette or make_palette([rgb])
    q = Image.fromarray(rgb, "RGB").quantize(palette=palette, dither=Image.Dither.NONE)
    pal = q.getpalette()[:768]
    return np.asarray(q, np.uint8), [tuple(pal[i:i + 3]) for i in range(0, len(pal), 3)]


def bmp_bytes(rgb, depth, palette=None):
    """A bottom-up BMP with a BITMAPINFOHEADER: 8-bit with a 256-entry palette, or 24-bit."""
    h, w = rgb.shape[:2]
    if depth == 24:
        stride = (w * 3 + 3) & ~3
        rows = [rgb[y, :, ::-1].tobytes().ljust(stride, b"\0") for y in range(h - 1, -1, -1)]
        palette = b""
    else:
        idx, pal = quantise(rgb, palette)
        pal = pal + [(0, 0, 0)] * (256 - len(pal))
        stride = (w + 3) & ~3
        rows = [idx[y].tobytes().ljust(stride, b"\0") for y in range(h - 1, -1, -1)]
        palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in pal)
    pixels = b"".join(rows)
    offset = 14 + 40 + len(palette)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, depth, 0, len(pixels), 2835, 2835,
                       256 if depth == 8 else 0, 0)
    head = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return head + info + palette + pixels


def decode_bmp(data):
    """Reads back a BMP written above as an RGB array (used to check and to compose sheets)."""
    offset, = struct.unpack_from("<I", data, 10)
    w, h, _, depth = struct.unpack_from("<iiHH", data, 18)
    out = np.zeros((h, w, 3), np.uint8)
    if depth == 24:
        stride = (w * 3 + 3) & ~3
        for y in range(h):
            row = np.frombuffer(data, np.uint8, w * 3, offset + (h - 1 - y) * stride)
            out[y] = row.reshape(w, 3)[:, ::-1]
    else:
        pal = np.frombuffer(data, np.uint8, 1024, 54).reshape(256, 4)[:, 2::-1]
        stride = (w + 3) & ~3
        for y in range(h):
            out[y] = pal[np.frombuffer(data, np.uint8, w, offset + (h - 1 - y) * stride)]
    return out


def ico_bytes(images):
    """An icon file of 32-bit images (RGBA arrays), each with its AND mask."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for rgba in images:
        h, w = rgba.shape[:2]
        xor = b"".join(rgba[y][:, [2, 1, 0, 3]].tobytes() for y in range(h - 1, -1, -1))
        mask_stride = ((w + 31) // 32) * 4
        and_rows = []
        for y in range(h - 1, -1, -1):
            bits = np.packbits((rgba[y, :, 3] < 128).astype(np.uint8))
            and_rows.append(bits.tobytes().ljust(mask_stride, b"\0"))
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor), 0, 0, 0, 0)
        blob = header + xor + b"".join(and_rows)
        entries.append(struct.pack("<BBBBHHII", w & 0xFF, h & 0xFF, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + b"".join(entries) + b"".join(blobs)


def wave_bytes(samples, rate):
    """Mono 8-bit PCM in a RIFF file: 'fmt ' (16 bytes) and 'data', padded to an even size."""
    data = bytes(samples)
    pad = b"\0" if len(data) % 2 else b""
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate, 1, 8)
    body = (b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt
            + b"data" + struct.pack("<I", len(data)) + data + pad)
    return b"RIFF" + struct.pack("<I", len(body)) + body
