#!/usr/bin/env python3
"""Reads a PNG with the standard library only (zlib, struct), as an oracle
independent of libpng: checks the signature and every chunk's CRC, inflates
the image data and undoes the row filters. 8-bit grey, RGB and RGBA,
not interlaced.

Usage: png_reader.py FILE [X,Y ...]
Prints "W H" and then, for each X,Y asked, "X,Y RRGGBB". Exit 1 with a
message on anything it cannot read.
"""
import struct
import sys
import zlib

CHANNELS = {0: 1, 2: 3, 6: 4}


def fail(message):
    print(message, file=sys.stderr)
    sys.exit(1)


def read(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail("not a PNG signature")
    pos = 8
    header = None
    idat = b""
    ended = False
    while pos < len(data):
        if pos + 8 > len(data):
            fail("chunk header cut")
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if len(body) != length or pos + 12 + length > len(data):
            fail("chunk %r cut" % kind)
        (crc,) = struct.unpack(">I", data[pos + 8 + length:pos + 12 + length])
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            fail("bad CRC in %r" % kind)
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            ended = True
            break
        pos += 12 + length
    if header is None or not ended:
        fail("no IHDR or no IEND")
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in CHANNELS or interlace != 0:
        fail("unsupported depth %d colour %d interlace %d" % (depth, colour, interlace))
    bpp = CHANNELS[colour]
    raw = zlib.decompress(idat)
    stride = width * bpp
    if len(raw) != height * (stride + 1):
        fail("image data of %d bytes, expected %d" % (len(raw), height * (stride + 1)))
    rows = []
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = previous[i]
            c = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + a) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + b) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 0xFF
            elif kind != 0:
                fail("bad filter %d" % kind)
        rows.append(line)
        previous = line
    return width, height, bpp, rows


def main():
    if len(sys.argv) < 2:
        fail(__doc__)
    width, height, bpp, rows = read(sys.argv[1])
    print("%d %d" % (width, height))
    for spot in sys.argv[2:]:
        x, y = (int(v) for v in spot.split(","))
        if not (0 <= x < width and 0 <= y < height):
            fail("%d,%d outside" % (x, y))
        px = rows[y][x * bpp:(x + 1) * bpp]
        rgb = bytes(px[:3]) if bpp >= 3 else bytes([px[0]] * 3)
        print("%d,%d %s" % (x, y, rgb.hex()))


if __name__ == "__main__":
    main()
