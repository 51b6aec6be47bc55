# Converts the screen file Xvfb writes with -fbdir (XWD, 24/32-bit TrueColor) to a PNG; optional
# crop box X Y W H. Used by scripts/window-shot.
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
fields = struct.unpack('>25I', data[:100])
header_size, version, fmt, depth, width, height = fields[:6]
bytes_per_line = fields[12]
bits_per_pixel = fields[11]
ncolors = fields[19]
offset = header_size + ncolors * 12
x0, y0, w, h = (int(v) for v in sys.argv[3:7]) if len(sys.argv) > 3 else (0, 0, width, height)
byte_order = fields[7]
rows = []
bpp = bits_per_pixel // 8
for y in range(y0, y0 + h):
    row = bytearray([0])
    base = offset + y * bytes_per_line
    for x in range(x0, x0 + w):
        p = data[base + x * bpp: base + x * bpp + bpp]
        v = int.from_bytes(p, 'little' if byte_order == 0 else 'big')
        row += bytes(((v >> 16) & 255, (v >> 8) & 255, v & 255))
    rows.append(bytes(row))
raw = b''.join(rows)
def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d) & 0xffffffff)
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0)) + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b'')
open(sys.argv[2], 'wb').write(png)
print(width, height, bits_per_pixel)
