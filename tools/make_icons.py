#!/usr/bin/env python3
# Draws the runner's two icons (32 x 32, 16 colours) and writes them as .ico
# files into resources/. Run it only to change the pictures.
import struct, sys, os

PALETTE = [  # the 16 standard VGA colours, as (r, g, b)
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]

def picture(body, accent):
    """A rounded tile in colour `body` with a bold K in colour `accent`."""
    px = [[None] * 32 for _ in range(32)]
    for y in range(2, 30):
        for x in range(2, 30):
            corner = min(x - 2, 29 - x) + min(y - 2, 29 - y)
            if corner >= 3 or (min(x - 2, 29 - x) >= 2 or min(y - 2, 29 - y) >= 2):
                px[y][x] = body
    for y in range(7, 25):
        for x in range(9, 13):
            px[y][x] = accent
        d = abs(y - 16)
        for x in range(13 + d - 1, 13 + d + 3):
            if x < 25:
                px[y][x] = accent
    return px

def ico(px):
    xor = b''
    andmask = b''
    for y in range(31, -1, -1):  # bottom-up rows
        row = px[y]
        for x in range(0, 32, 2):
            a = row[x] if row[x] is not None else 0
            b = row[x + 1] if row[x + 1] is not None else 0
            xor += bytes([(a << 4) | b])
        bits = 0
        for x in range(32):
            bits = (bits << 1) | (1 if row[x] is None else 0)
        andmask += struct.pack('>I', bits)
    header = struct.pack('<IiiHHIIiiII', 40, 32, 64, 1, 4, 0, len(xor) + len(andmask), 0, 0, 16, 0)
    pal = b''.join(bytes([b, g, r, 0]) for (r, g, b) in PALETTE)
    image = header + pal + xor + andmask
    return struct.pack('<HHH', 0, 1, 1) + struct.pack('<BBBBHHII', 32, 32, 16, 0, 1, 4, len(image), 22) + image

out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'resources')
open(os.path.join(out, 'kestro.ico'), 'wb').write(ico(picture(4, 11)))
open(os.path.join(out, 'kestro2.ico'), 'wb').write(ico(picture(2, 15)))
