#!/usr/bin/env python3
"""Rewrites an uncompressed 4-bit bitmap (40-byte header) as RLE4, as GIMP's RLE option writes it:
runs of one index encoded, other stretches absolute, each row ended by 00 00, the bitmap by 00 01.
make-rle4.py in.bmp out.bmp"""
import struct, sys

data = open(sys.argv[1], 'rb').read()
offset, = struct.unpack('<I', data[10:14])
width, height, planes, bits = struct.unpack('<iiHH', data[18:30])
assert bits == 4 and height > 0
stride = ((width * 4 + 31) // 32) * 4
out = bytearray()
for row in range(height):
    line = data[offset + row * stride:offset + (row + 1) * stride]
    px = [(line[x // 2] >> (4 if x % 2 == 0 else 0)) & 15 for x in range(width)]
    x = 0
    while x < width:
        run = 1
        while x + run < width and run < 255 and px[x + run] == px[x]:
            run += 1
        if run >= 3 or width - x < 3:
            out += bytes([run, px[x] << 4 | px[x]])
            x += run
            continue
        end = x
        while end < width and end - x < 255 and not (end + 2 < width and px[end] == px[end + 1] == px[end + 2]):
            end += 1
        count = end - x
        if count < 3:
            out += bytes([count, px[x] << 4 | (px[x + 1] if count > 1 else 0)])
        else:
            nibbles = px[x:end] + [0] * (count % 2)
            chunk = bytes(nibbles[i] << 4 | nibbles[i + 1] for i in range(0, len(nibbles), 2))
            out += bytes([0, count]) + chunk + b'\0' * (len(chunk) % 2)
        x = end
    out += b'\0\0'
out[-2:] = b'\0\1'
header = bytearray(data[:offset])
struct.pack_into('<I', header, 2, offset + len(out))
struct.pack_into('<I', header, 30, 2)
struct.pack_into('<I', header, 34, len(out))
open(sys.argv[2], 'wb').write(bytes(header) + bytes(out))
