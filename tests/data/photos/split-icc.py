#!/usr/bin/env python3
"""Rewrites a JPEG's one ICC_PROFILE segment (APP2) as three, in order.
split-icc.py in.jpg out.jpg"""
import struct, sys

data = open(sys.argv[1], 'rb').read()
at = 2
while True:
    marker, length = data[at + 1], struct.unpack('>H', data[at + 2:at + 4])[0]
    if marker == 0xE2 and data[at + 4:at + 16] == b'ICC_PROFILE\0':
        break
    at += 2 + length
profile = data[at + 18:at + 2 + length]
third = (len(profile) + 2) // 3
parts = [profile[i * third:(i + 1) * third] for i in range(3)]
segments = [b'\xff\xe2' + struct.pack('>H', 2 + 14 + len(p)) + b'ICC_PROFILE\0' + bytes([n + 1, 3]) + p
            for n, p in enumerate(parts)]
out = data[:at] + b"".join(segments) + data[at + 2 + length:]
open(sys.argv[2], 'wb').write(out)
