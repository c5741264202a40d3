#!/usr/bin/env python3
# The photo of lo-slide-glow.fodp: a plate of salad on a wooden table, 240 × 160, written to
# standard output as an RGB PNG (pure Python). Its base64 stands in the source as office:binary-data.
import math, struct, sys, zlib
w, h = 240, 160
rows = []
for y in range(h):
    row = bytearray([0])
    for x in range(w):
        # wood: warm bands with grain
        g = math.sin(x * 0.09 + math.sin(y * 0.05) * 2.5) * 0.5 + 0.5
        r, gg, b = 150 + 40 * g, 95 + 25 * g, 50 + 10 * g
        dx, dy = (x - 120) / 95, (y - 82) / 62
        d = dx * dx + dy * dy
        if d < 1:  # the plate
            r, gg, b = 236 - 20 * d, 236 - 18 * d, 228 - 22 * d
        ex, ey = (x - 120) / 70, (y - 80) / 45
        e = ex * ex + ey * ey
        if e < 1:  # leaves, a tomato, an egg
            leaf = math.sin(x * 0.35) * math.cos(y * 0.41)
            r, gg, b = 60 + 50 * leaf, 150 + 50 * leaf, 50 + 20 * leaf
            for cx, cy, rad, col in ((95, 70, 14, (215, 40, 30)), (140, 92, 13, (225, 50, 35)),
                                     (128, 66, 11, (250, 245, 230)), (106, 95, 10, (240, 200, 40))):
                q = ((x - cx) ** 2 + (y - cy) ** 2) / rad ** 2
                if q < 1:
                    shade = 1 - 0.35 * q
                    r, gg, b = (c * shade for c in col)
        row += bytes(max(0, min(255, int(v))) for v in (r, gg, b))
    rows.append(bytes(row))
def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xffffffff)
png = b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', w, h, 8, 2, 0, 0, 0)) + \
      chunk(b'IDAT', zlib.compress(b''.join(rows), 9)) + chunk(b'IEND', b'')
sys.stdout.buffer.write(png)
